// The fort: sweeping and firing by itself, the player's aim and controls, the cost of a shot, and drawing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle_fixture.h"
#include "effect_counter.h"
#include "headless_battle.h"

namespace {

using platform::event_kind;

class fort_test : public battle_test {
protected:
    void SetUp() override
    {
        battle_test::SetUp();
        hb = &use_headless();
        start_input();
        fort.can_rot = 90;
        fort.can_flash = 400;
        send(event_kind::mouse_move, 320, 240);
    }
    void TearDown() override
    {
        hb->set_frame_limit(-1);
        hb->set_script({});
        stop_channel(music_channel); // the pause menu starts music of its own
        start_input();
        battle_test::TearDown();
    }

    void send(event_kind k, int a = 0, int b = 0) { hb->inject({k, a, b}); }

    // A pause menu runs frames of its own until asked to close: make sure it is asked.
    void close_any_pause() { hb->set_frame_limit(hb->presented() + 2); }

    void plug_pad_with_button(int button)
    {
        std::vector<platform::scripted_event> s;
        std::string err;
        ASSERT_TRUE(platform::parse_script("0 joy_down 0 " + std::to_string(button) + "\n", s, err)) << err;
        hb->set_script(s);
        joy_count();
        pump_input();
    }

    // One world frame's share of the fort: drawn first, controls read after the other actors.
    void frame()
    {
        fort.update();
        fort.get_inputs();
    }

    // The frames (1-based) on which a ball was fired, over n frames.
    std::vector<int> shots_over(int n)
    {
        std::vector<int> at;
        for (int f = 1; f <= n; ++f) {
            int before = canball_list.size();
            frame();
            if (canball_list.size() > before) at.push_back(f);
        }
        return at;
    }

    platform::headless_backend* hb = nullptr;
};

const std::vector<int> every_15 = {1, 16, 31, 46};

TEST_F(fort_test, attract_mode_sweeps_between_0_and_180_and_fires_every_15_frames_without_scoring)
{
    effect_counter cannon(&cannon_snd);
    demo_mode = 1;
    fort.crot_stp = -1;
    score = 7;
    send(event_kind::key_down, 32); // controls are not read in attract mode
    send(event_kind::mouse_down, 1);

    std::vector<int> rot, shot_rot, shot_dir;
    for (int f = 1; f <= 400; ++f) {
        int before = canball_list.size();
        frame();
        rot.push_back(fort.can_rot);
        if (canball_list.size() > before) {
            shot_rot.push_back(fort.can_rot);
            shot_dir.push_back(static_cast<int>(canball_list.back()->dir));
            EXPECT_EQ((f - 1) % 15, 0) << "shot on frame " << f;
        }
    }
    EXPECT_EQ(static_cast<int>(shot_rot.size()), 27);
    for (size_t i = 0; i < shot_rot.size(); ++i) EXPECT_EQ(shot_dir[i], shot_rot[i] - 90);

    // Down from 90 to 0, held there one frame as it turns, up to 180, held, and back down.
    EXPECT_EQ(rot[0], 89);
    EXPECT_EQ(rot[88], 1);
    EXPECT_EQ(rot[89], 0);
    EXPECT_EQ(rot[90], 0);
    EXPECT_EQ(rot[91], 1);
    EXPECT_EQ(rot[270], 180);
    EXPECT_EQ(rot[271], 180);
    EXPECT_EQ(rot[272], 179);
    for (int r : rot) {
        EXPECT_GE(r, 0);
        EXPECT_LE(r, 180);
    }

    EXPECT_EQ(score, 7);
    EXPECT_EQ(cannon.plays(), 0);
    EXPECT_EQ(key_hit(32), 1);
}

TEST_F(fort_test, a_held_fire_control_fires_every_15_frames)
{
    effect_counter cannon(&cannon_snd);
    send(event_kind::mouse_down, 1);
    EXPECT_EQ(shots_over(60), every_15);
    EXPECT_EQ(cannon.plays(), 4);
    send(event_kind::mouse_up, 1);
    EXPECT_TRUE(shots_over(30).empty());

    canball_list.clear();
    fort.shot_tmr = 0;
    send(event_kind::key_down, 162); // left Control
    EXPECT_EQ(shots_over(60), every_15);
    send(event_kind::key_up, 162);

    canball_list.clear();
    fort.shot_tmr = 0;
    plug_pad_with_button(0);
    EXPECT_EQ(shots_over(60), every_15);
}

TEST_F(fort_test, the_pointer_is_kept_on_the_field_and_aims_the_barrel)
{
    struct {
        int x, y, rot, kept_x, kept_y;
    } cases[] = {
        {639, 200, 182, 639, 200}, {1, 200, 0, 1, 200},       {320, 240, 91, 320, 240},
        {0, 0, 0, 1, 1},           {700, 600, 182, 639, 479}, {-40, 300, 0, 1, 300},
    };
    for (const auto& c : cases) {
        send(event_kind::mouse_move, c.x, c.y);
        fort.get_inputs();
        EXPECT_EQ(fort.can_rot, c.rot) << c.x << "," << c.y;
        EXPECT_EQ(mouse_x(), c.kept_x);
        EXPECT_EQ(mouse_y(), c.kept_y);
    }
}

TEST_F(fort_test, a_shot_costs_a_point_in_play_only_and_never_goes_below_zero)
{
    struct {
        int demo, before, after;
    } cases[] = {{0, 0, 0}, {0, 1, 0}, {0, 40, 39}, {1, 40, 40}, {1, 0, 0}};
    for (const auto& c : cases) {
        demo_mode = c.demo;
        score = c.before;
        fort.fire_cannon();
        EXPECT_EQ(score, c.after) << "demo " << c.demo << " score " << c.before;
    }
}

TEST_F(fort_test, a_shot_starts_the_ball_at_the_pivot_and_the_ring_at_the_muzzle)
{
    struct {
        int rot;
        float ring_x, ring_y;
    } cases[] = {{90, 320.0f, 335.0f}, {0, 300.0f, 355.0f}, {180, 340.0f, 355.0f}};
    for (const auto& c : cases) {
        canball_list.clear();
        smokering_list.clear();
        fort.can_rot = c.rot;
        fort.fire_cannon();
        EXPECT_EQ(fort.shot_tmr, 15);
        EXPECT_EQ(fort.can_flash, 0);
        ASSERT_EQ(canball_list.size(), 1);
        const canball_tag& b = *canball_list.front();
        EXPECT_EQ(b.x, 320.0f);
        EXPECT_EQ(b.y, 355.0f);
        EXPECT_EQ(b.scale, 1.0f);
        EXPECT_EQ(b.dir, static_cast<float>(c.rot - 90));
        ASSERT_EQ(smokering_list.size(), 1);
        const smokering_tag& r = *smokering_list.front();
        EXPECT_FLOAT_EQ(r.x, c.ring_x) << c.rot;
        EXPECT_FLOAT_EQ(r.y, c.ring_y) << c.rot;
        EXPECT_EQ(r.rotation, static_cast<float>(c.rot - 90));
    }
}

TEST_F(fort_test, rings_are_moved_by_the_fort_and_keep_their_shot_direction_while_the_barrel_turns)
{
    fort.fire_cannon(); // straight up
    const smokering_tag* r = smokering_list.front();
    float last_y = r->y;
    for (int i = 0; i < 50; ++i) {
        fort.can_rot = i * 3;
        fort.update();
        EXPECT_EQ(r->x, 320.0f);
        EXPECT_LT(r->y, last_y);
        last_y = r->y;
    }
}

TEST_F(fort_test, right_button_space_and_pad_button_1_are_read_in_play_only)
{
    close_any_pause();
    send(event_kind::key_down, 32);
    fort.get_inputs();
    EXPECT_EQ(key_hit(32), 0);

    send(event_kind::mouse_down, 2);
    send(event_kind::mouse_up, 2);
    fort.get_inputs();
    EXPECT_EQ(mouse_hit(2), 0);

    plug_pad_with_button(1);
    fort.get_inputs();
    EXPECT_EQ(joy_hit(1, 0), 0);

    demo_mode = 1;
    send(event_kind::key_up, 32);
    send(event_kind::key_down, 32);
    send(event_kind::mouse_down, 2);
    fort.get_inputs();
    EXPECT_EQ(key_hit(32), 1);
    EXPECT_EQ(mouse_hit(2), 1);
}

TEST_F(fort_test, draws_its_shadow_and_the_window_light_through_the_panes)
{
    fort.can_flash = 0;
    fort.shot_tmr = 0;
    fort.update();
    // Light shows only inside its rectangle, where the building lets it through.
    int lit = 0;
    for (int y = 380; y < 440; ++y)
        for (int x = 270; x < 380; ++x)
            if (px(x, y) == 0xC80000u) {
                EXPECT_TRUE(x >= 280 && x < 366 && y >= 398 && y < 428) << x << "," << y;
                ++lit;
            }
    EXPECT_GT(lit, 20);
    EXPECT_EQ(fort.can_flash, 5);
    // The shadow sticks out to the right of the building: 0.6 of (20, 20, 20) by day.
    EXPECT_EQ(px(375, 420), 0x0C0C0Cu);

    clear_screen();
    daylight = 40;
    fort.can_flash = 400; // drawn as 255
    fort.update();
    EXPECT_EQ(px(375, 420), 0x050505u);
    int amber = 0;
    for (int y = 398; y < 428; ++y)
        for (int x = 280; x < 366; ++x)
            if (px(x, y) == 0xC8FF00u) ++amber;
    EXPECT_EQ(amber, lit);
    EXPECT_EQ(fort.can_flash, 400);

    // Left for the actors after it: masked, tinted, unturned.
    EXPECT_EQ(draw_state.blend_mode, static_cast<int>(blend_mask));
    EXPECT_EQ(draw_state.color_red, 40);
    EXPECT_EQ(draw_state.color_blue, 255);
    EXPECT_EQ(draw_state.tform_rot, 0.0f);
    EXPECT_EQ(draw_state.color_alpha, 1.0f);
}

TEST_F(fort_test, the_muzzle_flame_shows_while_the_shot_timer_is_above_6)
{
    auto barrel = [&](int tmr) {
        clear_screen();
        fort.shot_tmr = tmr;
        fort.can_rot = 0; // lying flat, clear of the building
        daylight = 255;
        fort.update();
        std::vector<uint32_t> out;
        for (int y = 345; y < 366; ++y)
            for (int x = 290; x < 310; ++x) out.push_back(px(x, y));
        return out;
    };
    EXPECT_EQ(barrel(7), barrel(15));
    EXPECT_EQ(barrel(6), barrel(0));
    EXPECT_NE(barrel(7), barrel(6));
}

} // namespace
