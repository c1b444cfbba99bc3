// Whole runs read off their presented frames: the display in play at record values, and the logo's ground.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "hud_reading.h"
#include "services/display.h"
#include "shell_fixture.h"

namespace {

using hud_reading::picture;
using hud_reading::read_cells;

picture presented_frame()
{
    return {back_buffer()->pixels(), back_buffer()->width()};
}

void save_best(const std::string& path, int best, int casualties)
{
    unsigned char b[8];
    for (int i = 0; i < 4; ++i) {
        b[i] = static_cast<unsigned char>(static_cast<unsigned>(best) >> (8 * i));
        b[4 + i] = static_cast<unsigned char>(static_cast<unsigned>(casualties) >> (8 * i));
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fwrite(b, 1, 8, f), 8u);
    std::fclose(f);
}

struct bottom_reading {
    std::string score, best, best_casualties, casualties, men;
    int lettering_changed = -1;
    int demo = -1;
};

bottom_reading read_bottom()
{
    const picture p = presented_frame();
    return {read_cells(p, 66, 463, 5),
            read_cells(p, 211, 463, 5),
            read_cells(p, 296, 463, 4),
            read_cells(p, 474, 463, 4),
            read_cells(p, 600, 463, 2),
            hud_reading::lettering_changed(p, 461),
            demo_mode};
}

TEST(hud_in_play, a_saved_best_of_17000_and_a_score_of_99999_read_in_full_from_the_presented_frames)
{
    ASSERT_GT(hud_reading::lettering_pixels(), 500);
    scratch_folder save;
    save_best(save / "hiscore.dat", 17000, 357);
    game_run g;
    g.user_folder = save.path;
    // Start a game from the title menu, play a while, leave.
    g.script = std::string(skip_logo) + "30 down 1\n31 up 1\n300 key_down 27\n";
    bottom_reading early, record;
    int score_then = -1;
    g.each_frame = [&](int frame) {
        if (frame == 100) {
            early = read_bottom();
            score_then = score;
        }
        if (frame == 200) score = 99999, casualties = 9999; // as a very long game would leave them
        if (frame == 202) record = read_bottom();
    };
    EXPECT_EQ(g.run(), 0);
    ASSERT_EQ(g.presented, 300);

    EXPECT_EQ(early.demo, 0) << "a game is being played";
    EXPECT_EQ(score_then, 0);
    EXPECT_EQ(early.score, "00000");
    EXPECT_EQ(early.best, "17000");
    EXPECT_EQ(early.best_casualties, "0357");
    EXPECT_EQ(early.casualties, "0000");
    EXPECT_EQ(early.men, "03");
    EXPECT_EQ(early.lettering_changed, 0);

    EXPECT_EQ(record.demo, 0);
    EXPECT_EQ(record.score, "99999");
    EXPECT_EQ(record.best, "99999") << "the best follows the record game";
    EXPECT_EQ(record.best_casualties, "9999");
    EXPECT_EQ(record.casualties, "9999");
    EXPECT_EQ(record.men, "03");
    EXPECT_EQ(record.lettering_changed, 0);
}

TEST(logo_screen, the_logo_stands_on_the_black_of_the_full_screen_bars)
{
    game_run g;
    g.script = "60 key_down 27\n61 key_up 27\n100 key_down 27\n"; // the first Escape ends the logo only
    int logo_frames = 0, lit_outside = 0, lit_inside = 0;
    g.each_frame = [&](int) {
        if (std::string(presenting_loop) != "logo") return;
        ++logo_frames;
        const picture p = presented_frame();
        // The 420 x 236 picture centred on (320, 220); everything around it is the screen's own ground.
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const bool inside = x >= 110 && x < 530 && y >= 102 && y < 338;
                (inside ? lit_inside : lit_outside) += p.at(x, y) != 0;
            }
    };
    EXPECT_EQ(g.run(), 0);
    EXPECT_LT(g.presented, 1000);
    EXPECT_GT(logo_frames, 30);
    EXPECT_EQ(lit_outside, 0) << "not one pixel around the logo may differ from the bars";
    EXPECT_GT(lit_inside, logo_frames * 1000) << "the logo itself is shown";
}

} // namespace
