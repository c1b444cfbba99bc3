// Runs game frames through flip_frame(-1) on a simulated screen and checks their beat.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/headless_backend.h"
#include "services/display.h"
#include "services/maths.h"

inline constexpr int no_screen = -1, vsync_off = 0;

struct paced_run {
    bool by_timer = false;
    uint32_t opening_ms = 0; // what open_display took, the blank probe included
    int opening_presents = 0;
    std::vector<uint32_t> at; // the clock at each presented game frame
};

// Opens the game's display on a simulated screen, then runs `frames` game frames that each take
// `draw_ms` before flip_frame(-1), as the frame loop does.
inline paced_run run(uint32_t clock, int refresh, int frames, int draw_ms = 0)
{
    auto owned = std::make_unique<platform::headless_backend>(clock);
    if (refresh != no_screen) owned->set_refresh(refresh);
    platform::headless_backend* b = owned.get();
    platform::set_backend(std::move(owned));
    paced_run r;
    EXPECT_NE(open_display(640, 480, 32, 60, display_back_buffered), nullptr);
    r.opening_ms = b->ticks_ms() - clock;
    r.opening_presents = b->presented();
    r.by_timer = pacing().soft_pacing;
    for (int i = 0; i < frames; ++i) {
        delay_ms(draw_ms);
        flip_frame(-1);
        r.at.push_back(b->ticks_ms());
    }
    return r;
}

// Every run of 60 frames spans exactly a second, and no frame is shorter than 16 ms or longer
// than 17, so there is no burst and no stall anywhere.
inline void expect_sixty_a_second(const std::vector<uint32_t>& at, const char* what)
{
    ASSERT_GT(at.size(), 61u) << what;
    for (size_t i = 0; i + 60 < at.size(); ++i)
        ASSERT_EQ(at[i + 60] - at[i], 1000u) << what << ", frames " << i << " to " << i + 60;
    for (size_t i = 0; i + 1 < at.size(); ++i) {
        uint32_t slot = at[i + 1] - at[i];
        ASSERT_TRUE(slot == 16 || slot == 17) << what << ", frame " << i << " took " << slot << " ms";
    }
}
