// The synthesised band: brass, bugle, fife, horn pad, bass, drums and bells.
#pragma once

#include "dsp.h"

namespace snd {

enum class instrument { brass, bugle, fife, horn, bass, snare, timpani, kick, cymbal, bell };

struct note {
    double start_s = 0.0;
    double length_s = 0.0; // held time; the release rings on past it
    double pitch = 60.0;   // MIDI note number, fractional allowed
    double velocity = 1.0;
    instrument inst = instrument::brass;
};

// Seconds a note keeps sounding after its held time.
double release_time(instrument inst);

// Renders one note from time zero, held time plus release.
buffer render_note(const note& n, uint64_t seed);

} // namespace snd
