// Signals: the alarm for a lost man, the high-score jingle and the bugle calls.
#include "sequencer.h"
#include "sounds.h"

namespace snd {

namespace {

// Renders note lines as a one-shot with a short room tail.
buffer render_call(const std::vector<note>& notes, double length_s, double wet)
{
    buffer out = render_notes(notes, length_s, false, 5);
    out.resize(seconds_to_samples(length_s), 0.0f);
    add_reverb(out, wet, false);
    return out;
}

} // namespace

buffer render_enemy_in()
{
    // Klaxon: a buzzing horn that whoops upward, twice.
    const double length = 1.5;
    const int len = seconds_to_samples(length);
    buffer out(len);
    blep_osc reed;
    svf horn, bell;
    horn.set(1100.0, 2.0);
    bell.set(2600.0, 3.0);
    svf tone;
    tone.set(4500.0, 0.7);
    for (int i = 0; i < len; ++i) {
        const double t = static_cast<double>(i) / sample_rate;
        const double blast_t = t < 0.72 ? t : t - 0.72;
        const double f = 330.0 + 190.0 * (1.0 - det_exp(-blast_t / 0.12));
        const double env = ramp(blast_t, 0.0, 0.03, 0.0, 1.0) * ramp(blast_t, 0.56, 0.68, 1.0, 0.0);
        const double src = reed.pulse(f, 0.3);
        horn.tick(src);
        bell.tick(src);
        const double v = horn.band() * 0.9 + bell.band() * 0.4 + src * 0.1;
        tone.tick(det_tanh(v * 2.0));
        out[i] = static_cast<float>(tone.low() * env);
    }
    return out;
}

buffer render_hiscore()
{
    std::vector<note> notes;
    const double bpm = 150.0;
    write_line(notes, {instrument::bell, 0.8, 1.0, 0.0}, bpm, 0, "C5/1 E5/1 G5/1 C6/1 E6/1 G6/1 C7/6");
    write_line(notes, {instrument::fife, 0.5, 0.95, 0.0}, bpm, 0, "G5/2 C6/2 E6/2 G6/6");
    write_line(notes, {instrument::brass, 0.35, 0.9, 0.0}, bpm, 6, "C5+E5+G5/6");
    return render_call(notes, 1.5, 0.25);
}

buffer render_new_day()
{
    // Reveille-style: only the notes a valveless bugle can play.
    std::vector<note> notes;
    const double bpm = 150.0;
    write_line(notes, {instrument::bugle, 1.0, 0.85, -2.0}, bpm, 0,
               "G4/2 C5/2 E5/4 C5/2 E5/2 G5/6 E5/2 C5/2 G4/2 >C5/10");
    return render_call(notes, 3.7, 0.35);
}

buffer render_start_game()
{
    std::vector<note> notes;
    const double bpm = 168.0;
    write_line(notes, {instrument::bugle, 1.0, 0.8, 0.0}, bpm, 0, "G4/1 G4/1 C5/2 E5/2 G5/3 E5/1 >G5/10");
    write_line(notes, {instrument::snare, 0.5, 1.0, 0.0}, bpm, 0,
               "C4/1 C4/1 C4/1 C4/1 C4/1 C4/1 C4/1 C4/1 C4/1 C4/1 >C4/6");
    write_line(notes, {instrument::timpani, 0.9, 1.0, 0.0}, bpm, 10, "C2/6");
    write_line(notes, {instrument::cymbal, 0.6, 1.0, 0.0}, bpm, 10, "C4/6");
    return render_call(notes, 2.6, 0.3);
}

} // namespace snd
