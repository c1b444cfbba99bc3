// Sine and cosine as the x87 rounds them, from double-double arithmetic that no C library touches.
//
// Only +, -, x, / of doubles and exact helpers (floor, nextafter) are used, so every IEEE processor
// gives the same bits as long as the compiler fuses nothing (the build turns contraction off).
#include "services/extended_trig.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// A value as an unevaluated sum hi + lo with |lo| <= half an ulp of hi: about 106 bits.
struct dd {
    double hi, lo;
};

dd two_sum(double a, double b)
{
    double s = a + b;
    double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

dd fast_two_sum(double a, double b) // |a| >= |b|
{
    double s = a + b;
    return {s, b - (s - a)};
}

// Dekker's split and product: exact without a fused multiply-add.
dd split(double a)
{
    double c = 134217729.0 * a; // 2^27 + 1
    double hi = c - (c - a);
    return {hi, a - hi};
}

dd two_prod(double a, double b)
{
    double p = a * b;
    dd x = split(a), y = split(b);
    double e = ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo;
    return {p, e};
}

dd add(dd a, dd b)
{
    dd s = two_sum(a.hi, b.hi);
    dd t = two_sum(a.lo, b.lo);
    s.lo += t.hi;
    s = fast_two_sum(s.hi, s.lo);
    s.lo += t.lo;
    return fast_two_sum(s.hi, s.lo);
}

dd mul(dd a, dd b)
{
    dd p = two_prod(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return fast_two_sum(p.hi, p.lo);
}

dd div(dd a, double d)
{
    double q1 = a.hi / d;
    dd p = two_prod(q1, d);
    double r = ((a.hi - p.hi) - p.lo) + a.lo;
    return fast_two_sum(q1, r / d);
}

dd neg(dd a)
{
    return {-a.hi, -a.lo};
}

// pi/2 to 212 bits, and 2/pi for the quadrant.
constexpr double half_pi[4] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, -0x1.f1976b7ed8fbcp-110,
                               0x1.4cf98e804177dp-164};
constexpr double two_over_pi = 0x1.45f306dc9c883p-1;

// Enough terms of the Taylor series for |r| <= pi/4 to pass 2^-100.
constexpr int series_terms = 13;
// The outer terms in double-double; the inner ones reach the result scaled by less than 2^-28, so
// plain doubles carry them to about 2^-80, far inside the x87's rounding window of 2^-65.
constexpr int exact_terms = 5;

// The inner terms nested in plain doubles: odd = 0 for the sine's factors (2n)(2n+1), 1 for the
// cosine's (2n-1)(2n).
double tail(double r2, int odd)
{
    double s = 1.0;
    for (int n = series_terms; n > exact_terms; --n) s = 1.0 - r2 * s / ((2.0 * n - odd) * (2.0 * n + 1.0 - odd));
    return s;
}

// sin r = r (1 - r^2/(2x3) (1 - r^2/(4x5) (1 - ...))), innermost first.
dd sin_series(dd r)
{
    dd r2 = mul(r, r), s{tail(r2.hi, 0), 0.0};
    for (int n = exact_terms; n >= 1; --n) s = add({1.0, 0.0}, neg(div(mul(r2, s), (2.0 * n) * (2.0 * n + 1.0))));
    return mul(r, s);
}

// cos r = 1 - r^2/(1x2) (1 - r^2/(3x4) (1 - ...)).
dd cos_series(dd r)
{
    dd r2 = mul(r, r), s{tail(r2.hi, 1), 0.0};
    for (int n = exact_terms; n >= 1; --n) s = add({1.0, 0.0}, neg(div(mul(r2, s), (2.0 * n - 1.0) * (2.0 * n))));
    return s;
}

// x = k pi/2 + r with |r| <= pi/4 (for the game's angles; far out it stays repeatable, not exact).
dd reduce(double x, double& k)
{
    k = std::floor(x * two_over_pi + 0.5);
    dd r{x, 0.0};
    for (double part : half_pi) r = add(r, neg(two_prod(k, part)));
    return r;
}

// The x87's two roundings of v: to a 64-bit mantissa, then to a double. They differ from one
// rounding only where v lies within 2^-12 ulp of a halfway point and the nearer double is odd:
// the first rounding lands exactly halfway and the second goes to the even neighbour.
double round_as_x87(dd v)
{
    if (v.lo == 0.0) return v.hi;
    double mag = std::fabs(v.hi);
    double ulp = std::nextafter(mag, std::numeric_limits<double>::infinity()) - mag;
    uint64_t bits;
    std::memcpy(&bits, &mag, sizeof bits);
    bool odd = (bits & 1) != 0; // the mantissa's last bit
    if (odd && std::fabs(v.lo) >= ulp / 2.0 - ulp / 4096.0)
        return std::nextafter(v.hi, v.lo > 0.0 ? std::numeric_limits<double>::infinity()
                                               : -std::numeric_limits<double>::infinity());
    return v.hi;
}

// The value for quadrant q of (sin, cos) of r.
double pick(int q, dd r)
{
    switch (q) {
    case 0:
        return round_as_x87(sin_series(r));
    case 1:
        return round_as_x87(cos_series(r));
    case 2:
        return round_as_x87(neg(sin_series(r)));
    default:
        return round_as_x87(neg(cos_series(r)));
    }
}

int quadrant(double k)
{
    return static_cast<int>(k - 4.0 * std::floor(k / 4.0));
}

double sin_of_finite(double x, int shift)
{
    double k;
    dd r = reduce(x, k);
    return pick((quadrant(k) + shift) % 4, r);
}

// The series costs about a microsecond, and a frame asks for the same few angles again and again
// (a ball's heading, a plane's, the fort's). A pure function, so remembering it changes no bit.
struct memo {
    static constexpr int size = 256;
    uint64_t key[2][size];
    double value[2][size];
    bool used[2][size];
};

double remembered(double x, int shift)
{
    thread_local memo m{};
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int at = static_cast<int>((bits ^ (bits >> 29) ^ (bits >> 47)) & (memo::size - 1));
    if (m.used[shift][at] && m.key[shift][at] == bits) return m.value[shift][at];
    double v = sin_of_finite(x, shift);
    m.used[shift][at] = true;
    m.key[shift][at] = bits;
    m.value[shift][at] = v;
    return v;
}

} // namespace

double extended_sin(double x)
{
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0) return x; // the sums below would lose the sign of -0
    return remembered(x, 0);
}

double extended_cos(double x)
{
    if (!std::isfinite(x)) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0.0) return 1.0; // most sprites are drawn unturned
    return remembered(x, 1);
}
