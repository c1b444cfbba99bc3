// A battlefield for actor tests: the sprite set loaded once, empty lists and a new game's state.
#pragma once

#include "actors/actors.h"
#include "services/collision.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/game_state.h"
#include "test_display.h"

inline void clear_all_lists()
{
    star_list.clear();
    canball_list.clear();
    backcloud_list.clear();
    frontcloud_list.clear();
    lgtrooper_list.clear();
    smtrooper_list.clear();
    commando_list.clear();
    mustang_list.clear();
    nukerocket_list.clear();
    smallbomb_list.clear();
    explosion_list.clear();
    bodypart_list.clear();
    planepart_list.clear();
    smokering_list.clear();
    bombmark_list.clear();
}

// Each test starts with every list empty, a player's game at full day and a fixed seed.
class battle_test : public drawing_test {
protected:
    static void SetUpTestSuite()
    {
        ensure_test_display();
        static bool loaded = false;
        if (loaded) return;
        loaded = true;
        set_default_image_flags(9);
        create_sprite_images();
        load_assets();
        set_font(nullptr); // other tests expect the built-in font
    }

    void SetUp() override
    {
        drawing_test::SetUp();
        clear_all_lists();
        fort = fort_tag{};
        demo_mode = 0;
        game_paused = 0;
        quit_requested = 0;
        difficulty = 0;
        score = casualties = days_survived = 0;
        men = 3;
        new_best_flag = 0;
        daylight = 255;
        flash_alpha = 0.0f;
        sound_volume = 0.0f; // effects are cued but silent
        seed_rnd(4660);
        reset_collision_layers(0);
    }

    void TearDown() override
    {
        clear_all_lists();
        drawing_test::TearDown();
    }

    // Walks a list once as the world frame does.
    template <typename T>
    static void update_all(actor_list<T>& l)
    {
        l.walk([](T& a) { a.update(); });
    }
};
