// Cannon, explosions, aircraft engines and the nuke rocket.
#include <algorithm>
#include <cmath>

#include "sequencer.h"
#include "sounds.h"

namespace snd {

namespace {

struct blast_shape {
    double length_s;
    double boom_hz; // where the low thump settles
    double boom_decay_s;
    double noise_top_hz; // brightness of the first instant
    double noise_decay_s;
    double rumble_hz;
    double rumble_decay_s;
    double crackle_rate; // debris ticks per second in the tail
    uint64_t seed;
};

constexpr blast_shape small_blast{1.1, 70.0, 0.10, 5000.0, 0.09, 350.0, 0.22, 25.0, 11};
constexpr blast_shape big_blast{3.8, 44.0, 0.5, 6000.0, 0.25, 380.0, 0.95, 45.0, 12};
constexpr blast_shape aircraft_blast{1.2, 55.0, 0.18, 4500.0, 0.14, 300.0, 0.35, 30.0, 13};

// One explosion: a pitched thump, a bright burst darkening fast, a rolling
// rumble and scattered debris ticks.
buffer blast(const blast_shape& s)
{
    const int len = seconds_to_samples(s.length_s);
    buffer out(len);
    noise_source noise(s.seed), ticks(s.seed + 101);
    slow_noise roll(s.seed + 202, 6.0);
    svf burst, rumble, tick_f;
    rumble.set(s.rumble_hz, 0.8);
    tick_f.set(2500.0, 2.0);
    sine_osc boom;
    double tick_env = 0.0;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double w = noise.next();
        if ((i & 7) == 0) burst.set(300.0 + s.noise_top_hz * det_exp(-t / (s.noise_decay_s * 0.4)), 0.7);
        burst.tick(w);
        rumble.tick(w);
        const double boom_f = s.boom_hz + 3.0 * s.boom_hz * det_exp(-t / 0.03);
        double v = 0.9 * boom.tick(boom_f) * env_ad(t, 0.002, s.boom_decay_s);
        v += 1.0 * burst.low() * env_ad(t, 0.001, s.noise_decay_s);
        const double rolling = std::max(0.2, 1.0 + 0.35 * roll.next());
        v += 2.5 * rumble.low() * env_ad(t, 0.01, s.rumble_decay_s) * rolling;
        if (ticks.uniform(0.0, 1.0) < s.crackle_rate / sample_rate) tick_env = ticks.uniform(0.3, 1.0);
        tick_env *= 0.995;
        tick_f.tick(w * tick_env);
        v += 0.8 * tick_f.band() * ramp(t, 0.03, 0.08, 0.0, 1.0) * ramp(t, 0.0, s.length_s * 0.6, 1.0, 0.0);
        out[i] = static_cast<float>(det_tanh(v * 1.5));
    }
    return out;
}

struct engine_shape {
    double length_s;
    double firing_hz;     // cylinder firing rate at the closest point
    double second_engine; // ratio of a second engine, 0 for none
    double doppler;       // fractional pitch swing across the pass
    double pass_width_s;  // how quickly it comes and goes
    double prop_level;
    double roar_level; // broadband rush, for the fast fighter
    uint64_t seed;
};

constexpr engine_shape large_carrier{3.6, 52.0, 1.023, 0.07, 0.9, 0.5, 0.15, 21};
constexpr engine_shape small_carrier{2.8, 82.0, 0.0, 0.08, 0.7, 0.7, 0.2, 22};
constexpr engine_shape fighter{2.1, 125.0, 0.0, 0.16, 0.32, 0.4, 0.9, 23};

// Piston engine: each firing is a short noisy "putt" of random strength, so
// the drone growls instead of humming. The pulses ring a body resonance, the
// propeller chops the air, and the whole sound swells and drops in pitch as
// the aircraft passes.
buffer engine_pass(const engine_shape& s)
{
    const int len = seconds_to_samples(s.length_s);
    buffer out(len);
    noise_source rnd(s.seed), air(s.seed + 7), grit(s.seed + 9);
    svf body, exhaust, rush;
    sine_osc prop;
    const double centre = s.length_s * 0.5;
    double phase_a = 0.0, phase_b = 0.37, putt_a = 0.0, putt_b = 0.0, wander = 0.0;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double x = (t - centre) / s.pass_width_s;
        const double pitch = 1.0 - s.doppler * det_tanh(x * 1.3);
        const double near = 1.0 / (1.0 + x * x);
        wander = 0.9995 * wander + 0.0005 * rnd.next();
        const double f = s.firing_hz * pitch * (1.0 + 0.6 * wander);
        phase_a += f / sample_rate;
        if (phase_a >= 1.0) {
            phase_a -= 1.0;
            putt_a = rnd.uniform(0.55, 1.0);
        }
        if (s.second_engine > 0.0) {
            phase_b += f * s.second_engine / sample_rate;
            if (phase_b >= 1.0) {
                phase_b -= 1.0;
                putt_b = rnd.uniform(0.55, 1.0);
            }
        }
        // Each putt dies away within about a third of a firing period.
        const double fall = det_exp(-3.0 * f / sample_rate * 3.0);
        putt_a *= fall;
        putt_b *= fall;
        const double src = (putt_a + putt_b) * (0.75 + 0.25 * grit.next()) - 0.2;
        if ((i & 15) == 0) {
            body.set(350.0 + 1300.0 * near, 1.5);
            exhaust.set(f * 3.0, 2.5);
            rush.set(900.0 + 3500.0 * near, 0.6);
        }
        body.tick(src);
        exhaust.tick(src);
        rush.tick(air.next());
        // Blade pass: three blades on a propeller geared to half engine speed.
        const double chop = 0.6 + 0.4 * prop.tick(f * 1.5);
        double v = (body.low() * 0.9 + exhaust.band() * 0.5) * (1.0 - s.prop_level + s.prop_level * chop);
        v += s.roar_level * rush.low() * (0.4 + near) * (0.7 + 0.3 * chop);
        const double fade = ramp(t, 0.0, 0.25, 0.0, 1.0) * ramp(t, s.length_s - 0.35, s.length_s, 1.0, 0.0);
        out[i] = static_cast<float>(v * (0.08 + near) * fade);
    }
    return out;
}

} // namespace

buffer render_cannon()
{
    const int len = seconds_to_samples(0.55);
    buffer out(len);
    noise_source noise(1);
    svf blast_f, crack_f, tail_f, body_f;
    crack_f.set(3500.0, 0.7);
    tail_f.set(180.0, 0.9);
    // The mid-range body is what a small speaker can still play of the boom.
    body_f.set(420.0, 0.8);
    sine_osc thump;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double w = noise.next();
        if ((i & 7) == 0) blast_f.set(250.0 + 7000.0 * det_exp(-t / 0.012), 0.8);
        blast_f.tick(w);
        crack_f.tick(w);
        tail_f.tick(w);
        body_f.tick(w);
        double v = 1.0 * thump.tick(58.0 + 150.0 * det_exp(-t / 0.02)) * env_ad(t, 0.0015, 0.06);
        v += 1.6 * body_f.band() * env_ad(t, 0.001, 0.05);
        v += 1.1 * blast_f.low() * env_ad(t, 0.0005, 0.05);
        v += 0.7 * crack_f.high() * env_ad(t, 0.0003, 0.006);
        v += 3.0 * tail_f.low() * env_ad(t, 0.005, 0.09);
        out[i] = static_cast<float>(det_tanh(v * 2.0));
    }
    return out;
}

buffer render_explode_small()
{
    return blast(small_blast);
}

buffer render_explode_big()
{
    buffer out = blast(big_blast);
    // Secondary detonations keep the fireball rolling.
    blast_shape second = small_blast;
    second.seed = 31;
    second.length_s = 1.6;
    mix_into(out, blast(second), seconds_to_samples(0.35), 0.55);
    second.seed = 32;
    second.boom_hz = 50.0;
    mix_into(out, blast(second), seconds_to_samples(0.8), 0.4);
    add_reverb(out, 0.5, false);
    out.resize(seconds_to_samples(big_blast.length_s));
    return out;
}

buffer render_explode_aircraft()
{
    const double length = 2.3;
    const int len = seconds_to_samples(length);
    buffer out(len, 0.0f);
    mix_into(out, blast(aircraft_blast), 0, 1.0);
    // The stricken engine screams down in pitch and sputters out.
    blep_osc whine;
    svf tone;
    slow_noise sputter(41, 12.0);
    one_pole gate;
    gate.set(120.0);
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double f = 260.0 + 640.0 * det_exp(-t / 0.7);
        const double cut = gate.low(sputter.next() > -0.8 ? 1.0 : 0.25);
        const double env = ramp(t, 0.05, 0.25, 0.0, 1.0) * ramp(t, 0.9, length, 1.0, 0.0);
        if ((i & 15) == 0) tone.set(f * 2.5, 2.0);
        tone.tick(whine.saw(f));
        out[i] += static_cast<float>(0.3 * tone.low() * env * cut);
    }
    return out;
}

buffer render_aircraft_large()
{
    return engine_pass(large_carrier);
}
buffer render_aircraft_small()
{
    return engine_pass(small_carrier);
}
buffer render_aircraft_fighter()
{
    return engine_pass(fighter);
}

buffer render_nuke_move()
{
    const double length = 2.2;
    const int len = seconds_to_samples(length);
    buffer out(len);
    noise_source noise(51);
    slow_noise flicker(52, 40.0), surge(53, 4.0);
    svf roar, body;
    roar.set(1400.0, 0.6);
    body.set(420.0, 2.0);
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double w = noise.next();
        roar.tick(w);
        body.tick(w);
        const double burn = 0.75 + 0.3 * std::fabs(flicker.next()) + 0.12 * surge.next();
        double v = (roar.low() * 0.9 + body.band() * 0.8) * burn;
        // Ignition whoosh, then a steady burn that fades as it flies off.
        v *= ramp(t, 0.0, 0.12, 0.0, 1.0) * (1.0 + 0.6 * det_exp(-t / 0.2)) * ramp(t, 1.2, length, 1.0, 0.0);
        out[i] = static_cast<float>(det_tanh(v * 1.2));
    }
    return out;
}

buffer render_nuke_drop()
{
    const double length = 2.1;
    const int len = seconds_to_samples(length);
    buffer out(len);
    sine_osc tone, over;
    noise_source noise(61);
    svf air;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double f = 2300.0 * det_exp(-t * 0.75) * (1.0 + 0.004 * det_sin(two_pi * 6.0 * t));
        if ((i & 15) == 0) air.set(f, 6.0);
        air.tick(noise.next());
        const double v = tone.tick(f) + 0.15 * over.tick(2.0 * f) + 0.6 * air.band();
        // Louder as it falls closer.
        const double env =
            ramp(t, 0.0, 0.1, 0.0, 1.0) * (0.35 + 0.65 * t / length) * ramp(t, length - 0.08, length, 1.0, 0.0);
        out[i] = static_cast<float>(v * env);
    }
    return out;
}

} // namespace snd
