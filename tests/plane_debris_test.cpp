// Aircraft debris: thrown the aircraft's way, bouncing along the ground, gone off the side.
#include <gtest/gtest.h>

#include <vector>

#include "battle_fixture.h"

namespace {

class plane_debris_test : public battle_test {
protected:
    // The updates (1-based) on which each piece bounced, until all are gone or n updates have run.
    static std::vector<std::vector<int>> bounces(int n)
    {
        std::vector<planepart_tag*> parts;
        planepart_list.each([&](const planepart_tag& p, long) { parts.push_back(const_cast<planepart_tag*>(&p)); });
        std::vector<std::vector<int>> at(parts.size());
        std::vector<bool> gone(parts.size(), false);
        for (int u = 1; u <= n && !planepart_list.empty(); ++u) {
            std::vector<bool> low(parts.size());
            for (size_t i = 0; i < parts.size(); ++i) low[i] = !gone[i] && parts[i]->y > 400.0f;
            int before = planepart_list.size();
            update_all(planepart_list);
            // A piece goes only off the side, and none has bounced in the same update.
            std::vector<bool> still(parts.size(), false);
            planepart_list.each([&](const planepart_tag& p, long) {
                for (size_t i = 0; i < parts.size(); ++i)
                    if (&p == parts[i]) still[i] = true;
            });
            for (size_t i = 0; i < parts.size(); ++i) {
                if (low[i]) at[i].push_back(u);
                if (!gone[i] && !still[i]) gone[i] = true;
            }
            EXPECT_LE(planepart_list.size(), before);
        }
        return at;
    }
};

TEST_F(plane_debris_test, a_large_carrier_shot_at_x_600_throws_pieces_right_that_are_gone_in_20_frames)
{
    canball_tag::Create(0);
    canball_list.front()->x = 600.0f;
    canball_list.front()->y = 62.0f;
    auto c = std::make_unique<lgtrooper_tag>();
    c->x = 600.0f;
    c->y = 60.0f;
    c->scale = 1.0f;
    c->xstp = 3.0f;
    lgtrooper_list.append(std::move(c));
    update_all(canball_list);
    ASSERT_EQ(planepart_list.size(), 3);

    int i = 0;
    float last_x = 0.0f;
    planepart_list.each([&](const planepart_tag& p, long) {
        EXPECT_EQ(p.frame, i++);
        EXPECT_GE(p.x, last_x);
        EXPECT_GE(p.x, 600.0f);
        EXPECT_LT(p.x, 650.0f);
        EXPECT_GE(p.xspd, 3.0f);
        EXPECT_LT(p.xspd, 5.5f);
        EXPECT_LT(p.rotstp, -1.0f + 1e-6f); // anticlockwise
        EXPECT_GT(p.rotstp, -13.0f);
        EXPECT_EQ(p.yspd, -1.0f);
        EXPECT_EQ(p.scale, 1.0f);
        EXPECT_EQ(p.rotation, 0.0f);
        EXPECT_EQ(p.grhit, 0);
        last_x = p.x;
    });
    for (int f = 0; f < 20; ++f) update_all(planepart_list);
    EXPECT_TRUE(planepart_list.empty());
}

TEST_F(plane_debris_test, small_carrier_pieces_fly_left_and_turn_their_spin_round_at_the_first_bounce_only)
{
    for (int seed = 1; seed <= 20; ++seed) {
        seed_rnd(seed);
        planepart_list.clear();
        planepart_tag::Create(600.0f, 399.0f, 1.0f, -4.0f, 3, 0);
        std::vector<planepart_tag*> parts;
        planepart_list.each([&](const planepart_tag& p, long) { parts.push_back(const_cast<planepart_tag*>(&p)); });
        ASSERT_EQ(parts.size(), 3u);
        std::vector<float> spin;
        for (planepart_tag* p : parts) {
            EXPECT_LE(p->xspd, -4.0f);
            EXPECT_GT(p->xspd, -6.5f);
            EXPECT_GE(p->rotstp, 1.0f); // clockwise
            spin.push_back(p->rotstp);
        }
        // Up a little and down onto the ground; the first bounce reverses the spin.
        for (int u = 0; u < 30; ++u) update_all(planepart_list);
        ASSERT_EQ(planepart_list.size(), 3) << seed;
        for (size_t i = 0; i < parts.size(); ++i) {
            EXPECT_EQ(parts[i]->grhit, 1);
            EXPECT_EQ(parts[i]->rotstp, -spin[i]);
            EXPECT_LT(parts[i]->x, 650.0f - 30 * 4.0f);
        }
        // The second bounce keeps it.
        for (int u = 0; u < 58; ++u) update_all(planepart_list);
        ASSERT_EQ(planepart_list.size(), 3) << seed;
        for (size_t i = 0; i < parts.size(); ++i) EXPECT_EQ(parts[i]->rotstp, -spin[i]);
    }
}

TEST_F(plane_debris_test, each_piece_bounces_every_58_frames)
{
    planepart_tag::Create(-10.0f, 300.0f, 1.0f, 0.0f, 6, 0);
    std::vector<planepart_tag*> parts;
    planepart_list.each([&](const planepart_tag& p, long) { parts.push_back(const_cast<planepart_tag*>(&p)); });
    auto at = bounces(200);
    ASSERT_EQ(at.size(), 3u);
    for (const auto& b : at) {
        ASSERT_GE(b.size(), 3u);
        for (size_t k = 1; k < b.size(); ++k) EXPECT_EQ(b[k] - b[k - 1], 58);
    }
    // Bounced from y 380 and never higher than the throw takes it.
    for (planepart_tag* p : parts) {
        EXPECT_GE(p->y, 380.0f - 32.5f - 0.01f);
        EXPECT_LE(p->y, 401.0f);
    }
}

TEST_F(plane_debris_test, pieces_grow_to_2_5_at_most_and_leave_by_either_side)
{
    planepart_tag::Create(300.0f, 100.0f, 2.45f, 0.0f, 0, 0);
    planepart_list.front()->xspd = 0.0f;
    for (int u = 0; u < 3; ++u) update_all(planepart_list);
    EXPECT_EQ(planepart_list.front()->scale, 2.5f);

    planepart_list.clear();
    planepart_tag::Create(-19.0f, 100.0f, 1.0f, -1.0f, 0, 0);
    EXPECT_EQ(planepart_list.size(), 3);
    update_all(planepart_list);
    planepart_list.each([](const planepart_tag& p, long) { EXPECT_GE(p.x, -20.0f); });
    int left = planepart_list.size();
    EXPECT_LT(left, 3); // the first piece starts at -19 and moves at least one pixel left
}

} // namespace
