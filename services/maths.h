// The shared random generator, degree trigonometry, float-to-int truncation and the clock.
#pragma once

#include <cstdint>

extern int32_t rnd_state;

double rnd_range(double a, double b);
void seed_rnd(int seed);
double sin_deg(double degrees);
double cos_deg(double degrees);
int float_to_int(double x);
int millis();
void delay_ms(int ms);
