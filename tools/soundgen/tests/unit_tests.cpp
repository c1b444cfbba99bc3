// Unit tests of the maths, levels, sequencer and Ogg round trip behind soundgen.
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "catalogue.h"
#include "check.h"
#include "levels.h"
#include "ogg_io.h"
#include "sequencer.h"

using check::expect;

namespace {

void test_exact_maths_tracks_libm()
{
    double worst_sin = 0, worst_exp = 0, worst_log = 0;
    for (int i = -20000; i <= 20000; ++i) {
        const double x = i * 0.00731;
        worst_sin = std::max(worst_sin, std::fabs(snd::det_sin(x) - std::sin(x)));
        const double e = i * 0.0017;
        worst_exp = std::max(worst_exp, std::fabs(snd::det_exp(e) / std::exp(e) - 1.0));
        const double l = 1e-6 + std::fabs(i) * 0.013;
        worst_log = std::max(worst_log, std::fabs(snd::det_log(l) - std::log(l)));
    }
    expect(worst_sin < 1e-12, "det_sin matches sin");
    expect(worst_exp < 1e-13, "det_exp matches exp");
    expect(worst_log < 1e-12, "det_log matches log");
    snd::sine_osc osc;
    double worst_osc = 0;
    for (int i = 0; i < 44100; ++i)
        worst_osc = std::max(worst_osc, std::fabs(osc.tick(441.7) - std::sin(snd::two_pi * 441.7 * i / 44100.0)));
    expect(worst_osc < 1e-5, "table oscillator stays on the sine");
    snd::decay_env env(2.0, 0.5);
    double v = 0;
    for (int i = 0; i <= 22050; ++i) v = env.tick();
    expect(std::fabs(v - 2.0 * std::exp(-1.0)) < 1e-6, "stepped decay falls to 1/e in its time");
    expect(std::fabs(snd::midi_to_hz(69) - 440.0) < 1e-9 && std::fabs(snd::midi_to_hz(57) - 220.0) < 1e-9,
           "midi_to_hz octaves");
}

void test_slow_noise_is_unit_and_slow()
{
    for (double corner : {4.0, 40.0}) {
        snd::slow_noise wob(7, corner);
        double sum = 0, sq = 0, steps = 0, prev = wob.next();
        const int n = 44100 * 20;
        for (int i = 0; i < n; ++i) {
            const double v = wob.next();
            sum += v;
            sq += v * v;
            steps += std::fabs(v - prev);
            prev = v;
        }
        const double dev = std::sqrt(sq / n - (sum / n) * (sum / n));
        char detail[64];
        std::snprintf(detail, sizeof detail, "corner %.0f Hz: deviation %.2f", corner, dev);
        expect(dev > 0.6 && dev < 1.5, "slow noise has about unit deviation", detail);
        expect(steps / n < 0.05 * corner / 4.0, "slow noise moves slowly", detail);
    }
}

void test_limiter_caps_and_spares()
{
    snd::buffer x(44100);
    for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.3 * snd::det_sin(i * 0.05));
    x[10000] = 1.5f;
    x[10001] = -1.2f;
    x[30000] = 0.95f;
    snd::buffer before = x;
    snd::limit_peaks(x, 0.8);
    expect(snd::peak_abs(x) <= 0.8 + 1e-6, "limiter ceiling holds");
    // Far from the spikes nothing changes.
    bool untouched = true;
    for (size_t i = 0; i < 5000; ++i) untouched = untouched && x[i] == before[i];
    for (size_t i = 40000; i < x.size(); ++i) untouched = untouched && x[i] == before[i];
    expect(untouched, "limiter leaves quiet stretches alone");
    // The gain moves smoothly: no step bigger than the signal's own.
    double worst = 0;
    for (size_t i = 9000; i < 11000; ++i) {
        if (i == 9999 || i == 10000 || i == 10001) continue;
        worst = std::max(worst, static_cast<double>(std::fabs(x[i + 1] - x[i])));
    }
    expect(worst < 0.02, "limiter gain has no jumps");
}

void test_loudness_measure()
{
    snd::buffer tone(44100);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<float>(0.5 * snd::det_sin(i * 0.0627));
    const double expected = 20.0 * std::log10(0.5 / std::sqrt(2.0));
    expect(std::fabs(snd::loudness_db(tone) - expected) < 0.1, "loudness of a sine is its RMS");
    snd::buffer padded(44100 * 3, 0.0f);
    for (size_t i = 0; i < tone.size(); ++i) padded[44100 + i] = tone[i];
    expect(std::fabs(snd::loudness_db(padded) - expected) < 0.3, "silence around a sound does not count");
    expect(snd::loudness_db(snd::buffer(1000, 0.0f)) < -150.0, "silence measures as silence");
}

void test_dc_removal_keeps_loops_joined()
{
    snd::buffer x(44100 * 2);
    const double step = snd::two_pi * 5.0 / static_cast<double>(x.size()); // whole cycles
    for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.2 + 0.3 * snd::det_sin(i * step * 20));
    snd::remove_dc(x, true);
    expect(std::fabs(snd::mean_of(x)) < 1e-3, "dc removed");
    expect(std::fabs(x.back() - x.front()) < 0.01, "circular dc removal joins the ends");
}

void test_note_lines()
{
    int used = 0;
    expect(snd::parse_pitch("C4", &used) == 60 && used == 2, "C4 is 60");
    expect(snd::parse_pitch("Bb3", &used) == 58 && used == 3, "Bb3 is 58");
    expect(snd::parse_pitch("F#4", nullptr) == 66, "F#4 is 66");
    expect(snd::parse_pitch("H4", nullptr) < 0 && snd::parse_pitch("C", nullptr) < 0, "bad pitch refused");

    std::vector<snd::note> notes;
    const double bpm = 120.0; // a sixteenth is 0.125 s
    const int len =
        snd::write_line(notes, {snd::instrument::brass, 0.5, 1.0, 2.0}, bpm, 16, "D4/6 D4/2 F4+A4/4 r/4 >C5");
    expect(len == 20, "line length in sixteenths");
    expect(notes.size() == 5, "chord tokens make one note per pitch");
    if (notes.size() == 5) {
        expect(std::fabs(notes[0].start_s - 2.0) < 1e-12, "line starts at its offset");
        expect(std::fabs(notes[1].start_s - 2.75) < 1e-12, "second note after the first");
        expect(notes[2].start_s == notes[3].start_s, "chord notes start together");
        expect(notes[2].pitch == 67.0 && notes[3].pitch == 71.0, "transpose applies");
        expect(std::fabs(notes[4].start_s - 4.0) < 1e-12 && std::fabs(notes[4].length_s - 0.5) < 1e-12,
               "rest advances and length carries over");
        expect(notes[4].velocity > notes[0].velocity, "accent is louder");
    }
    std::vector<snd::note> none;
    expect(snd::write_line(none, {}, bpm, 0, "C4/4 X9/2") == -1, "bad token reported");
    expect(snd::write_line(none, {}, bpm, 0, "C4/0") == -1, "zero length refused");
}

void test_loop_render_wraps_tails()
{
    std::vector<snd::note> notes(1);
    notes[0].inst = snd::instrument::timpani;
    notes[0].start_s = 0.9;
    notes[0].length_s = 1.0;
    notes[0].pitch = 45;
    const snd::buffer straight = snd::render_notes(notes, 1.0, false, 3);
    const snd::buffer looped = snd::render_notes(notes, 1.0, true, 3);
    expect(looped.size() == 44100, "loop is exactly its length");
    expect(straight.size() > 44100, "the tail rings past the end");
    // What rang past the end is added at the start, sample for sample.
    bool folded = true;
    for (size_t i = 0; i < 44100; ++i) {
        double want = straight[i];
        for (size_t j = i + 44100; j < straight.size(); j += 44100) want += straight[j];
        folded = folded && std::fabs(looped[i] - want) < 1e-5;
    }
    expect(folded, "tails fold back to the start");
    expect(snd::peak_abs(snd::buffer(looped.begin(), looped.begin() + 4410)) > 0.01, "the start carries the tail");
}

void test_vorbis_round_trip()
{
    snd::buffer x(30000);
    for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.4 * snd::det_sin(i * 0.03));
    const auto a = snd::encode_vorbis(x, 0.3f, 12345);
    const auto b = snd::encode_vorbis(x, 0.3f, 12345);
    const auto c = snd::encode_vorbis(x, 0.3f, 999);
    expect(!a.empty() && a == b, "encoding is deterministic");
    expect(a != c, "serial is written into the stream");
    // Page header bytes 14..17 hold the serial, little-endian.
    const uint32_t serial = a.size() > 18 ? (a[14] | a[15] << 8 | a[16] << 16 | static_cast<uint32_t>(a[17]) << 24) : 0;
    expect(serial == 12345, "first page carries the fixed serial");
    const snd::decoded_sound d = snd::decode_vorbis(a);
    expect(d.ok && d.rate == 44100 && d.channels == 1, "decodes as mono 44.1 kHz");
    expect(d.samples.size() == x.size(), "decoded length is exact");
    double err = 0;
    for (size_t i = 0; i < x.size() && i < d.samples.size(); ++i)
        err = std::max(err, static_cast<double>(std::fabs(d.samples[i] - x[i])));
    expect(err < 0.05, "decoded samples are close to the input");

    // The sample digest travels in a comment and survives any encoder setting.
    const std::string digest = snd::pcm_digest(x);
    const auto tagged_lo = snd::encode_vorbis(x, 0.1f, 1, {std::string(snd::pcm_tag) + "=" + digest});
    const auto tagged_hi = snd::encode_vorbis(x, 0.6f, 1, {std::string(snd::pcm_tag) + "=" + digest});
    expect(tagged_lo != tagged_hi, "other settings write other bytes");
    expect(snd::find_tag(snd::decode_vorbis(tagged_lo), snd::pcm_tag) == digest &&
               snd::find_tag(snd::decode_vorbis(tagged_hi), snd::pcm_tag) == digest,
           "digest tag reads back");
    expect(snd::find_tag(snd::decode_vorbis(a), snd::pcm_tag).empty(), "absent tag reads as empty");
    snd::buffer nudged = x;
    nudged[1234] = std::nextafter(nudged[1234], 1.0f);
    expect(snd::pcm_digest(nudged) != digest, "digest sees a one-bit change");

    std::vector<uint8_t> broken = a;
    for (size_t i = 0; i < broken.size(); i += 7) broken[i] ^= 0x5a;
    expect(!snd::decode_vorbis(broken).ok, "corrupt stream is refused");
    expect(!snd::decode_vorbis(std::vector<uint8_t>{}).ok, "empty stream is refused");
    expect(!snd::decode_vorbis_file("/nonexistent/x.ogg").ok, "missing file is refused");
    expect(!snd::write_file("/nonexistent/dir/x.ogg", a), "unwritable path reported");
}

void test_table()
{
    std::set<std::string> names;
    std::set<uint32_t> serials;
    for (int i = 0; i < snd::sound_count; ++i) {
        names.insert(snd::sound_table[i].file);
        serials.insert(snd::stream_serial(snd::sound_table[i].file));
    }
    expect(snd::sound_count == 21 && names.size() == 21, "21 distinct files");
    expect(serials.size() == 21, "each file has its own stream serial");
}

} // namespace

int main()
{
    test_exact_maths_tracks_libm();
    test_slow_noise_is_unit_and_slow();
    test_limiter_caps_and_spares();
    test_loudness_measure();
    test_dc_removal_keeps_loops_joined();
    test_note_lines();
    test_loop_render_wraps_tails();
    test_vorbis_round_trip();
    test_table();
    return check::finish();
}
