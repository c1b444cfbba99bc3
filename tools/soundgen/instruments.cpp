// Voice models for the band; each renders one note into its own buffer.
#include "instruments.h"

namespace snd {

namespace {

struct partial {
    double ratio, level, decay_s;
};

constexpr partial timpani_partials[] = {
    {1.000, 1.00, 1.40}, {1.504, 0.55, 0.90}, {1.742, 0.30, 0.70},
    {2.000, 0.28, 0.55}, {2.245, 0.18, 0.45}, {2.494, 0.10, 0.35},
};

constexpr partial bell_partials[] = {
    {1.000, 1.00, 0.90}, {2.000, 0.45, 0.60}, {2.756, 0.40, 0.45},
    {4.070, 0.20, 0.30}, {5.404, 0.15, 0.22}, {8.933, 0.06, 0.12},
};

// Ratios of the metallic square cluster that gives a cymbal its shimmer.
constexpr double cymbal_ratios[] = {1.0, 1.4471, 1.6170, 1.9265, 2.5028, 2.6637};

// Held-then-released amplitude: linear attack, hold, exponential release.
class asr_env {
public:
    asr_env(double held, double attack, double release)
        : held_(seconds_to_samples(held)), attack_(attack * sample_rate), fall_(1.0, release * 0.25)
    {
    }
    double tick()
    {
        const int i = i_++;
        if (i < attack_) return i / attack_;
        if (i < held_) return 1.0;
        return fall_.tick();
    }

private:
    int i_ = 0;
    int held_;
    double attack_;
    decay_env fall_;
};

buffer render_reed(const note& n, bool bugle, bool soft)
{
    const double hz = midi_to_hz(n.pitch);
    const double rel = release_time(n.inst);
    const int len = seconds_to_samples(n.length_s + rel);
    buffer out(len);
    blep_osc a, b;
    b.set_phase(0.37);
    svf lp, bell;
    // The bell of the instrument lifts one band: higher and brighter on a bugle.
    bell.set(soft ? 550.0 : (bugle ? 1400.0 : 1100.0), 1.3);
    const double attack = soft ? 0.07 : (bugle ? 0.018 : 0.028);
    asr_env env(n.length_s, attack, rel);
    decay_env edge(0.45, 0.12);
    sine_osc vibrato;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double amp = env.tick();
        // Brass brightens as it is blown harder: the cutoff follows the envelope.
        const double blow = amp * (0.55 + edge.tick());
        double f = hz;
        if (bugle && t < 0.045) f *= det_pow2(ramp(t, 0.0, 0.045, -0.35, 0.0) / 12.0);
        const double vib_depth = ramp(t, 0.25, 0.6, 0.0, soft ? 0.002 : 0.004);
        f *= 1.0 + vib_depth * vibrato.tick(5.2);
        if ((i & 7) == 0) {
            const double bright = soft ? 2.0 + 3.0 * blow : (bugle ? 2.5 + 9.0 * blow : 2.0 + 7.0 * blow);
            lp.set(f * bright * (0.6 + 0.4 * n.velocity), 0.9);
        }
        const double src = 0.6 * a.saw(f * 1.0015) + 0.4 * b.saw(f * 0.9985);
        lp.tick(src);
        bell.tick(lp.low());
        out[i] = static_cast<float>((lp.low() + 0.4 * bell.band()) * amp * n.velocity);
    }
    return out;
}

buffer render_fife(const note& n, uint64_t seed)
{
    const double hz = midi_to_hz(n.pitch);
    const int len = seconds_to_samples(n.length_s + release_time(n.inst));
    buffer out(len);
    sine_osc o1, o2, o3;
    noise_source noise(seed);
    svf breath;
    breath.set(hz * 2.0, 3.0);
    asr_env env(n.length_s, 0.02, release_time(n.inst));
    decay_env chiff(1.0, 0.04);
    sine_osc vibrato;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double amp = env.tick();
        const double f = hz * (1.0 + ramp(t, 0.15, 0.4, 0.0, 0.005) * vibrato.tick(5.8));
        breath.tick(noise.next());
        const double v = o1.tick(f) + 0.25 * o2.tick(2.0 * f) + 0.08 * o3.tick(3.0 * f) +
                         0.25 * breath.band() * (0.4 + chiff.tick());
        out[i] = static_cast<float>(v * amp * n.velocity * 0.7);
    }
    return out;
}

buffer render_bass(const note& n)
{
    const double hz = midi_to_hz(n.pitch);
    const double rel = release_time(n.inst);
    const int len = seconds_to_samples(n.length_s + rel);
    buffer out(len);
    blep_osc o;
    sine_osc sub;
    svf lp;
    asr_env env(n.length_s, 0.006, rel);
    decay_env punch(0.3, 0.15), pluck(5.0, 0.08);
    for (int i = 0; i < len; ++i) {
        const double amp = env.tick() * (0.7 + punch.tick());
        const double bright = pluck.tick();
        if ((i & 7) == 0) lp.set(hz * (1.5 + bright), 1.1);
        lp.tick(o.pulse(hz, 0.4));
        out[i] = static_cast<float>((lp.low() * 0.35 + 0.25 * sub.tick(hz)) * amp * n.velocity);
    }
    return out;
}

buffer render_snare(const note& n, uint64_t seed)
{
    const int len = seconds_to_samples(0.32);
    buffer out(len);
    noise_source noise(seed);
    svf body, hiss;
    body.set(3200.0, 0.7);
    hiss.set(7000.0, 0.8);
    sine_osc tone;
    decay_env rattle(1.0, 0.075), skin(1.0, 0.035);
    const int attack = seconds_to_samples(0.001);
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double w = noise.next();
        body.tick(w);
        hiss.tick(w);
        const double rise = i < attack ? static_cast<double>(i) / attack : 1.0;
        const double snares = (body.band() * 0.9 + hiss.high() * 0.35) * rattle.tick() * rise;
        const double drum = tone.tick(ramp(t, 0.0, 0.03, 240.0, 180.0)) * skin.tick() * rise;
        out[i] = static_cast<float>((snares + 0.7 * drum) * n.velocity * 1.7);
    }
    return out;
}

buffer render_partials(const note& n, const partial* parts, int count, double time_scale, double mallet, uint64_t seed)
{
    const double hz = midi_to_hz(n.pitch);
    const int len = seconds_to_samples(n.length_s + release_time(n.inst));
    buffer out(len);
    noise_source noise(seed);
    one_pole thump;
    thump.set(hz * 6.0);
    sine_osc osc[8];
    std::vector<decay_env> rings;
    int audible = 0;
    for (int p = 0; p < count; ++p) {
        // Partials above the audio band would fold back as false tones.
        if (hz * parts[p].ratio >= sample_rate * 0.42) break;
        rings.emplace_back(parts[p].level, parts[p].decay_s * time_scale);
        ++audible;
    }
    decay_env settle(0.015 * mallet, 0.05), strike(3.0 * mallet, 0.012), damp(1.0, 0.25);
    const int attack = seconds_to_samples(0.002);
    const int held = seconds_to_samples(n.length_s);
    for (int i = 0; i < len; ++i) {
        // Skins and bells go flat a touch right after the strike.
        const double drop = 1.0 + settle.tick();
        const double rise = i < attack ? static_cast<double>(i) / attack : 1.0;
        double v = 0.0;
        for (int p = 0; p < audible; ++p) v += osc[p].tick(hz * parts[p].ratio * drop) * rings[p].tick();
        v = v * rise + thump.low(noise.next()) * strike.tick();
        if (i > held) v *= damp.tick();
        out[i] = static_cast<float>(v * n.velocity * 0.5);
    }
    return out;
}

buffer render_kick(const note& n)
{
    const int len = seconds_to_samples(0.4);
    buffer out(len);
    sine_osc o;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double f = 48.0 + 90.0 * det_exp(-t / 0.03);
        out[i] = static_cast<float>(o.tick(f) * env_ad(t, 0.002, 0.14) * n.velocity);
    }
    return out;
}

buffer render_cymbal(const note& n, uint64_t seed)
{
    const int len = seconds_to_samples(n.length_s + release_time(n.inst));
    buffer out(len);
    noise_source noise(seed);
    blep_osc sq[6];
    svf bp, hp;
    bp.set(7500.0, 0.8);
    hp.set(5000.0, 0.7);
    const double base = 410.0;
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        double metal = 0.0;
        for (int k = 0; k < 6; ++k) metal += sq[k].pulse(base * cymbal_ratios[k], 0.5);
        bp.tick(metal * 0.2 + noise.next() * 0.8);
        hp.tick(bp.band());
        const double decay = env_ad(t, 0.003, n.length_s * 0.5 + 0.2);
        out[i] = static_cast<float>(hp.high() * decay * n.velocity * 1.3);
    }
    return out;
}

} // namespace

double release_time(instrument inst)
{
    switch (inst) {
    case instrument::brass:
        return 0.12;
    case instrument::bugle:
        return 0.15;
    case instrument::horn:
        return 0.25;
    case instrument::fife:
        return 0.08;
    case instrument::bass:
        return 0.07;
    case instrument::snare:
        return 0.3;
    case instrument::timpani:
        return 1.8;
    case instrument::kick:
        return 0.4;
    case instrument::cymbal:
        return 2.5;
    case instrument::bell:
        return 1.2;
    }
    return 0.1;
}

buffer render_note(const note& n, uint64_t seed)
{
    switch (n.inst) {
    case instrument::brass:
        return render_reed(n, false, false);
    case instrument::bugle:
        return render_reed(n, true, false);
    case instrument::horn:
        return render_reed(n, false, true);
    case instrument::fife:
        return render_fife(n, seed);
    case instrument::bass:
        return render_bass(n);
    case instrument::snare:
        return render_snare(n, seed);
    case instrument::timpani:
        return render_partials(n, timpani_partials, 6, 1.0, 1.0, seed);
    case instrument::kick:
        return render_kick(n);
    case instrument::cymbal:
        return render_cymbal(n, seed);
    case instrument::bell:
        return render_partials(n, bell_partials, 6, 1.0, 0.2, seed);
    }
    return {};
}

} // namespace snd
