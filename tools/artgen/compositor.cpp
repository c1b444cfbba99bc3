// Review compositor: previews the battlefield and lays out a contact sheet.
#include "compositor.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "lettering.h"
#include "paint.h"
#include "sheet_layout.h"

namespace artgen {

void draw_sprite(rgb_image& dst, const rgb_image& spr, double x, double y, const draw_op& op)
{
    const double hx = op.centred ? spr.w * 0.5 : 0, hy = op.centred ? spr.h * 0.5 : 0;
    const double rad = op.rotation * M_PI / 180.0, c = std::cos(rad), s = std::sin(rad);
    const double reach = (std::abs(op.sx) + std::abs(op.sy)) * (spr.w + spr.h);
    const int x0 = std::max(0, static_cast<int>(x - reach)), x1 = std::min(dst.w - 1, static_cast<int>(x + reach));
    const int y0 = std::max(0, static_cast<int>(y - reach)), y1 = std::min(dst.h - 1, static_cast<int>(y + reach));
    for (int py = y0; py <= y1; ++py)
        for (int px = x0; px <= x1; ++px) {
            const double dx = px + 0.5 - x, dy = py + 0.5 - y;
            // Undo the clockwise rotation, then the scale, then the handle.
            const double ux = (dx * c + dy * s) / op.sx + hx, uy = (-dx * s + dy * c) / op.sy + hy;
            const int tx = static_cast<int>(std::floor(ux)), ty = static_cast<int>(std::floor(uy));
            if (!spr.inside(tx, ty)) continue;
            const rgb t = spr.at(tx, ty);
            if (is_key(t)) continue;
            const rgb tinted{static_cast<uint8_t>(t.r * op.tint.r / 255), static_cast<uint8_t>(t.g * op.tint.g / 255),
                             static_cast<uint8_t>(t.b * op.tint.b / 255)};
            dst.set(px, py, mix(dst.at(px, py), tinted, op.alpha));
        }
}

namespace {

rgb_image frame_of(const rgb_image& sheet, sprite id, int k)
{
    const sprite_slot& s = slot_of(id);
    return crop(sheet, s.x(k), s.y0, s.w, s.h);
}

} // namespace

rgb_image battlefield_preview(const rgb_image& sheet, const rgb_image& sky, const rgb_image& ground, int daylight)
{
    rgb_image screen(640, 480);
    const uint8_t d = static_cast<uint8_t>(daylight);
    const rgb tint{d, d, 255};
    auto spr = [&](sprite id, int k) { return frame_of(sheet, id, k); };
    auto put = [&](sprite id, int k, double x, double y, draw_op op) { draw_sprite(screen, spr(id, k), x, y, op); };

    draw_sprite(screen, sky, 0, 0, {tint, 1, 1, 1, 0, false});
    if (daylight < 80)
        for (int i = 0; i < 200; ++i) {
            const uint8_t hue = static_cast<uint8_t>(235 + hash01(i, 3, 5) * 20);
            screen.set(static_cast<int>(hash01(i, 1, 5) * 640), static_cast<int>(hash01(i, 2, 5) * 340),
                       {hue, hue, hue});
        }
    const double sun = daylight > 128 ? -38.0 : 142.0, moon = sun + 180.0;
    auto orb_at = [&](int k, double ang) {
        const double r = ang * M_PI / 180;
        put(sprite::orb, k, 320 + 180 * std::sin(r), 240 - 180 * std::cos(r),
            {daylight < 80 ? rgb{240, 240, 240} : rgb{255, 255, 255}});
    };
    orb_at(1, sun);
    orb_at(2, moon);
    const rgb cloud_tint = daylight < 180 ? tint : rgb{180, 180, 225};
    const double back[][4] = {{80, 90, 0.3, 0.25}, {250, 150, 0.35, 0.3}, {560, 70, 0.25, 0.2}, {430, 210, 0.3, 0.22}};
    for (const auto& b : back) put(sprite::cloud, 0, b[0], b[1], {cloud_tint, 0.4, b[2], b[3]});
    // Far pass: small, low and behind the rocks.
    put(sprite::lgtrooper, 2, 470, 240, {tint, 1, 0.4, 0.4});
    put(sprite::mustang, 0, 150, 250, {tint, 1, 0.5, 0.5});
    draw_sprite(screen, ground, 0, 186, {tint, 1, 1, 1, 0, false});

    put(sprite::ball, 0, 352, 262, {tint, 1, 0.8, 0.8});
    put(sprite::planepart, 1, 505, 150, {tint, 1, 1, 1, 35});
    put(sprite::planepart, 2, 540, 172, {tint, 1, 1, 1, -60});
    put(sprite::man, 12, 180, 250, {tint, 1, 0.4, 0.4});
    put(sprite::bombmark, 0, 170, 440, {tint, 0.8, 1.4, 0.8});
    put(sprite::man, 3, 118, 180, {tint, 1, 1.1, 1.1, 14});
    put(sprite::man, 2, 250, 120, {tint, 1, 0.8, 0.8, 15});
    put(sprite::man, 3, 430, 300, {tint, 1, 1.4, 1.4, -10});
    put(sprite::man, 4, 190, 415, {tint, 1, 1.5, 1.5});
    put(sprite::man, 7, 470, 415, {tint, 1, 1.5, 1.5});
    put(sprite::man, 13, 80, 425, {tint, 0.9, 1.5, 1.5});
    put(sprite::rocket, 1, 590, 90, {tint, 1, 1.0, 1.2, 150});

    // The fort: shadow, window light, building, barrel, mount.
    for (int y = 414; y < 439; ++y)
        for (int x = 280; x < 380; ++x)
            screen.set(x, y, mix(screen.at(x, y), daylight > 50 ? rgb{20, 20, 20} : rgb{8, 8, 8}, 0.6));
    for (int y = 398; y < 428; ++y)
        for (int x = 280; x < 366; ++x) screen.set(x, y, {200, 200, 0});
    put(sprite::fort, 0, 320, 400, {tint});
    put(sprite::orb, 0, 334, 341, {tint, 0.5, 0.45, 0.25, 45});
    put(sprite::barrel, 1, 320, 355, {{255, 255, 255}, 1, 1, 1, 45});
    put(sprite::mount, 0, 320, 367, {tint});

    put(sprite::rocket, 5, 400, 330, {tint, 1, 0.5, 0.7, 20});
    put(sprite::explosion, 0, 400, 200, {{255, 255, 255}, 0.85, 0.8, 0.8, 20});
    put(sprite::mustang, 3, 250, 60, {tint, 1, 1.2, 1.2});
    put(sprite::lgtrooper, 1, 120, 40, {tint});
    put(sprite::smtrooper, 2, 530, 100, {tint});
    const double front[][4] = {{600, 130, 1.0, 0.7}, {40, 300, 0.8, 0.6}};
    for (const auto& f : front) put(sprite::cloud, 0, f[0], f[1], {cloud_tint, 0.6, f[2], f[3]});

    // The HUD, untinted, over the blue bar.
    draw_sprite(screen, spr(sprite::hud, 0), 2, 461, {{255, 255, 255}, 1, 1, 1, 0, false});
    const int fields[][3] = {{66, 1250, 5}, {211, 8275, 5}, {296, 61, 4}, {474, 23, 4}, {600, 3, 2}};
    for (const auto& f : fields) {
        std::string txt = std::to_string(f[1]);
        while (static_cast<int>(txt.size()) < f[2] - 1) txt = "0" + txt;
        txt = "0" + txt;
        for (size_t i = 0; i < txt.size(); ++i)
            draw_sprite(screen, spr(sprite::digit, txt[i] - '0'), f[0] + 16.0 * i, 463,
                        {{255, 255, 255}, 1, 1, 1, 0, false});
    }
    return screen;
}

rgb_image contact_sheet(const rgb_image& sheet, const lettering& font)
{
    constexpr int zoom = 3, pad = 10, label_h = 16, width = 1940;
    struct place {
        int x, y, slot, frame;
    };
    std::vector<place> places;
    int x = pad, y = pad, row_h = 0;
    for (size_t i = 0; i < sheet_slots.size(); ++i)
        for (int k = 0; k < sheet_slots[i].frames; ++k) {
            const int label_w = static_cast<int>(6.2 * (sheet_slots[i].name.size() + 3)) + 4;
            const int w = std::max(sheet_slots[i].w * zoom, label_w), h = sheet_slots[i].h * zoom + label_h;
            if (x + w > width - pad) {
                x = pad;
                y += row_h + pad;
                row_h = 0;
            }
            places.push_back({x, y, static_cast<int>(i), k});
            x += w + pad;
            row_h = std::max(row_h, h);
        }
    const int height = y + row_h + pad;
    canvas labels(width, height);
    constexpr letter_style plain{
        {250, 250, 250}, {250, 250, 250}, {230, 230, 230}, {40, 40, 40}, 0.6, {255, 255, 255}, false};
    for (const place& p : places) {
        const sprite_slot& s = sheet_slots[p.slot];
        std::string name(s.name);
        if (s.frames > 1) name.append(" ").append(std::to_string(p.frame));
        const double tw = 6.2 * name.size();
        font.draw(labels.cr(), name, {double(p.x), double(p.y + 2), p.x + tw, double(p.y + 12)}, plain);
    }
    rgb_image out = labels.flatten({128, 128, 128});
    for (const place& p : places) {
        const sprite_slot& s = sheet_slots[p.slot];
        // A slightly darker cell shows the frame's bounds.
        for (int yy = 0; yy < s.h * zoom; ++yy)
            for (int xx = 0; xx < s.w * zoom; ++xx) out.set(p.x + xx, p.y + label_h + yy, {116, 116, 116});
        const rgb_image f = crop(sheet, s.x(p.frame), s.y0, s.w, s.h);
        for (int yy = 0; yy < s.h * zoom; ++yy)
            for (int xx = 0; xx < s.w * zoom; ++xx) {
                const rgb c = f.at(xx / zoom, yy / zoom);
                if (!is_key(c)) out.set(p.x + xx, p.y + label_h + yy, c);
            }
    }
    return out;
}

} // namespace artgen
