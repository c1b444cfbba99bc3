// Level measurement and finishing: DC removal, loudness, peak limiting, edge fades.
#pragma once

#include "dsp.h"

namespace snd {

// RMS in dBFS over the loud part: the 46 ms windows within 10 dB of the loudest.
double loudness_db(const buffer& x);
double peak_abs(const buffer& x);
double mean_of(const buffer& x);

// High-pass at a few Hz. A circular pass lets a loop's end feed its start.
void remove_dc(buffer& x, bool circular);
// Look-ahead limiter: afterwards no sample exceeds threshold.
void limit_peaks(buffer& x, double threshold);
void fade_edges(buffer& x, double fade_in_s, double fade_out_s);
void scale(buffer& x, double gain);

// One-shot effect: DC free, at the loudness target, peaks under peak_max, faded ends.
void finish_effect(buffer& x, double target_db, double peak_max);
// Loop: DC free and scaled, ends left alone so they keep joining.
void finish_loop(buffer& x, double target_db, double peak_max);

} // namespace snd
