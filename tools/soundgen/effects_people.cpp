// Paratrooper sounds: formant-synthesised cries, the torn canopy and the landing splat.
#include <cmath>

#include "sounds.h"

namespace snd {

namespace {

struct vowel {
    double f[4];
};

constexpr vowel vowel_a{{780.0, 1250.0, 2550.0, 3500.0}};
constexpr vowel vowel_uh{{640.0, 1190.0, 2390.0, 3400.0}};
constexpr vowel vowel_ae{{690.0, 1720.0, 2450.0, 3400.0}};
constexpr vowel vowel_o{{520.0, 880.0, 2450.0, 3300.0}};
constexpr vowel vowel_i{{330.0, 2250.0, 3000.0, 3700.0}};

constexpr double formant_width[4] = {90.0, 120.0, 180.0, 250.0};
constexpr double formant_level[4] = {1.0, 0.9, 0.7, 0.4};

// A point on a cry's contour; values between points are interpolated.
struct cry_point {
    double t;
    double pitch_hz;
    vowel v;
    double loud;
    double breath; // share of aspiration noise
};

struct cry {
    const cry_point* points;
    int count;
    double rough; // period-doubling depth: a strained, hoarse voice
    uint64_t seed;
};

constexpr cry_point aagh_points[] = {
    {0.00, 260.0, vowel_uh, 0.0, 0.6}, {0.04, 380.0, vowel_a, 1.0, 0.15}, {0.20, 430.0, vowel_a, 1.0, 0.15},
    {0.50, 360.0, vowel_a, 0.8, 0.2},  {0.72, 240.0, vowel_uh, 0.3, 0.5}, {0.80, 200.0, vowel_uh, 0.0, 0.8},
};
constexpr cry_point ugh_points[] = {
    {0.00, 150.0, vowel_uh, 0.0, 0.9},  {0.03, 170.0, vowel_uh, 0.6, 0.7}, {0.07, 215.0, vowel_uh, 1.0, 0.2},
    {0.20, 190.0, vowel_uh, 0.9, 0.25}, {0.33, 130.0, vowel_o, 0.35, 0.6}, {0.42, 110.0, vowel_o, 0.0, 0.9},
};
constexpr cry_point aiee_points[] = {
    {0.00, 420.0, vowel_ae, 0.0, 0.4}, {0.03, 520.0, vowel_ae, 1.0, 0.1}, {0.18, 560.0, vowel_a, 1.0, 0.1},
    {0.38, 600.0, vowel_i, 0.9, 0.12}, {0.62, 470.0, vowel_i, 0.5, 0.3},  {0.70, 380.0, vowel_i, 0.0, 0.6},
};

constexpr cry cries[3] = {
    {aagh_points, 6, 0.35, 71},
    {ugh_points, 6, 0.55, 72},
    {aiee_points, 6, 0.2, 73},
};

cry_point contour_at(const cry& c, double t)
{
    if (t <= c.points[0].t) return c.points[0];
    for (int k = 1; k < c.count; ++k) {
        const cry_point& a = c.points[k - 1];
        const cry_point& b = c.points[k];
        if (t <= b.t) {
            const double u = (t - a.t) / (b.t - a.t);
            cry_point p;
            p.t = t;
            p.pitch_hz = a.pitch_hz + (b.pitch_hz - a.pitch_hz) * u;
            for (int f = 0; f < 4; ++f) p.v.f[f] = a.v.f[f] + (b.v.f[f] - a.v.f[f]) * u;
            p.loud = a.loud + (b.loud - a.loud) * u;
            p.breath = a.breath + (b.breath - a.breath) * u;
            return p;
        }
    }
    return c.points[c.count - 1];
}

// Glottal source (a sawtooth tilted down like a real voice) with jitter and
// a subharmonic for strain, shaped by four parallel formant resonators.
buffer voice(const cry& c)
{
    const double length = c.points[c.count - 1].t;
    const int len = seconds_to_samples(length);
    buffer out(len);
    noise_source jitter(c.seed), breath(c.seed + 1);
    blep_osc glottis;
    sine_osc sub;
    one_pole tilt;
    tilt.set(2400.0);
    svf formants[4];
    double drift = 0.0;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const cry_point p = contour_at(c, t);
        drift = 0.998 * drift + 0.002 * jitter.next();
        const double f0 = p.pitch_hz * (1.0 + 2.5 * drift + 0.015 * det_sin(two_pi * 7.0 * t));
        const double strain = 1.0 - c.rough * (0.5 + 0.5 * sub.tick(f0 * 0.5));
        const double pulse = -tilt.low(glottis.saw(f0)) * strain;
        const double source = pulse * (1.0 - p.breath) + breath.next() * p.breath * 0.5;
        if ((i & 7) == 0)
            for (int f = 0; f < 4; ++f) formants[f].set(p.v.f[f], p.v.f[f] / formant_width[f]);
        double v = 0.0;
        for (int f = 0; f < 4; ++f) {
            formants[f].tick(source);
            v += formants[f].band() * formant_level[f];
        }
        out[i] = static_cast<float>(v * p.loud);
    }
    return out;
}

} // namespace

buffer render_man_hit(int which)
{
    if (which < 0 || which > 2) which = 0;
    return voice(cries[which]);
}

buffer render_chute_hit()
{
    const double length = 0.8;
    const int len = seconds_to_samples(length);
    buffer out(len);
    noise_source noise(81), picks(82), wind(83);
    slow_noise flutter(84, 18.0);
    svf fibre, flap;
    fibre.set(3000.0, 0.9);
    flap.set(420.0, 1.2);
    svf cloth;
    cloth.set(2200.0, 1.5);
    one_pole activity;
    activity.set(40.0);
    double snap = 0.0;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        // Threads part one by one: sparse sharp ticks that crowd together as
        // the rip runs, then thin out as it stops.
        const double rate = 250.0 + 1400.0 * ramp(t, 0.0, 0.12, 0.0, 1.0) * ramp(t, 0.25, 0.65, 1.0, 0.05);
        if (picks.uniform(0.0, 1.0) < rate / sample_rate) {
            const double r = picks.uniform(0.0, 1.0);
            snap = 0.15 + 0.85 * r * r * r; // many small ticks, few loud ones
        }
        snap *= 0.95;
        const double w = noise.next();
        fibre.tick(w * snap);
        cloth.tick(w);
        const double busy = activity.low(snap);
        // The loosened canopy flaps in the wind.
        const double flapping = 0.4 + 0.6 * std::fabs(flutter.next());
        flap.tick(wind.next());
        double v = 2.2 * fibre.band() + 2.5 * cloth.band() * busy;
        v += 0.5 * flap.band() * flapping * ramp(t, 0.0, 0.1, 0.3, 1.0);
        const double body = ramp(t, 0.0, 0.01, 0.0, 1.0) * ramp(t, 0.35, length, 1.0, 0.0);
        out[i] = static_cast<float>(v * body);
    }
    return out;
}

buffer render_man_splat()
{
    const double length = 0.45;
    const int len = seconds_to_samples(length);
    buffer out(len);
    noise_source noise(91), wet(92);
    slow_noise flutter(93, 70.0);
    svf dull, slap, squelch;
    dull.set(450.0, 0.7);
    slap.set(1300.0, 1.0);
    squelch.set(750.0, 4.0);
    sine_osc thud;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double w = noise.next();
        dull.tick(w);
        slap.tick(w);
        squelch.tick(wet.next());
        // A body hitting sand: a low thump, a soft slap on top, then a wet gurgle.
        double v = 0.7 * thud.tick(70.0 + 60.0 * det_exp(-t / 0.025)) * env_ad(t, 0.002, 0.08);
        v += 3.0 * dull.low() * env_ad(t, 0.001, 0.06);
        v += 0.5 * slap.band() * env_ad(t, 0.0005, 0.012);
        const double gurgle = 0.3 + 0.7 * std::fabs(flutter.next());
        v += 0.5 * squelch.band() * gurgle * env_ad(t - 0.02, 0.015, 0.1);
        out[i] = static_cast<float>(det_tanh(v * 1.5));
    }
    return out;
}

} // namespace snd
