// Checks on the sprite sheet: where frames sit, what lies between them and
// the properties the game's code depends on.
#include <algorithm>
#include <string>
#include <vector>

#include "check.h"
#include "fixtures.h"
#include "paint.h"
#include "sheet_layout.h"

using namespace artgen;

namespace {

struct rect {
    int x, y, w, h;
    std::string name;
};

std::vector<rect> frame_rects()
{
    std::vector<rect> out;
    for (const sprite_slot& s : sheet_slots)
        for (int k = 0; k < s.frames; ++k)
            out.push_back({s.x(k), s.y0, s.w, s.h, std::string(s.name) + " " + std::to_string(k)});
    return out;
}

bool overlap(const rect& a, const rect& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

struct box {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
    bool empty() const { return x1 < 0; }
};

box ink_box(const rgb_image& img)
{
    box b;
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x)
            if (!is_key(img.at(x, y))) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x);
                b.y1 = std::max(b.y1, y);
            }
    return b;
}

} // namespace

void layout_checks()
{
    const std::vector<rect> rects = frame_rects();
    EXPECT(rects.size() == 77, "77 frames in all, got " + std::to_string(rects.size()));
    for (const rect& r : rects)
        EXPECT(r.x >= 0 && r.y >= 0 && r.x + r.w <= sheet_w && r.y + r.h <= sheet_h, r.name + " lies inside the sheet");
    for (size_t i = 0; i < rects.size(); ++i)
        for (size_t j = i + 1; j < rects.size(); ++j)
            EXPECT(!overlap(rects[i], rects[j]), rects[i].name + " does not overlap " + rects[j].name);
    // The window panes must sit inside the light the game puts behind them.
    for (const pixel_rect& p : fort_panes)
        EXPECT(p.x >= fort_light.x && p.y >= fort_light.y && p.x + p.w <= fort_light.x + fort_light.w &&
                   p.y + p.h <= fort_light.y + fort_light.h,
               "window pane within the window light");
}

void sheet_checks()
{
    const rgb_image& sheet = fixtures::sheet();
    EXPECT(sheet.w == sheet_w && sheet.h == sheet_h, "sheet is 640x314");
    // Outside every frame the sheet is the bare mask colour.
    std::vector<char> covered(static_cast<size_t>(sheet_w) * sheet_h, 0);
    for (const rect& r : frame_rects())
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) covered[static_cast<size_t>(y) * sheet_w + x] = 1;
    int stray = 0;
    for (int y = 0; y < sheet_h; ++y)
        for (int x = 0; x < sheet_w; ++x)
            if (!covered[static_cast<size_t>(y) * sheet_w + x] && !is_key(sheet.at(x, y))) ++stray;
    EXPECT(stray == 0, std::to_string(stray) + " stray pixels between frames");

    for (const sprite_slot& s : sheet_slots) {
        std::vector<rgb_image> frames;
        for (int k = 0; k < s.frames; ++k) frames.push_back(fixtures::frame(s.id, k));
        for (int k = 0; k < s.frames; ++k) {
            const int n = opaque_count(frames[k]);
            EXPECT(n >= 5, std::string(s.name) + " frame " + std::to_string(k) + " has art");
            EXPECT(n < s.w * s.h || s.id == sprite::hud,
                   std::string(s.name) + " frame " + std::to_string(k) + " is not a solid block");
        }
        // Every frame of an animation must be told apart from every other.
        for (int a = 0; a < s.frames; ++a)
            for (int b = a + 1; b < s.frames; ++b)
                EXPECT(!(frames[a] == frames[b]),
                       std::string(s.name) + " frames " + std::to_string(a) + " and " + std::to_string(b) + " differ");
    }
}

void sprite_shape_checks()
{
    // Fort: panes are see-through, framed, and nothing else lets the light out.
    const rgb_image fort = fixtures::frame(sprite::fort, 0);
    for (const pixel_rect& p : fort_panes) {
        int holes = 0, frame_gaps = 0;
        for (int y = p.y; y < p.y + p.h; ++y)
            for (int x = p.x; x < p.x + p.w; ++x) holes += is_key(fort.at(x, y)) ? 1 : 0;
        for (int x = p.x - 1; x <= p.x + p.w; ++x)
            frame_gaps += is_key(fort.at(x, p.y - 1)) + is_key(fort.at(x, p.y + p.h));
        for (int y = p.y; y < p.y + p.h; ++y) frame_gaps += is_key(fort.at(p.x - 1, y)) + is_key(fort.at(p.x + p.w, y));
        EXPECT(holes == p.w * p.h, "window pane fully transparent");
        EXPECT(frame_gaps == 0, "window pane closed by its frame");
    }
    int leaks = 0;
    for (int y = fort_light.y; y < fort_light.y + fort_light.h; ++y)
        for (int x = fort_light.x; x < fort_light.x + fort_light.w; ++x) {
            bool in_pane = false;
            for (const pixel_rect& p : fort_panes) in_pane |= x >= p.x && x < p.x + p.w && y >= p.y && y < p.y + p.h;
            if (!in_pane && is_key(fort.at(x, y))) ++leaks;
        }
    EXPECT(leaks == 0, std::to_string(leaks) + " pixels of window light leak through the walls");

    // The blood drop is small and centred: body parts spin about the centre.
    const box drop = ink_box(fixtures::frame(sprite::man, 12));
    EXPECT(!drop.empty() && drop.x1 - drop.x0 <= 6 && drop.y1 - drop.y0 <= 7, "blood drop is small");
    EXPECT(std::abs((drop.x0 + drop.x1) / 2.0 - 14.5) <= 1.5 && std::abs((drop.y0 + drop.y1) / 2.0 - 13.5) <= 1.5,
           "blood drop sits in the middle of its cell");

    // Walking commandos stand on the bottom row, where the fort's floor is.
    for (const int k : {4, 5, 6, 7})
        EXPECT(ink_box(fixtures::frame(sprite::man, k)).y1 == 27, "walker stands on the floor");
    // The parachute grows from frame 1 to 3.
    const int w1 = ink_box(fixtures::frame(sprite::man, 1)).x1 - ink_box(fixtures::frame(sprite::man, 1)).x0;
    const int w3 = ink_box(fixtures::frame(sprite::man, 3)).x1 - ink_box(fixtures::frame(sprite::man, 3)).x0;
    EXPECT(w3 > w1 + 8, "open canopy is much wider than the streaming one");

    // The muzzle flash is hot colours at the mouth of the barrel only in frame 1.
    auto hot_pixels = [](const rgb_image& img) {
        int n = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < img.w; ++x) {
                const rgb c = img.at(x, y);
                n += (c.r > 230 && c.g > 120 && c.b < 120) ? 1 : 0;
            }
        return n;
    };
    EXPECT(hot_pixels(fixtures::frame(sprite::barrel, 1)) >= 12, "barrel frame 1 shows a flame");
    EXPECT(hot_pixels(fixtures::frame(sprite::barrel, 0)) == 0, "barrel frame 0 has no flame");

    // Rockets: the flame shrinks from frame 0 to 2, and frame 2 has none.
    auto flame_len = [](const rgb_image& img) {
        const box b = ink_box(img);
        return b.x1 - b.x0;
    };
    const int r0 = flame_len(fixtures::frame(sprite::rocket, 0)), r1 = flame_len(fixtures::frame(sprite::rocket, 1)),
              r2 = flame_len(fixtures::frame(sprite::rocket, 2));
    EXPECT(r0 > r1 && r1 > r2, "rocket flames: long, short, none");

    // Smoke ring has its hole; sun is a full disc.
    const rgb_image ring = fixtures::frame(sprite::orb, 0), sun = fixtures::frame(sprite::orb, 1);
    EXPECT(is_key(ring.at(18, 18)) && !is_key(ring.at(18, 6)), "smoke ring is hollow");
    EXPECT(!is_key(sun.at(18, 18)) && !is_key(sun.at(6, 18)), "sun is a solid disc");

    // Aircraft pairs: right-facing frames mirror the left-facing ones, so
    // the hit test (always frame 0) matches what the player sees.
    for (const sprite id : {sprite::lgtrooper, sprite::smtrooper, sprite::mustang}) {
        const rgb_image right = fixtures::frame(id, 0), left = fixtures::frame(id, 2);
        EXPECT(opaque_count(right) == opaque_count(left), std::string(slot_of(id).name) + " faces both ways alike");
        const box rb = ink_box(right), lb = ink_box(left);
        EXPECT(rb.x0 == right.w - 1 - lb.x1 && rb.x1 == right.w - 1 - lb.x0,
               std::string(slot_of(id).name) + " mirrored");
    }
}

void fit_checks()
{
    // The pointer's hot spot is its top-left corner: the fingertip must be there.
    const rgb_image ptr = fixtures::frame(sprite::pointer, 0);
    bool tip = false;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) tip |= !is_key(ptr.at(x, y));
    EXPECT(tip, "pointer's fingertip at the top-left");

    // The barrel turns about its cell's centre: it must be centred across,
    // with the muzzle at the top row, where the smoke ring appears.
    const rgb_image barrel = fixtures::frame(sprite::barrel, 0);
    const box bb = ink_box(barrel);
    EXPECT(bb.y0 == 0 && bb.x0 + bb.x1 == barrel.w - 1, "barrel centred with its muzzle at the top");
    // Below the pivot the barrel must hide behind the mount (drawn 12 rows lower).
    const rgb_image mount = fixtures::frame(sprite::mount, 0);
    int peeking = 0;
    for (int y = 19; y < barrel.h; ++y)
        for (int x = 0; x < barrel.w; ++x) {
            if (is_key(barrel.at(x, y))) continue;
            const int mx = x + 6, my = y - 18; // barrel centre (320, 355), mount centre (320, 367)
            if (!mount.inside(mx, my) || is_key(mount.at(mx, my))) ++peeking;
        }
    EXPECT(peeking == 0, std::to_string(peeking) + " pixels of the barrel's foot show below the mount");
    // The mount stands on the roof: no daylight between its plinth and the fort.
    const rgb_image fort = fixtures::frame(sprite::fort, 0);
    int gaps = 0;
    for (int x = 36; x < 58; ++x) gaps += is_key(fort.at(x, 13)) ? 1 : 0;
    EXPECT(ink_box(mount).y1 == mount.h - 1 && gaps == 0, "mount rests on the fort's roof");

    // The ruin sits where the fort stood: solid along its foot, ragged on top,
    // and its gutted windows are dark, not holes onto the sand.
    const rgb_image ruin = fixtures::frame(sprite::ruin, 0);
    int foot = 0, lowest_top = 0, highest_top = 99;
    for (int x = 0; x < ruin.w; ++x) {
        foot += is_key(ruin.at(x, ruin.h - 1)) ? 0 : 1;
        int top = 0;
        while (top < ruin.h && is_key(ruin.at(x, top))) ++top;
        lowest_top = std::max(lowest_top, top);
        highest_top = std::min(highest_top, top);
    }
    EXPECT(foot >= ruin.w - 2, "ruin is solid along its foot");
    EXPECT(lowest_top - highest_top >= 12, "ruin has a broken, ragged top");
    int ruin_holes = 0;
    for (const pixel_rect& p : fort_panes)
        for (int y = p.y - 11; y < p.y - 11 + p.h; ++y)
            for (int x = p.x; x < p.x + p.w; ++x) ruin_holes += is_key(ruin.at(x, y)) ? 1 : 0;
    EXPECT(ruin_holes == 0, "ruin's windows are dark, not see-through");

    // The falling man keeps one pose while his canopy opens above him.
    const rgb_image fall = fixtures::frame(sprite::man, 0);
    for (const int k : {1, 2, 3}) {
        const rgb_image f = fixtures::frame(sprite::man, k);
        bool same = true;
        for (int y = 13; y < 28; ++y)
            for (int x = 0; x < 30; ++x) same &= f.at(x, y) == fall.at(x, y);
        EXPECT(same, "man frame " + std::to_string(k) + " keeps the free-fall pose");
    }
}
