// What a game starts from (all that carries over from attract mode), and checksums of the game state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The state at the top of a game's first frame: settings, generator, stars, clouds, bomb marks,
// the fort, the best score shown and the draw state left by the frame before.
std::vector<uint8_t> capture_start();
// Whether the bytes hold a state the game could have started from; says why not in `why`.
[[nodiscard]] bool check_start(const std::vector<uint8_t>& bytes, std::string& why);
// Puts a checked state in force, in place of whatever the battle held.
void restore_start(const std::vector<uint8_t>& bytes);

// A hash of everything the battle keeps: generator, counters, timers, the fort and every actor.
uint32_t state_checksum();

// What the player watches: compared on every frame of a watched demo.
struct frame_state {
    int score = 0, casualties = 0, days = 0, men = 0;
    bool operator==(const frame_state&) const = default;
};
frame_state current_frame_state();
// The score, casualties, days and men of a checked start state.
frame_state start_frame_state(const std::vector<uint8_t>& bytes);
