// The two sound routines of the shell: one-shot effects and the looping music tracks.
#include "shell/music.h"

#include "services/audio/sound.h"
#include "services/audio/sound_cache.h"
#include "shell/game_state.h"

namespace {

constexpr int track_count = 2;
constexpr const char* track_files[track_count] = {"data/theintro.ogg", "data/theattack.ogg"};

} // namespace

void play_effect(sound* s, int silent)
{
    if (silent == 1) return;
    channel ch = cue_sound(s, 0);
    set_channel_volume(ch, sound_volume);
    resume_channel(ch);
}

// Decoding a track takes several frames' time: each is decoded once and kept, and the one not
// playing is decoded in the background, so even the first change of track stalls no frame.
void start_music(int track)
{
    if (track < 0 || track >= track_count) return;
    channel ch = cue_sound(cached_sound(track_files[track], 1), 0);
    if (music_channel != ch) stop_channel(music_channel);
    music_channel = ch;
    set_channel_volume(ch, music_volume);
    resume_channel(ch);
    for (int t = 0; t < track_count; ++t)
        if (t != track) prefetch_sound(track_files[t], 1);
}

void prefetch_music()
{
    for (const char* file : track_files) prefetch_sound(file, 1);
}
