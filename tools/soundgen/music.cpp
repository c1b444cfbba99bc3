// The logo jingle, the title march and the battle music, as scored note lines.
#include <cstring>
#include <string>

#include "levels.h"
#include "sequencer.h"
#include "sounds.h"

namespace snd {

namespace {

constexpr int bar = 16; // sixteenths per 4/4 bar

struct arrangement {
    std::vector<note> notes;
    double bpm;
};

void line(arrangement& a, const part_style& s, int start_bar, const char* text)
{
    write_line(a.notes, s, a.bpm, start_bar * bar, text);
}

// Splits "G3+Bb3+D4|A3+C#4+E4" into the chords that share a bar equally.
std::vector<std::string> bar_chords(const char* text)
{
    std::vector<std::string> parts(1);
    for (const char* p = text; *p; ++p) {
        if (*p == '|')
            parts.emplace_back();
        else
            parts.back() += *p;
    }
    return parts;
}

// Chords are written as a horn voicing ("D3+F3+A3"), half bars split by '|';
// the bass walks root and fifth below it and the timpani marks the downbeat.
void accompany(arrangement& a, int start_bar, const char* const* chords, int bars, double bass_vel, bool driving,
               double horn_vel)
{
    const double unit = sixteenth_s(a.bpm);
    for (int b = 0; b < bars; ++b) {
        const std::vector<std::string> parts = bar_chords(chords[b]);
        const int span = bar / static_cast<int>(parts.size());
        for (size_t c = 0; c < parts.size(); ++c) {
            const int at = (start_bar + b) * bar + static_cast<int>(c) * span;
            if (horn_vel > 0.0)
                write_line(a.notes, {instrument::horn, horn_vel, 0.95, 0.0}, a.bpm, at,
                           (parts[c] + "/" + std::to_string(span)).c_str());
            const int root = parse_pitch(parts[c].c_str(), nullptr) - 12;
            const int steps = (driving ? 8 : 4) / static_cast<int>(parts.size());
            const int len16 = span / steps;
            for (int k = 0; k < steps; ++k) {
                note n;
                n.inst = instrument::bass;
                n.start_s = (at + k * len16) * unit;
                n.length_s = len16 * unit * (driving ? 0.6 : 0.8);
                // March bass: root and the fifth below; driving bass: root with octave kicks.
                if (driving)
                    n.pitch = root + ((k % 4 == 3) ? 12 : 0);
                else
                    n.pitch = root - ((k % 2 == 1) ? 5 : 0);
                n.velocity = bass_vel * (k % 2 == 0 ? 1.0 : 0.8);
                a.notes.push_back(n);
            }
            note timp;
            timp.inst = instrument::timpani;
            timp.start_s = at * unit;
            timp.length_s = 1.0;
            timp.pitch = root < 38 ? root + 12 : root;
            timp.velocity = c == 0 ? 0.55 : 0.35;
            a.notes.push_back(timp);
        }
    }
}

// Off-beat brass chord stabs, an octave above the written voicing.
void stabs(arrangement& a, int start_bar, const char* const* chords, int bars, double vel)
{
    const part_style style{instrument::brass, vel, 0.55, 12.0};
    for (int b = 0; b < bars; ++b) {
        const std::vector<std::string> parts = bar_chords(chords[b]);
        const int span = bar / static_cast<int>(parts.size());
        for (size_t c = 0; c < parts.size(); ++c) {
            const int at = (start_bar + b) * bar + static_cast<int>(c) * span;
            for (int k = 2; k < span; k += 4)
                write_line(a.notes, style, a.bpm, at + k, (parts[c] + (k == 2 ? "/2" : "/1")).c_str());
        }
    }
}

// One character per sixteenth: X accent, x hit, o ghost, . silence.
void drum_pattern(arrangement& a, instrument inst, int start_bar, int bars, const char* pattern, double vel)
{
    const double unit = sixteenth_s(a.bpm);
    const int steps = static_cast<int>(std::strlen(pattern));
    for (int b = 0; b < bars; ++b)
        for (int k = 0; k < steps; ++k) {
            const char c = pattern[k];
            if (c == '.') continue;
            note n;
            n.inst = inst;
            n.start_s = ((start_bar + b) * bar + k * bar / steps) * unit;
            n.length_s = 0.1;
            n.pitch = inst == instrument::kick ? 36 : 60;
            n.velocity = vel * (c == 'X' ? 1.0 : c == 'x' ? 0.7 : 0.35);
            a.notes.push_back(n);
        }
}

// Thirty-second-note snare roll swelling from v0 to v1.
void roll(arrangement& a, int start_16th, int length_16th, double v0, double v1)
{
    const double unit = sixteenth_s(a.bpm);
    const int hits = length_16th * 2;
    for (int k = 0; k < hits; ++k) {
        note n;
        n.inst = instrument::snare;
        n.start_s = (start_16th + k * 0.5) * unit;
        n.length_s = 0.05;
        n.velocity = v0 + (v1 - v0) * k / hits;
        a.notes.push_back(n);
    }
}

void crash(arrangement& a, int at_bar, double vel)
{
    note n;
    n.inst = instrument::cymbal;
    n.start_s = at_bar * bar * sixteenth_s(a.bpm);
    n.length_s = 1.5;
    n.velocity = vel;
    a.notes.push_back(n);
}

buffer render_loop(const arrangement& a, int bars, uint64_t seed, double wet)
{
    const double length = bars * bar * sixteenth_s(a.bpm);
    buffer out = render_notes(a.notes, length, true, seed);
    add_reverb(out, wet, true);
    return out;
}

// Title march, D minor, 104 beats a minute.
constexpr const char* march_a_chords[8] = {"D3+F3+A3", "D3+F3+A3",  "G3+Bb3+D4",           "A3+C#4+E4",
                                           "D3+F3+A3", "Bb2+D3+F3", "G3+Bb3+D4|A3+C#4+E4", "D3+F3+A3"};
constexpr const char* march_a_tune = "D4/6 D4/2 F4/4 A4/4 D5/8 A4/4 F4/4 G4/6 G4/2 Bb4/4 D5/4 C#5/8 A4/8 "
                                     "D5/6 E5/2 F5/4 D5/4 Bb4/6 C5/2 D5/4 Bb4/4 G4/4 Bb4/4 A4/4 C#5/4 D5/12 r/4";
constexpr const char* march_b_chords[8] = {"F3+A3+C4",  "C3+E3+G3", "Bb2+D3+F3", "F3+A3+C4",
                                           "G3+Bb3+D4", "D3+F3+A3", "E3+G#3+B3", "A3+C#4+E4"};
constexpr const char* march_b_tune = "A4/6 A4/2 C5/4 F5/4 E5/8 C5/4 G4/4 F4/6 G4/2 Bb4/4 D5/4 C5/12 r/4 "
                                     "Bb4/6 A4/2 G4/4 Bb4/4 A4/6 G4/2 F4/4 A4/4 G#4/4 B4/4 D5/4 E5/4 C#5/8 E4/4 A4/4";
constexpr const char* march_fife =
    "A5/2 F5/2 D5/2 F5/2 A5/2 D6/2 A5/2 F5/2 D6/4 A5/4 F5/4 A5/4 Bb5/2 G5/2 D5/2 G5/2 Bb5/4 D6/4 "
    "E6/4 C#6/4 A5/4 E5/4 F5/2 A5/2 D6/2 A5/2 F5/2 A5/2 D6/4 D6/2 Bb5/2 F5/2 Bb5/2 D6/4 F6/4 "
    "D6/2 Bb5/2 G5/4 E5/2 C#6/2 A5/4 D6/8 A5/8";
constexpr const char* march_coda_chords[4] = {"G3+Bb3+D4", "D3+F3+A3", "A3+C#4+E4", "A3+C#4+E4"};
constexpr const char* march_coda_tune = "D5/8 Bb4/8 A4/8 F4/8 E4/8 G4/8 A4/12 r/4";
constexpr const char* march_intro_chords[4] = {"D3+F3+A3", "D3+F3+A3", "D3+F3+A3", "A3+C#4+E4"};

constexpr const char* march_snare = "X..xx.x.X..xx.x.";
constexpr const char* march_snare_turn = "X..xx.x.XxxxX.Xx";
constexpr const char* march_kick = "X.......x.......";

// Battle music, E minor, 144 beats a minute.
constexpr const char* battle_c_chords[8] = {
    "E3+G3+B3", "C3+E3+G3", "D3+F#3+A3", "B2+D#3+F#3", "E3+G3+B3", "C3+E3+G3", "D3+F#3+A3|B2+D#3+F#3", "E3+G3+B3"};
constexpr const char* battle_c_tune =
    "E4/3 E4/1 G4/2 B4/2 E5/4 D5/2 B4/2 C5/6 B4/2 G4/4 E4/4 D4/3 D4/1 F#4/2 A4/2 D5/4 C5/2 A4/2 "
    "B4/8 D#5/4 F#5/4 G5/4 F#5/2 E5/2 B4/4 E5/4 E5/4 D5/2 C5/2 G4/4 C5/4 D5/4 C5/2 A4/2 B4/4 D#5/4 E5/12 r/4";
constexpr const char* battle_d_chords[8] = {"A2+C3+E3", "E3+G3+B3",  "A2+C3+E3",   "B2+D#3+F#3",
                                            "C3+E3+G3", "D3+F#3+A3", "B2+D#3+F#3", "B2+D#3+F#3"};
constexpr const char* battle_d_tune =
    "A4/4 C5/4 E5/6 D5/2 B4/4 G4/4 E4/8 A4/4 C5/4 E5/4 A5/4 F#5/8 D#5/8 "
    "G5/6 F#5/2 E5/4 C5/4 D5/6 C5/2 A4/4 F#4/4 B4/4 C5/2 B4/2 A4/4 F#4/4 B4/8 D#5/4 F#5/4";
constexpr const char* battle_snare = "....X.......X.o.";
constexpr const char* battle_snare_fill = "....X..o..X.XxXx";
constexpr const char* battle_kick = "X...X...X...X.x.";

} // namespace

buffer render_title_music()
{
    arrangement a{{}, 104.0};
    const part_style lead{instrument::brass, 0.55, 0.92, 0.0};
    const part_style fife{instrument::fife, 0.3, 0.85, 0.0};
    // 4 bars of drums, A, A with fife, B, A full, coda: 40 bars.
    accompany(a, 0, march_intro_chords, 4, 0.35, false, 0.08);
    accompany(a, 4, march_a_chords, 8, 0.45, false, 0.12);
    accompany(a, 12, march_a_chords, 8, 0.45, false, 0.12);
    accompany(a, 20, march_b_chords, 8, 0.45, false, 0.14);
    accompany(a, 28, march_a_chords, 8, 0.5, false, 0.16);
    accompany(a, 36, march_coda_chords, 4, 0.45, false, 0.14);
    line(a, lead, 4, march_a_tune);
    line(a, lead, 12, march_a_tune);
    line(a, fife, 12, march_fife);
    line(a, lead, 20, march_b_tune);
    line(a, {instrument::fife, 0.22, 0.9, 12.0}, 20, march_b_tune);
    line(a, {instrument::brass, 0.62, 0.92, 0.0}, 28, march_a_tune);
    line(a, {instrument::brass, 0.3, 0.92, -12.0}, 28, march_a_tune);
    line(a, fife, 28, march_fife);
    line(a, lead, 36, march_coda_tune);
    for (int b = 0; b < 39; ++b) {
        // A turn at the end of each four-bar phrase, unless a roll is there.
        const bool turn = b % 4 == 3 && b != 3 && b != 19 && b != 27;
        drum_pattern(a, instrument::snare, b, 1, turn ? march_snare_turn : march_snare, 0.32);
    }
    drum_pattern(a, instrument::kick, 0, 40, march_kick, 0.45);
    // Rolls lead into each section; the last one leads back round to the top.
    roll(a, 3 * bar + 8, 8, 0.1, 0.4);
    roll(a, 19 * bar + 8, 8, 0.1, 0.4);
    roll(a, 27 * bar + 8, 8, 0.1, 0.45);
    roll(a, 39 * bar, 16, 0.08, 0.45);
    crash(a, 4, 0.3);
    crash(a, 20, 0.3);
    crash(a, 28, 0.35);
    return render_loop(a, 40, 101, 0.35);
}

buffer render_battle_music()
{
    arrangement a{{}, 144.0};
    const part_style lead{instrument::brass, 0.55, 0.88, 0.0};
    // Intro 4, C, C+, D, break 8, C, D, outro 4: 56 bars.
    const char* const riff[4] = {"E3+G3+B3", "E3+G3+B3", "C3+E3+G3", "B2+D#3+F#3"};
    accompany(a, 0, riff, 4, 0.45, true, 0.0);
    accompany(a, 4, battle_c_chords, 8, 0.5, true, 0.1);
    accompany(a, 12, battle_c_chords, 8, 0.5, true, 0.12);
    accompany(a, 20, battle_d_chords, 8, 0.5, true, 0.12);
    accompany(a, 28, riff, 4, 0.5, true, 0.0);
    accompany(a, 32, riff, 4, 0.5, true, 0.1);
    accompany(a, 36, battle_c_chords, 8, 0.55, true, 0.14);
    accompany(a, 44, battle_d_chords, 8, 0.55, true, 0.14);
    accompany(a, 52, riff, 4, 0.5, true, 0.08);
    line(a, lead, 4, battle_c_tune);
    line(a, lead, 12, battle_c_tune);
    line(a, {instrument::fife, 0.25, 0.8, 12.0}, 12, battle_c_tune);
    line(a, lead, 20, battle_d_tune);
    stabs(a, 28, riff, 4, 0.3);
    stabs(a, 32, riff, 4, 0.3);
    stabs(a, 36, battle_c_chords, 8, 0.14);
    line(a, {instrument::brass, 0.62, 0.88, 0.0}, 36, battle_c_tune);
    line(a, {instrument::brass, 0.3, 0.88, -12.0}, 36, battle_c_tune);
    line(a, {instrument::brass, 0.62, 0.88, 0.0}, 44, battle_d_tune);
    line(a, {instrument::fife, 0.25, 0.8, 12.0}, 44, battle_d_tune);
    stabs(a, 52, riff, 4, 0.3);
    for (int b = 0; b < 56; ++b) {
        const bool fill = b % 8 == 7;
        drum_pattern(a, instrument::snare, b, 1, fill ? battle_snare_fill : battle_snare, 0.4);
        drum_pattern(a, instrument::kick, b, 1, battle_kick, 0.45);
    }
    crash(a, 4, 0.3);
    crash(a, 20, 0.3);
    crash(a, 36, 0.35);
    crash(a, 44, 0.3);
    return render_loop(a, 56, 202, 0.25);
}

buffer render_logo_jingle()
{
    arrangement a{{}, 112.0};
    // Timpani roll swelling into a brass fanfare, a crash, a long final chord.
    for (int k = 0; k < 15; ++k) {
        note n;
        n.inst = instrument::timpani;
        n.start_s = k * 0.0625;
        n.length_s = 0.3;
        n.pitch = 38;
        n.velocity = 0.1 + 0.5 * k / 15.0;
        a.notes.push_back(n);
    }
    constexpr const char* fanfare = "A3/1 A3/1 D4/2 F#4/2 A4/4 G4/2 F#4/1 E4/1 >D4/6 r/2 A4/1 A4/1 >D5/12";
    write_line(a.notes, {instrument::brass, 0.6, 0.95, 0.0}, a.bpm, 7, fanfare);
    write_line(a.notes, {instrument::brass, 0.35, 0.95, -12.0}, a.bpm, 7, fanfare);
    write_line(a.notes, {instrument::horn, 0.18, 0.95, 0.0}, a.bpm, 7,
               "D3+F#3+A3/10 G3+B3+D4/2 A3+C#4+E4/2 D3+F#3+A3/10 D3+F#3+A3+D4/12");
    write_line(a.notes, {instrument::bass, 0.5, 0.95, 0.0}, a.bpm, 7, "D2/10 G2/2 A2/2 D2/10 D2/12");
    write_line(a.notes, {instrument::timpani, 0.7, 1.0, 0.0}, a.bpm, 29, "A1/1 A1/1 >D2/12");
    write_line(a.notes, {instrument::cymbal, 0.5, 1.0, 0.0}, a.bpm, 31, "C4/8");
    const double length = 7.6;
    buffer out = render_notes(a.notes, length, false, 303);
    out.resize(seconds_to_samples(length), 0.0f);
    add_reverb(out, 0.4, false);
    return out;
}

} // namespace snd
