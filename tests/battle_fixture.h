// A battlefield for actor tests: the sprite set loaded once, empty lists and a new game's state.
#pragma once

#include "actors/actors.h"
#include "actors/world_lists.h"
#include "assets/sprite_set.h"
#include "services/collision.h"
#include "services/images.h"
#include "services/maths.h"
#include "shell/battle_seam.h"
#include "shell/game_state.h"
#include "test_display.h"

// Each test starts with every list empty, a player's game at full day and a fixed seed.
class battle_test : public drawing_test {
protected:
    static void SetUpTestSuite()
    {
        ensure_test_display();
        static bool loaded = false;
        if (loaded) return;
        loaded = true;
        set_default_image_flags(image_masked | image_dynamic);
        create_sprite_images();
        load_assets();
        set_font(nullptr); // other tests expect the built-in font
    }

    void SetUp() override
    {
        drawing_test::SetUp();
        set_start_values();
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
    template <typename T> static void update_all(actor_list<T>& l)
    {
        l.walk([](T& a) { a.update(); });
    }
};
