// Counts how often the battle plays one effect, and how often it enters the end-of-game screen.
#pragma once

#include <gtest/gtest.h>

#include "assets/sprite_set.h"
#include "platform/headless_backend.h"
#include "services/audio/mixer.h"
#include "services/audio/sound.h"
#include "services/display.h"
#include "services/input.h"
#include "shell/game_state.h"

inline platform::headless_backend& headless()
{
    return dynamic_cast<platform::headless_backend&>(platform::current());
}

// Stands in a flat tone for the effect and silences the others; each play mixes one more tone into
// the next presented frame, so the level of that frame counts the plays since the last count.
class effect_counter {
public:
    explicit effect_counter(sound** which) : which_(which)
    {
        silence_every_channel(); // the music or an effect of an earlier test would add to the level
        for (int i = 0; i < effect_count; ++i) saved_[i] = *effect_table[i].snd, *effect_table[i].snd = nullptr;
        saved_volume_ = sound_volume;
        sound_volume = 1.0f;
        *which_ = fresh_tone();
    }
    ~effect_counter()
    {
        free_sound(*which_); // stops its voices before it goes
        for (int i = 0; i < effect_count; ++i) *effect_table[i].snd = saved_[i];
        sound_volume = saved_volume_;
    }

    int plays()
    {
        int level = 0;
        headless().on_audio = [&level](const int16_t* s, int frames) { level = frames > 100 ? s[200] : 0; };
        flip_frame(0);
        headless().on_audio = nullptr;
        free_sound(*which_);
        *which_ = fresh_tone();
        return level / tone_level;
    }

private:
    static constexpr int tone_level = 64;
    static sound* fresh_tone()
    {
        auto* s = new sound;
        s->frames = 4000;
        s->pcm16.assign(s->frames, tone_level);
        return s;
    }

    sound** which_;
    sound* saved_[effect_count];
    float saved_volume_;
};

// Runs `action` with a close request waiting: the end-of-game screen then shows one frame and
// returns, so the frames presented meanwhile count its entries.
template <typename F> int game_over_entries(F action)
{
    headless().inject({platform::event_kind::terminate});
    const int before = headless().presented();
    action();
    app_terminate(); // a request nobody took must not reach the next test
    return headless().presented() - before;
}
