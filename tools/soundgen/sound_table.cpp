// The list of files written into data/, in the order the game loads them.
#include "sounds.h"

namespace snd {

namespace {

buffer man_hit_1() { return render_man_hit(0); }
buffer man_hit_2() { return render_man_hit(1); }
buffer man_hit_3() { return render_man_hit(2); }

} // namespace

const sound_entry sound_table[] = {
    {"startgame.ogg", sound_kind::effect, render_start_game},
    {"cannon.ogg", sound_kind::effect, render_cannon},
    {"explode03.ogg", sound_kind::effect, render_explode_aircraft},
    {"explode02.ogg", sound_kind::loud_effect, render_explode_big},
    {"explode01.ogg", sound_kind::effect, render_explode_small},
    {"aircraft01.ogg", sound_kind::effect, render_aircraft_large},
    {"aircraft02.ogg", sound_kind::effect, render_aircraft_small},
    {"aircraft03.ogg", sound_kind::effect, render_aircraft_fighter},
    {"manhit01.ogg", sound_kind::effect, man_hit_1},
    {"manhit02.ogg", sound_kind::effect, man_hit_2},
    {"manhit03.ogg", sound_kind::effect, man_hit_3},
    {"chutehit.ogg", sound_kind::effect, render_chute_hit},
    {"mansplat.ogg", sound_kind::effect, render_man_splat},
    {"hiscore.ogg", sound_kind::effect, render_hiscore},
    {"enemyin.ogg", sound_kind::effect, render_enemy_in},
    {"newday.ogg", sound_kind::effect, render_new_day},
    {"nukedrop.ogg", sound_kind::effect, render_nuke_drop},
    {"nukemove.ogg", sound_kind::effect, render_nuke_move},
    {"introwar.ogg", sound_kind::jingle, render_logo_jingle},
    {"theintro.ogg", sound_kind::loop, render_title_music},
    {"theattack.ogg", sound_kind::loop, render_battle_music},
};

const int sound_count = static_cast<int>(sizeof sound_table / sizeof sound_table[0]);

double target_loudness_db(sound_kind kind) {
    switch (kind) {
    case sound_kind::effect: return -16.0;
    case sound_kind::loud_effect: return -12.5;
    case sound_kind::jingle: return -21.0;
    case sound_kind::loop: return -22.0;
    }
    return -20.0;
}

} // namespace snd
