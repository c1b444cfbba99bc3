// Signal building blocks with bit-exact maths, so every run renders the same PCM.
#pragma once

#include <cstdint>
#include <vector>

namespace snd {

using buffer = std::vector<float>;

constexpr int sample_rate = 44100;
constexpr double pi = 3.14159265358979323846;
constexpr double two_pi = 2.0 * pi;

// libm may pick different code paths per CPU; these use only + - * / so the
// result is the same wherever the generator runs.
double det_sin(double x);
double det_cos(double x);
double det_exp(double x);
double det_log(double x);
double det_pow2(double x);
double det_tanh(double x);
double db_to_gain(double db);
double midi_to_hz(double note);

inline int seconds_to_samples(double s)
{
    return static_cast<int>(s * sample_rate + 0.5);
}

// xorshift64*: small, fast and reproducible.
class noise_source {
public:
    explicit noise_source(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    double next(); // uniform in [-1, 1)
    double uniform(double lo, double hi) { return lo + (hi - lo) * (next() * 0.5 + 0.5); }

private:
    uint64_t state_;
};

// Topology-preserving state-variable filter; cheap to retune every sample.
class svf {
public:
    void set(double cutoff_hz, double q);
    void reset() { ic1_ = ic2_ = 0.0; }
    // Runs one sample; afterwards low(), band() and high() hold the outputs.
    void tick(double in);
    double low() const { return low_; }
    double band() const { return band_; }
    double high() const { return high_; }

private:
    double g_ = 0.1, k_ = 1.4, a1_ = 0, a2_ = 0, a3_ = 0;
    double ic1_ = 0, ic2_ = 0, low_ = 0, band_ = 0, high_ = 0;
};

class one_pole {
public:
    void set(double cutoff_hz);
    double low(double in)
    {
        z_ += a_ * (in - z_);
        return z_;
    }
    double high(double in) { return in - low(in); }

private:
    double a_ = 1.0, z_ = 0.0;
};

// Noise smoothed to below a corner frequency, scaled to unit deviation, for
// slow random wobbles of level or pitch.
class slow_noise {
public:
    slow_noise(uint64_t seed, double corner_hz);
    double next();

private:
    noise_source source_;
    one_pole filter_;
    double gain_;
};

// Sine oscillator driven by an accumulated phase in cycles (frequency may vary).
class sine_osc {
public:
    double tick(double hz);
    void set_phase(double cycles) { phase_ = cycles; }

private:
    double phase_ = 0.0;
};

// Exponential decay stepped by one multiplication per sample.
class decay_env {
public:
    decay_env(double start, double time_s) : v_(start), k_(det_exp(-1.0 / (time_s * sample_rate))) {}
    double tick()
    {
        const double v = v_;
        v_ *= k_;
        return v;
    }

private:
    double v_, k_;
};

// Band-limited sawtooth and pulse (polyBLEP); phase in cycles.
class blep_osc {
public:
    double saw(double hz);
    double pulse(double hz, double width);
    void set_phase(double p) { phase_ = p; }

private:
    double phase_ = 0.0;
};

// Exponential attack/decay shape, evaluated at time t (seconds).
double env_ad(double t, double attack, double decay);
// Linear ramp from a to b across [t0, t1], clamped outside.
double ramp(double t, double t0, double t1, double a, double b);

// Adds src into dst starting at offset, growing dst when needed.
void mix_into(buffer& dst, const buffer& src, int offset, double gain);

} // namespace snd
