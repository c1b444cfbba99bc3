// Note lists written in a compact text form, rendered with loop wrap-around and reverb.
#pragma once

#include <vector>

#include "instruments.h"

namespace snd {

struct part_style {
    instrument inst = instrument::brass;
    double velocity = 1.0;
    double legato = 0.9;    // share of the written length that is held
    double transpose = 0.0; // semitones
};

// Appends the notes of a line such as "D4/6 D4/2 F4+A4/4 r/4 >D5/8".
// A token is pitches joined by '+', or 'r' for a rest, then '/' and the length
// in sixteenths (the previous length when left out); '>' accents it.
// Returns the line's length in sixteenths; -1 when a token does not parse.
int write_line(std::vector<note>& out, const part_style& style, double bpm, double start_16th, const char* text);

// MIDI number of a name like "C#4" or "Bb2"; -1 when unknown.
int parse_pitch(const char* text, int* consumed);

double sixteenth_s(double bpm);

// Mixes every note. With loop set the result is exactly length_s long and the
// tails that ring past the end are added back at the start, so it repeats cleanly.
buffer render_notes(const std::vector<note>& notes, double length_s, bool loop, uint64_t seed);

// Small room; a circular pass lets the tail of the end reverberate into the start.
void add_reverb(buffer& x, double wet, bool circular);

} // namespace snd
