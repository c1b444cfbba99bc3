// The shared random generator, degree trigonometry, float-to-int truncation and the clock.
#include "services/maths.h"

#include "platform/platform.h"
#include "services/extended_trig.h"

int32_t rnd_state = 4660;

namespace {

// Park-Miller with multiplier 48271, by Schrage's method so nothing overflows 32 bits.
int32_t rnd_step()
{
    int32_t s = (rnd_state % 44488) * 48271 - (rnd_state / 44488) * 3399;
    if (s < 0) s += 0x7FFFFFFF;
    rnd_state = s;
    return s;
}

double rnd_unit()
{
    double hi = static_cast<double>(rnd_step() & 0x1FFFFFFC);
    double lo = static_cast<double>(rnd_step() & 0x1FFFFFF8);
    return (hi + lo / 134217728.0) / 536870912.0;
}

} // namespace

double rnd_range(double a, double b)
{
    double u = rnd_unit();
    if (b > a) return a + u * (b - a);
    return b + u * (a - b);
}

void seed_rnd(int seed)
{
    rnd_state = seed & 0x7FFFFFFF;
    if (rnd_state == 0 || rnd_state == 0x7FFFFFFF) rnd_state = 4660;
}

// Extended precision rounded to a double, with the same bits on every processor and C library.
double sin_deg(double degrees)
{
    return extended_sin(degrees * 0.017453292519943295);
}

double cos_deg(double degrees)
{
    return extended_cos(degrees * 0.017453292519943295);
}

int float_to_int(double x)
{
    if (!(x == x)) return 0; // NaN has no integer; 0 keeps every caller's arithmetic sane
    if (x >= 2147483647.0) return 2147483647;
    if (x <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(x); // C++ conversion truncates toward zero
}

int millis()
{
    return static_cast<int>(platform::current().ticks_ms()); // modular: the bit pattern of the ticks
}

int ms_between(int earlier, int later)
{
    // In unsigned arithmetic the difference wraps instead of overflowing.
    return static_cast<int>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

void delay_ms(int ms)
{
    if (ms > 0) platform::current().sleep_ms(ms);
}
