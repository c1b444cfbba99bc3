// Bit-exact maths, noise, filters and oscillators shared by every sound.
#include "dsp.h"

#include <bit>
#include <cmath>

namespace snd {

namespace {

constexpr double half_pi = pi / 2.0;
constexpr double two_pi_hi = 6.28318530717958623200e+00;
constexpr double two_pi_lo = 2.44929359829470635445e-16;
constexpr double ln2_hi = 6.93147180369123816490e-01;
constexpr double ln2_lo = 1.90821492927058770002e-10;
constexpr double ln2 = 0.69314718055994530942;

constexpr double factorial(int n)
{
    return n <= 1 ? 1.0 : n * factorial(n - 1);
}
constexpr double inv_factorial[14] = {1.0 / factorial(0),  1.0 / factorial(1), 1.0 / factorial(2),  1.0 / factorial(3),
                                      1.0 / factorial(4),  1.0 / factorial(5), 1.0 / factorial(6),  1.0 / factorial(7),
                                      1.0 / factorial(8),  1.0 / factorial(9), 1.0 / factorial(10), 1.0 / factorial(11),
                                      1.0 / factorial(12), 1.0 / factorial(13)};

constexpr int sine_table_size = 4096;

// One cycle of sine, filled once; oscillators interpolate it.
const double* sine_table()
{
    static const std::vector<double> table = [] {
        std::vector<double> t(sine_table_size + 1);
        for (int i = 0; i <= sine_table_size; ++i) t[i] = det_sin(two_pi * i / sine_table_size);
        return t;
    }();
    return table.data();
}

// Nested Taylor series of sin on [-pi/2, pi/2]; the first dropped term is below 1e-16.
double sin_kernel(double r)
{
    const double r2 = r * r;
    double p = 1.0;
    for (int k = 10; k >= 1; --k) p = 1.0 - r2 / ((2.0 * k) * (2.0 * k + 1.0)) * p;
    return r * p;
}

} // namespace

double det_sin(double x)
{
    const double k = std::floor(x / two_pi + 0.5);
    double r = (x - k * two_pi_hi) - k * two_pi_lo;
    if (r > half_pi)
        r = pi - r;
    else if (r < -half_pi)
        r = -pi - r;
    return sin_kernel(r);
}

double det_cos(double x)
{
    return det_sin(x + half_pi);
}

double det_exp(double x)
{
    if (x > 700.0) x = 700.0;
    if (x < -700.0) return 0.0;
    const double k = std::floor(x / ln2 + 0.5);
    const double r = (x - k * ln2_hi) - k * ln2_lo;
    // Taylor series to r^13 / 13!; |r| <= ln2 / 2 keeps the error below 1e-16.
    double s = inv_factorial[13];
    for (int n = 12; n >= 0; --n) s = s * r + inv_factorial[n];
    // Scale by 2^k by building the power of two directly (exact).
    const int e = static_cast<int>(k);
    if (e < -1022) return s * std::ldexp(1.0, e);
    return s * std::bit_cast<double>(static_cast<uint64_t>(e + 1023) << 52);
}

double det_log(double x)
{
    if (x <= 0.0) return -1e300;
    int e = 0;
    double m = std::frexp(x, &e); // m in [0.5, 1)
    if (m < 0.70710678118654752) {
        m *= 2.0;
        --e;
    }
    const double s = (m - 1.0) / (m + 1.0);
    const double s2 = s * s;
    double sum = 0.0;
    for (int n = 23; n >= 1; n -= 2) sum = sum * s2 + 1.0 / n;
    return 2.0 * s * sum + e * ln2;
}

double det_pow2(double x)
{
    return det_exp(x * ln2);
}

double det_tanh(double x)
{
    if (x > 20.0) return 1.0;
    if (x < -20.0) return -1.0;
    const double e = det_exp(2.0 * x);
    return (e - 1.0) / (e + 1.0);
}

double db_to_gain(double db)
{
    return det_exp(db * 0.11512925464970228);
}

double midi_to_hz(double note)
{
    return 440.0 * det_pow2((note - 69.0) / 12.0);
}

double noise_source::next()
{
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    const uint64_t v = state_ * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(v >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

void svf::set(double cutoff_hz, double q)
{
    const double nyq_safe = sample_rate * 0.45;
    if (cutoff_hz > nyq_safe) cutoff_hz = nyq_safe;
    if (cutoff_hz < 5.0) cutoff_hz = 5.0;
    const double w = pi * cutoff_hz / sample_rate;
    g_ = det_sin(w) / det_cos(w);
    k_ = 1.0 / (q < 0.05 ? 0.05 : q);
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
    a2_ = g_ * a1_;
    a3_ = g_ * a2_;
}

void svf::tick(double in)
{
    const double v3 = in - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    low_ = v2;
    band_ = v1;
    high_ = in - k_ * v1 - v2;
}

slow_noise::slow_noise(uint64_t seed, double corner_hz) : source_(seed)
{
    filter_.set(corner_hz);
    // Uniform noise has variance 1/3; a one-pole with coefficient a keeps a/(2-a) of it.
    const double a = 1.0 - det_exp(-two_pi * corner_hz / sample_rate);
    gain_ = 1.0 / std::sqrt(a / (2.0 - a) / 3.0);
    for (int i = 0; i < 4 * sample_rate / static_cast<int>(corner_hz + 1.0); ++i) next(); // settle
}

double slow_noise::next()
{
    return filter_.low(source_.next()) * gain_;
}

void one_pole::set(double cutoff_hz)
{
    a_ = 1.0 - det_exp(-two_pi * cutoff_hz / sample_rate);
}

double sine_osc::tick(double hz)
{
    const double pos = phase_ * sine_table_size;
    const int i = static_cast<int>(pos);
    const double* t = sine_table();
    const double v = t[i] + (pos - i) * (t[i + 1] - t[i]);
    phase_ += hz / sample_rate;
    phase_ -= std::floor(phase_);
    return v;
}

namespace {

double poly_blep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

double blep_osc::saw(double hz)
{
    const double dt = hz / sample_rate;
    const double v = 2.0 * phase_ - 1.0 - poly_blep(phase_, dt);
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= 1.0;
    return v;
}

double blep_osc::pulse(double hz, double width)
{
    const double dt = hz / sample_rate;
    double v = phase_ < width ? 1.0 : -1.0;
    v += poly_blep(phase_, dt);
    double t2 = phase_ + 1.0 - width;
    if (t2 >= 1.0) t2 -= 1.0;
    v -= poly_blep(t2, dt);
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= 1.0;
    return v;
}

double env_ad(double t, double attack, double decay)
{
    if (t < 0.0) return 0.0;
    if (t < attack) return t / attack;
    return det_exp(-(t - attack) / decay);
}

double ramp(double t, double t0, double t1, double a, double b)
{
    if (t <= t0) return a;
    if (t >= t1) return b;
    return a + (b - a) * (t - t0) / (t1 - t0);
}

void mix_into(buffer& dst, const buffer& src, int offset, double gain)
{
    if (offset < 0) offset = 0;
    const size_t need = static_cast<size_t>(offset) + src.size();
    if (dst.size() < need) dst.resize(need, 0.0f);
    for (size_t i = 0; i < src.size(); ++i) dst[offset + i] += static_cast<float>(src[i] * gain);
}

} // namespace snd
