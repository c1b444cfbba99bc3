// Where every sprite frame sits on the 640x314 sprite sheet the game cuts up.
#pragma once

#include <array>
#include <string_view>

namespace artgen {

constexpr int sheet_w = 640;
constexpr int sheet_h = 314;

enum class sprite {
    pointer,
    hud,
    digit,
    title,
    fort,
    ruin,
    mount,
    barrel,
    ball,
    cloud,
    lgtrooper,
    smtrooper,
    rocket,
    mustang,
    bombmark,
    explosion,
    planepart,
    orb,
    man,
    bonus,
    dust,
    flag,
    gameover
};

struct sprite_slot {
    sprite id;
    std::string_view name;
    int w, h, frames;
    int x0, y0, step; // frame k's top-left is (x0 + step*k, y0)
    constexpr int x(int k) const { return x0 + step * k; }
};

// These numbers are fixed by the game's loader; the art must fit them.
constexpr std::array<sprite_slot, 23> sheet_slots{{
    {sprite::pointer, "pointer", 17, 24, 1, 514, 32, 0},
    {sprite::hud, "hud", 640, 19, 1, 0, 259, 0},
    {sprite::digit, "digit", 16, 15, 10, 339, 146, 17},
    {sprite::title, "title", 332, 75, 1, 0, 144, 0},
    {sprite::fort, "fort", 94, 70, 1, 1, 1, 0},
    {sprite::ruin, "ruin", 94, 59, 1, 123, 12, 0},
    {sprite::mount, "mount", 22, 23, 1, 98, 1, 0},
    {sprite::barrel, "barrel", 9, 36, 2, 98, 27, 10},
    {sprite::ball, "ball", 7, 8, 1, 123, 1, 0},
    {sprite::cloud, "cloud", 180, 68, 1, 1, 74, 0},
    {sprite::lgtrooper, "lgtrooper", 84, 28, 4, 294, 1, 85},
    {sprite::smtrooper, "smtrooper", 53, 24, 4, 295, 32, 54},
    {sprite::rocket, "rocket", 44, 10, 6, 340, 170, 45},
    {sprite::mustang, "mustang", 57, 21, 4, 295, 59, 58},
    {sprite::bombmark, "bombmark", 40, 22, 1, 561, 88, 0},
    {sprite::explosion, "explosion", 73, 67, 1, 219, 1, 0},
    {sprite::planepart, "planepart", 30, 28, 12, 183, 83, 31},
    {sprite::orb, "orb", 36, 36, 3, 1, 221, 37},
    {sprite::man, "man", 30, 28, 14, 183, 115, 31},
    {sprite::bonus, "bonus", 303, 15, 1, 319, 285, 0},
    {sprite::dust, "dust", 293, 23, 1, 5, 283, 0},
    {sprite::flag, "flag", 41, 24, 5, 416, 226, 42},
    {sprite::gameover, "gameover", 251, 18, 1, 349, 195, 0},
}};

constexpr const sprite_slot& slot_of(sprite id)
{
    for (const sprite_slot& s : sheet_slots)
        if (s.id == id) return s;
    return sheet_slots[0];
}

// Fort image: the two window openings the light behind the building shows
// through, relative to the fort's top-left (x, y, w, h).
struct pixel_rect {
    int x, y, w, h;
};
constexpr std::array<pixel_rect, 2> fort_panes{{{14, 36, 16, 13}, {64, 36, 16, 13}}};
// The light the game draws behind the fort, in the same coordinates.
constexpr pixel_rect fort_light{7, 33, 86, 30};

} // namespace artgen
