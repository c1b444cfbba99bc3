// A small bot that plays through the same pointer and fire controls a player uses.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

struct autoplay_result {
    int game = 0;
    int difficulty = 0;
    int days = 0;
    int score = 0;
    int casualties = 0;
    int frames = 0; // presented frames of play, start to end screen
    int shots = 0;
    std::string cause; // what ended the game, as last seen
};

class autoplayer {
public:
    // Plays `games` games on `difficulty` (0 "Normal", 1 "Suicidal"); `send` delivers input events.
    autoplayer(int difficulty, int games, std::function<void(const platform::event&)> send);

    // Called after each presented frame: reads what is on screen and decides the next frame's input.
    void after_frame(int frame);

    bool finished() const { return finished_; }
    const std::vector<autoplay_result>& results() const { return results_; }

private:
    void play();
    void click(int x, int y);
    void hold_fire(bool on);

    int difficulty_;
    int games_;
    std::function<void(const platform::event&)> send_;
    enum class phase { logo, menu, playing, end_screen, done } phase_ = phase::logo;
    int phase_frames_ = 0;
    int game_start_frame_ = 0;
    bool firing_ = false;
    bool finished_ = false;
    std::vector<autoplay_result> results_;
    // Targets a ball is already on its way to: id -> the frame it should arrive by.
    std::vector<std::pair<long, int>> engaged_;
    int frame_ = 0;
    long aimed_id_ = 0;
    int aimed_arrival_ = 0;
    std::string cause_;
    int shots_ = 0;
};
