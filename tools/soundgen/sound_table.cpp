// The list of files written into data/, in the order the game loads them.
#include "sounds.h"

namespace snd {

double kind_loudness_db(sound_kind kind);

namespace {

buffer man_hit_1() { return render_man_hit(0); }
buffer man_hit_2() { return render_man_hit(1); }
buffer man_hit_3() { return render_man_hit(2); }

} // namespace

const sound_entry sound_table[] = {
    {"startgame.ogg", sound_kind::effect, render_start_game, 0.0},
    {"cannon.ogg", sound_kind::effect, render_cannon, 1.0},
    {"explode03.ogg", sound_kind::effect, render_explode_aircraft, 1.0},
    {"explode02.ogg", sound_kind::loud_effect, render_explode_big, 0.0},
    {"explode01.ogg", sound_kind::effect, render_explode_small, 1.0},
    {"aircraft01.ogg", sound_kind::effect, render_aircraft_large, -1.0},
    {"aircraft02.ogg", sound_kind::effect, render_aircraft_small, -1.0},
    {"aircraft03.ogg", sound_kind::effect, render_aircraft_fighter, 0.0},
    {"manhit01.ogg", sound_kind::effect, man_hit_1, -1.0},
    {"manhit02.ogg", sound_kind::effect, man_hit_2, -1.0},
    {"manhit03.ogg", sound_kind::effect, man_hit_3, -1.0},
    {"chutehit.ogg", sound_kind::effect, render_chute_hit, 0.0},
    {"mansplat.ogg", sound_kind::effect, render_man_splat, 2.0},
    {"hiscore.ogg", sound_kind::effect, render_hiscore, -1.0},
    {"enemyin.ogg", sound_kind::effect, render_enemy_in, -1.0},
    {"newday.ogg", sound_kind::effect, render_new_day, -1.0},
    {"nukedrop.ogg", sound_kind::effect, render_nuke_drop, -1.0},
    {"nukemove.ogg", sound_kind::effect, render_nuke_move, 0.0},
    {"introwar.ogg", sound_kind::jingle, render_logo_jingle, 0.0},
    {"theintro.ogg", sound_kind::loop, render_title_music, 0.0},
    {"theattack.ogg", sound_kind::loop, render_battle_music, 0.0},
};

const int sound_count = static_cast<int>(sizeof sound_table / sizeof sound_table[0]);

double target_loudness_db(const sound_entry& entry) {
    return kind_loudness_db(entry.kind) + entry.trim_db;
}

double kind_loudness_db(sound_kind kind) {
    switch (kind) {
    case sound_kind::effect: return -16.0;
    case sound_kind::loud_effect: return -12.5;
    case sound_kind::jingle: return -21.0;
    case sound_kind::loop: return -22.0;
    }
    return -20.0;
}

} // namespace snd
