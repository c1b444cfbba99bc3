// Tests that each rendered sound has the character it is meant to have.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "catalogue.h"
#include "check.h"
#include "instruments.h"
#include "levels.h"
#include "sequencer.h"
#include "sounds.h"

using check::expect;

namespace {

// Fundamental by normalised autocorrelation over one window; 0 if unvoiced.
// Takes the shortest lag that is nearly the best, so octave slips are rare,
// and refines it between samples with a parabola.
double pitch_at(const snd::buffer& x, size_t start, size_t length, double lo_hz, double hi_hz)
{
    const int min_lag = static_cast<int>(snd::sample_rate / hi_hz);
    const int max_lag = static_cast<int>(snd::sample_rate / lo_hz) + 1;
    if (start + length + max_lag + 1 >= x.size()) return 0.0;
    std::vector<double> r(max_lag + 2, 0.0);
    for (int lag = min_lag - 1; lag <= max_lag + 1; ++lag) {
        double xy = 0, xx = 0, yy = 0;
        for (size_t i = start; i < start + length; ++i) {
            xy += static_cast<double>(x[i]) * x[i + lag];
            xx += static_cast<double>(x[i]) * x[i];
            yy += static_cast<double>(x[i + lag]) * x[i + lag];
        }
        r[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
    }
    const double top = *std::max_element(r.begin() + min_lag, r.begin() + max_lag + 1);
    if (top < 0.3) return 0.0;
    for (int lag = min_lag; lag <= max_lag; ++lag) {
        if (r[lag] < 0.9 * top || r[lag] < r[lag - 1] || r[lag] < r[lag + 1]) continue;
        const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
        const double den = a - 2 * b + c;
        const double shift = den != 0 ? 0.5 * (a - c) / den : 0.0;
        return snd::sample_rate / (lag + shift);
    }
    return 0.0;
}

double cents_between(double a, double b)
{
    return 1200.0 * std::log2(a / b);
}

// Zero crossings per second over a stretch: a cheap brightness and pitch gauge.
double crossing_rate(const snd::buffer& x, double from_s, double to_s)
{
    const size_t a = static_cast<size_t>(from_s * snd::sample_rate);
    const size_t b = std::min(x.size(), static_cast<size_t>(to_s * snd::sample_rate));
    int n = 0;
    for (size_t i = a + 1; i < b; ++i) n += (x[i - 1] < 0) != (x[i] < 0);
    return n / (2.0 * (to_s - from_s));
}

bool all_finite(const snd::buffer& x)
{
    return std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
}

void test_instruments_play_in_tune()
{
    struct pitched {
        snd::instrument inst;
        const char* name;
        double midi;
    };
    constexpr pitched cases[] = {
        {snd::instrument::brass, "brass", 62}, {snd::instrument::bugle, "bugle", 67},
        {snd::instrument::fife, "fife", 79},   {snd::instrument::horn, "horn", 57},
        {snd::instrument::bass, "bass", 38},
    };
    for (const pitched& c : cases) {
        snd::note n;
        n.inst = c.inst;
        n.pitch = c.midi;
        n.length_s = 0.6;
        const snd::buffer x = snd::render_note(n, 9);
        const double want = snd::midi_to_hz(c.midi);
        const double got = pitch_at(x, 8820, 4096, want * 0.6, want * 1.6);
        char detail[128];
        std::snprintf(detail, sizeof detail, "%s: want %.1f Hz, got %.1f Hz", c.name, want, got);
        expect(got > 0 && std::fabs(cents_between(got, want)) < 25.0, "instrument in tune", detail);
        expect(all_finite(x) && snd::peak_abs(x) < 4.0, "instrument output bounded", c.name);
        // The release dies away: the last 10 ms are far below the peak.
        const snd::buffer tail(x.end() - 441, x.end());
        expect(snd::peak_abs(tail) < 0.05 * snd::peak_abs(x), "note dies away by its end", c.name);
    }
}

void test_finishing()
{
    snd::buffer x(44100);
    snd::noise_source noise(4);
    for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.1 + 0.2 * noise.next());
    x[20000] = 3.0f; // one wild sample
    snd::finish_effect(x, -18.0, 0.8);
    expect(std::fabs(snd::loudness_db(x) + 18.0) < 0.5, "effect reaches its loudness");
    expect(snd::peak_abs(x) <= 0.8 + 1e-6, "effect under its ceiling");
    expect(std::fabs(snd::mean_of(x)) < 0.01, "effect offset removed");
    expect(x.front() == 0.0f && std::fabs(x.back()) < 1e-3, "effect starts and ends at rest");

    snd::buffer loop(44100);
    for (size_t i = 0; i < loop.size(); ++i)
        loop[i] = static_cast<float>(0.05 + 0.3 * snd::det_sin(i * snd::two_pi / 441.0));
    snd::finish_loop(loop, -20.0, 0.8);
    expect(std::fabs(snd::loudness_db(loop) + 20.0) < 0.5, "loop reaches its loudness");
    expect(std::fabs(loop.back() - loop.front()) < 0.01, "loop still joins");
    snd::finish_loop(loop, 0.0, 0.5);
    expect(snd::peak_abs(loop) <= 0.5 + 1e-6, "loop ceiling wins over loudness");
}

void test_reverb_wraps_only_loops()
{
    snd::buffer hit(44100, 0.0f);
    for (int i = 43000; i < 43100; ++i) hit[i] = 0.8f;
    snd::buffer once = hit, looped = hit;
    snd::add_reverb(once, 0.5, false);
    snd::add_reverb(looped, 0.5, true);
    const snd::buffer once_head(once.begin(), once.begin() + 10000);
    const snd::buffer loop_head(looped.begin(), looped.begin() + 10000);
    expect(snd::peak_abs(once_head) == 0.0, "one-shot reverb does not run backwards");
    expect(snd::peak_abs(loop_head) > 1e-4, "loop reverb tail carries into the start");
}

void test_effects_are_repeatable()
{
    for (int i = 0; i < snd::sound_count; ++i) {
        const snd::sound_entry& e = snd::sound_table[i];
        if (e.kind == snd::sound_kind::loop) continue; // rendered by the reproduce test
        const snd::buffer a = e.render();
        const snd::buffer b = e.render();
        expect(!a.empty() && a == b && all_finite(a), "render is repeatable", e.file);
    }
}

void test_cries_differ()
{
    double pitch[3];
    for (int k = 0; k < 3; ++k) {
        const snd::buffer x = snd::render_man_hit(k);
        pitch[k] = pitch_at(x, 4410, 2048, 90.0, 900.0);
    }
    char detail[128];
    std::snprintf(detail, sizeof detail, "%.0f, %.0f, %.0f Hz", pitch[0], pitch[1], pitch[2]);
    bool apart = pitch[0] > 0 && pitch[1] > 0 && pitch[2] > 0;
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) apart = apart && std::fabs(cents_between(pitch[a], pitch[b])) > 200.0;
    expect(apart, "three cries at clearly different pitches", detail);
    for (double p : pitch) expect(p > 100.0 && p < 800.0, "cries in a human voice range", detail);
}

void test_things_that_fall_or_pass_drop_in_pitch()
{
    const snd::buffer drop = snd::render_nuke_drop();
    const double early = crossing_rate(drop, 0.1, 0.4), late = crossing_rate(drop, 1.6, 1.9);
    char detail[128];
    std::snprintf(detail, sizeof detail, "%.0f Hz then %.0f Hz", early, late);
    expect(early > 1.5 * late, "falling whistle falls", detail);

    const snd::buffer plane = snd::render_aircraft_small();
    const double len_s = static_cast<double>(plane.size()) / snd::sample_rate;
    const double before = pitch_at(plane, static_cast<size_t>(0.25 * len_s * snd::sample_rate), 4096, 60, 200);
    const double after = pitch_at(plane, static_cast<size_t>(0.7 * len_s * snd::sample_rate), 4096, 60, 200);
    std::snprintf(detail, sizeof detail, "%.1f Hz then %.1f Hz", before, after);
    expect(before > 0 && after > 0 && cents_between(before, after) > 100.0, "passing engine drops in pitch", detail);
}

void test_music_moves()
{
    // A melody, not a drone: the strongest note in the lead's register keeps changing.
    const snd::buffer x = snd::render_logo_jingle();
    int changes = 0;
    int last = -1;
    bool seen[128] = {};
    for (double t = 1.0; t + 0.1 < 5.5; t += 0.1) {
        const size_t at = static_cast<size_t>(t * snd::sample_rate);
        const double hz = pitch_at(x, at, 2048, 120.0, 700.0);
        if (hz <= 0) continue;
        const int note = static_cast<int>(std::lround(69 + 12 * std::log2(hz / 440.0)));
        if (note != last) ++changes;
        last = note;
        seen[note] = true;
    }
    const int distinct = static_cast<int>(std::count(std::begin(seen), std::end(seen), true));
    char detail[64];
    std::snprintf(detail, sizeof detail, "%d changes, %d notes", changes, distinct);
    expect(changes >= 5 && distinct >= 4, "fanfare has a tune", detail);
}

} // namespace

int main()
{
    test_instruments_play_in_tune();
    test_finishing();
    test_reverb_wraps_only_loops();
    test_effects_are_repeatable();
    test_cries_differ();
    test_things_that_fall_or_pass_drop_in_pitch();
    test_music_moves();
    return check::finish();
}
