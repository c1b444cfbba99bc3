// Cannon balls: how long they fly, and what their hit tests destroy, create and score.
#include <gtest/gtest.h>

#include <memory>

#include "battle_fixture.h"
#include "effect_counter.h"
#include "headless_battle.h"

namespace {

class cannon_ball_test : public battle_test {
protected:
    void SetUp() override
    {
        battle_test::SetUp();
        use_headless(); // effects are counted on its audio
    }

    // A ball that will stand at (x, y) after this frame's move, flying up.
    static canball_tag* ball_reaching(float x, float y)
    {
        canball_tag::Create(0);
        canball_tag* b = canball_list.back();
        b->x = x;
        b->y = y + 2.0f;
        return b;
    }

    template <typename T> static T* add(actor_list<T>& l, float x, float y, float scale, int frame)
    {
        auto a = std::make_unique<T>();
        a->x = x;
        a->y = y;
        a->scale = scale;
        a->frame = frame;
        return l.append(std::move(a));
    }
    static nukerocket_tag* add_rocket(float x, float y, int frame)
    {
        auto a = std::make_unique<nukerocket_tag>();
        a->x = x;
        a->y = y;
        a->frame = frame;
        a->dir = 90.0f;
        return nukerocket_list.append(std::move(a));
    }
    static smallbomb_tag* add_bomb(float x, float y, int frame)
    {
        auto a = std::make_unique<smallbomb_tag>();
        a->x = x;
        a->y = y;
        a->frame = frame;
        return smallbomb_list.append(std::move(a));
    }

    // How many updates a ball fired in this direction lives, and its scale on the last one.
    static int flight(int dir, float& last_scale)
    {
        canball_tag::Create(dir);
        for (int n = 1; n <= 1000; ++n) {
            last_scale = canball_list.front()->scale;
            update_all(canball_list);
            if (canball_list.empty()) return n;
        }
        return -1;
    }
};

TEST_F(cannon_ball_test, a_ball_leaves_the_field_after_181_frames_up_and_163_sideways)
{
    struct {
        int dir, frames;
    } cases[] = {{0, 181}, {-90, 163}, {90, 163}, {92, 163}};
    for (const auto& c : cases) {
        float scale = 0.0f;
        EXPECT_EQ(flight(c.dir, scale), c.frames) << c.dir;
        if (c.dir == 0) {
            EXPECT_NEAR(scale, 0.64f, 0.003f);
        }
        EXPECT_GT(scale, 0.0f);
    }
}

TEST_F(cannon_ball_test, a_ball_is_drawn_in_the_colour_left_before_it)
{
    canball_tag::Create(0);
    set_draw_color(10, 200, 30);
    set_blend_mode(blend_alpha);
    update_all(canball_list);
    EXPECT_EQ(draw_state.color_red, 10);
    EXPECT_EQ(draw_state.color_green, 200);
    EXPECT_EQ(draw_state.blend_mode, static_cast<int>(blend_mask));
    EXPECT_EQ(draw_state.tform_scale_x, 1.0f);
    const canball_tag& b = *canball_list.front();
    EXPECT_EQ(b.x, 320.0f);
    EXPECT_EQ(b.y, 353.0f);
    EXPECT_EQ(b.scale, 0.998f);
    // Drawn in that green tint at its new place.
    uint32_t p = px(320, 353);
    EXPECT_GT(p >> 8 & 255, p >> 16 & 255);
    EXPECT_GT(p >> 8 & 255, p & 255);
}

TEST_F(cannon_ball_test, one_ball_over_two_carriers_brings_down_and_scores_both)
{
    canball_tag::Create(45); // another ball, flying elsewhere, stays
    ball_reaching(300.0f, 150.0f);
    add(lgtrooper_list, 300.0f, 150.0f, 1.0f, 0);
    add(smtrooper_list, 300.0f, 150.0f, 1.0f, 2);
    lgtrooper_tag* bystander = add(lgtrooper_list, 500.0f, 40.0f, 1.0f, 0);
    score = 10;
    effect_counter bang(&explode3_snd);

    update_all(canball_list);
    EXPECT_EQ(bang.plays(), 2);

    EXPECT_EQ(canball_list.size(), 1);
    EXPECT_EQ(canball_list.front()->dir, 45.0f);
    ASSERT_EQ(lgtrooper_list.size(), 1);
    EXPECT_EQ(lgtrooper_list.front(), bystander);
    EXPECT_TRUE(smtrooper_list.empty());
    EXPECT_EQ(score, 10 + 25 + 50);
    EXPECT_EQ(casualties, 2);

    ASSERT_EQ(explosion_list.size(), 2);
    const explosion_tag* e = explosion_list.front();
    EXPECT_EQ(e->x, 300.0f);
    EXPECT_EQ(e->y, 150.0f);
    EXPECT_EQ(e->scale, 0.8f);
    EXPECT_EQ(e->scstep, 0.04f);
    EXPECT_EQ(explosion_list.back()->scale, 0.6f);
    EXPECT_EQ(explosion_list.back()->scstep, 0.03f);

    // Three pieces of each, in the carrier's colours, thrown its own way.
    ASSERT_EQ(planepart_list.size(), 6);
    int i = 0;
    planepart_list.each([&](const planepart_tag& p, long) {
        EXPECT_EQ(p.frame, i);
        EXPECT_EQ(p.y, 150.0f);
        EXPECT_GE(p.x, 300.0f);
        if (i < 3)
            EXPECT_GE(p.xspd, 3.0f);
        else
            EXPECT_LE(p.xspd, -4.0f);
        ++i;
    });
}

TEST_F(cannon_ball_test, only_carriers_on_their_near_pass_and_near_fighters_can_be_hit)
{
    ball_reaching(300.0f, 150.0f);
    add(lgtrooper_list, 300.0f, 150.0f, 0.4f, 2);
    add(smtrooper_list, 300.0f, 150.0f, 0.4f, 0);
    add(mustang_list, 300.0f, 150.0f, 0.4f, 0);
    add(mustang_list, 300.0f, 150.0f, 1.0f, 0);
    update_all(canball_list);
    EXPECT_EQ(canball_list.size(), 1);
    EXPECT_EQ(lgtrooper_list.size(), 1);
    EXPECT_EQ(smtrooper_list.size(), 1);
    EXPECT_EQ(mustang_list.size(), 2);
    EXPECT_TRUE(explosion_list.empty());
    EXPECT_EQ(score, 0);

    clear_all_lists();
    ball_reaching(300.0f, 150.0f);
    mustang_tag* m = add(mustang_list, 300.0f, 150.0f, 1.4f, 2);
    m->xstp = -6.0f;
    update_all(canball_list);
    EXPECT_TRUE(mustang_list.empty());
    EXPECT_TRUE(canball_list.empty());
    EXPECT_EQ(score, 50);
    EXPECT_EQ(casualties, 1);
    ASSERT_EQ(explosion_list.size(), 1);
    EXPECT_EQ(explosion_list.front()->scale, 1.0f);
    EXPECT_EQ(explosion_list.front()->scstep, 0.05f);
    ASSERT_EQ(planepart_list.size(), 3);
    int frame = 6;
    planepart_list.each([&](const planepart_tag& p, long) {
        EXPECT_EQ(p.frame, frame++);
        EXPECT_LE(p.xspd, -6.0f); // the fighter's own way
        EXPECT_GT(p.rotstp, 0.0f);
    });
}

TEST_F(cannon_ball_test, rockets_flash_the_screen_and_bombs_burst_small)
{
    ball_reaching(200.0f, 180.0f);
    add_rocket(200.0f, 180.0f, 3);
    ball_reaching(400.0f, 300.0f);
    add_bomb(400.0f, 300.0f, 5);
    effect_counter bang(&explode1_snd);
    update_all(canball_list);
    EXPECT_EQ(bang.plays(), 2);

    EXPECT_TRUE(canball_list.empty());
    EXPECT_TRUE(nukerocket_list.empty());
    EXPECT_TRUE(smallbomb_list.empty());
    EXPECT_EQ(flash_alpha, 1.0f);
    EXPECT_EQ(score, 75 + 25);
    EXPECT_EQ(casualties, 2);
    EXPECT_TRUE(planepart_list.empty());
    ASSERT_EQ(explosion_list.size(), 2);
    EXPECT_EQ(explosion_list.front()->scale, 0.8f);
    EXPECT_EQ(explosion_list.front()->scstep, 0.08f);
    EXPECT_EQ(explosion_list.back()->x, 400.0f);
    EXPECT_EQ(explosion_list.back()->scale, 0.2f);
    EXPECT_EQ(explosion_list.back()->scstep, 0.04f);
}

TEST_F(cannon_ball_test, in_attract_mode_hits_destroy_without_scoring)
{
    demo_mode = 1;
    score = 5;
    ball_reaching(300.0f, 150.0f);
    add(lgtrooper_list, 300.0f, 150.0f, 1.0f, 0);
    ball_reaching(100.0f, 200.0f);
    add_rocket(100.0f, 200.0f, 0);
    effect_counter bang(&explode3_snd);
    update_all(canball_list);
    EXPECT_EQ(bang.plays(), 0);
    EXPECT_TRUE(lgtrooper_list.empty());
    EXPECT_TRUE(nukerocket_list.empty());
    EXPECT_EQ(explosion_list.size(), 2);
    EXPECT_EQ(planepart_list.size(), 3);
    EXPECT_EQ(flash_alpha, 1.0f);
    EXPECT_EQ(score, 5);
    EXPECT_EQ(casualties, 0);
}

TEST_F(cannon_ball_test, a_ball_leaving_the_field_still_hits_and_removes_itself_twice_safely)
{
    canball_tag::Create(-90);
    canball_tag* b = canball_list.back();
    b->x = -4.0f;
    b->y = 100.0f;
    canball_tag::Create(0); // the next ball must still be updated this frame
    add(smtrooper_list, -6.0f, 100.0f, 1.0f, 2);
    update_all(canball_list);
    EXPECT_TRUE(smtrooper_list.empty());
    EXPECT_EQ(score, 50);
    ASSERT_EQ(canball_list.size(), 1);
    EXPECT_EQ(canball_list.front()->y, 353.0f);
    EXPECT_FLOAT_EQ(explosion_list.front()->x, -6.0f);
}

TEST_F(cannon_ball_test, carriers_are_tested_with_their_right_facing_picture)
{
    // Find where the ball touches the right-facing picture but not the left-facing one, and the
    // other way round.
    int sx = 0, sy = 0, lx = 0, ly = 0;
    bool found_same = false, found_mirror = false;
    for (int dy = -14; dy <= 14; ++dy)
        for (int dx = -42; dx <= 42; ++dx) {
            int r = images_collide(ball_img, 300 + dx, 150 + dy, 0, lgtrooper_img, 300, 150, 0);
            int l = images_collide(ball_img, 300 + dx, 150 + dy, 0, lgtrooper_img, 300, 150, 2);
            if (r && !l && !found_same) sx = dx, sy = dy, found_same = true;
            if (l && !r && !found_mirror) lx = dx, ly = dy, found_mirror = true;
        }
    ASSERT_TRUE(found_same && found_mirror);

    // A carrier flying left (frame 2) is hit where only its mirror image is solid...
    ball_reaching(300.0f + sx, 150.0f + sy);
    add(lgtrooper_list, 300.0f, 150.0f, 1.0f, 2)->xstp = -3.0f;
    update_all(canball_list);
    EXPECT_TRUE(lgtrooper_list.empty());

    // ...and missed where its drawn picture is.
    clear_all_lists();
    ball_reaching(300.0f + lx, 150.0f + ly);
    add(lgtrooper_list, 300.0f, 150.0f, 1.0f, 2);
    update_all(canball_list);
    EXPECT_EQ(lgtrooper_list.size(), 1);
    EXPECT_EQ(canball_list.size(), 1);
}

TEST_F(cannon_ball_test, positions_are_truncated_and_pictures_compared_unscaled)
{
    // The nearest a rocket to the right of the ball can stand without being touched.
    int gap = 0;
    for (int d = 1; d < 60 && !gap; ++d)
        if (!images_collide(ball_img, 300, 150, 0, rocket_img, 300 + d, 150, 0)) gap = d;
    ASSERT_GT(gap, 1);
    add_rocket(300.0f, 150.0f, 0);

    // 0.9 of a pixel closer is no closer once truncated.
    ball_reaching(300.9f - gap, 150.0f);
    set_draw_scale(3.0f, 3.0f); // the ball puts the scale back before it tests
    update_all(canball_list);
    EXPECT_EQ(nukerocket_list.size(), 1);

    canball_list.clear();
    ball_reaching(301.0f - gap, 150.0f);
    update_all(canball_list);
    EXPECT_TRUE(nukerocket_list.empty());
}

} // namespace
