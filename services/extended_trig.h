// Sine and cosine of a double as the x87's extended precision gives them, in plain double arithmetic.
//
// The game's angles have always been taken in 64-bit-mantissa precision and then rounded to a
// double; processors without that format (and C libraries whose long double is wider) would round
// differently now and then. These give the same bits everywhere: the value to well past 64 bits,
// rounded first to 64 bits and then to 53, as the x87 does.
#pragma once

double extended_sin(double x);
double extended_cos(double x);
