// The shared random generator, degree trigonometry, float-to-int truncation and the clock.
#pragma once

#include <cstdint>

extern int32_t rnd_state;

double rnd_range(double a, double b);
void seed_rnd(int seed);
double sin_deg(double degrees);
double cos_deg(double degrees);
int float_to_int(double x);
// The 32-bit millisecond tick count: it wraps at 2^32 and reads negative past 2^31.
int millis();
// Milliseconds from `earlier` to `later` on that clock, right across either wrap (for spans under 24 days).
int ms_between(int earlier, int later);
void delay_ms(int ms);
