// Sounds and channels: whole-file decoding, voices with handles, and the mixer's output.
#pragma once

#include <cstdint>
#include <string>

struct sound;

// A handle on one mixer voice: the voice index plus a generation raised by 4096 on every reuse.
using channel = int32_t;

[[nodiscard]] sound* load_sound(const std::string& url, int flags);
channel alloc_channel();
channel play_sound(sound* s, channel ch);
channel cue_sound(sound* s, channel ch);
void resume_channel(channel ch);
void pause_channel(channel ch);
void stop_channel(channel ch);
void set_channel_volume(channel ch, float volume);
int channel_playing(channel ch);

// Stops every voice still playing `s`, then frees it. The game itself never releases a sound.
void free_sound(sound* s);
// Ends whatever every voice plays; the handles stay good. For tests that listen from silence, since
// one process runs many games and a voice of an earlier one may still sound.
void silence_every_channel();
// The whole data folder is missing and that has been said: missing sound files go untold.
void hush_missing_sounds();
