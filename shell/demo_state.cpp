// What a game starts from (all that carries over from attract mode), and checksums of the game state.
#include "shell/demo_state.h"

#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "actors/actors.h"
#include "services/display.h"
#include "services/maths.h"
#include "shell/demo_format.h"
#include "shell/game_state.h"

namespace {

// The integers a game carries, with the values a game can give them; a start outside is refused.
struct int_field {
    int* value;
    int lo, hi;
};

const int_field int_fields[] = {
    {&difficulty, 0, 1},
    {&score, 0, INT_MAX},
    {&casualties, 0, INT_MAX},
    {&men, 0, 99},
    {&days_survived, 0, INT_MAX},
    {&best_score, 0, INT_MAX},
    {&best_casualties, 0, INT_MAX},
    {&new_best_flag, 0, 1},
    {&daylight, 0, 255},
    {&daylight_step, -1, 1},
    {&daylight_timer, INT_MIN, INT_MAX},
    {&trooper_timer, INT_MIN, INT_MAX},
    {&trooper_period, INT_MIN, INT_MAX},
    {&nuke_timer, INT_MIN, INT_MAX},
    {&nuke_period, INT_MIN, INT_MAX},
    {&nuke_side, INT_MIN, INT_MAX},
    {&mustang_timer, INT_MIN, INT_MAX},
    {&mustang_period, INT_MIN, INT_MAX},
    {&mustang_side, INT_MIN, INT_MAX},
    {&sound_volume_step, 0, 10},
    {&music_volume_step, 0, 10},
    {&saved_pointer_x, INT_MIN, INT_MAX},
    {&saved_pointer_y, INT_MIN, INT_MAX},
    {&game_paused, 0, 0},
    {&demo_mode, 0, 0},
    {&quit_requested, 0, 0},
    {&fort.can_rot, INT_MIN, INT_MAX},
    {&fort.shot_tmr, INT_MIN, INT_MAX},
    {&fort.can_flash, INT_MIN, INT_MAX},
    {&fort.crot_stp, INT_MIN, INT_MAX},
    {&draw_state.color_red, 0, 255},
    {&draw_state.color_green, 0, 255},
    {&draw_state.color_blue, 0, 255},
    {&draw_state.blend_mode, 0, 4},
};

float* const float_fields[] = {
    &sun_angle,
    &moon_angle,
    &banner_scale,
    &banner_alpha,
    &flash_alpha,
    &sound_volume,
    &music_volume,
    &draw_state.color_alpha,
    &draw_state.tform_rot,
    &draw_state.tform_scale_x,
    &draw_state.tform_scale_y,
    &draw_state.origin_x,
    &draw_state.origin_y,
    &draw_state.handle_x,
    &draw_state.handle_y,
};

// Raw actors: every field is a 4-byte int or float, so the bytes are the actor.
template <typename T> void put_list(byte_writer& w, const actor_list<T>& list)
{
    static_assert(std::is_trivially_copyable_v<T> && sizeof(T) % 4 == 0);
    w.u32(static_cast<uint32_t>(list.size()));
    w.u32(sizeof(T));
    list.each([&](const T& a, long id) {
        w.u32(static_cast<uint32_t>(id));
        uint8_t raw[sizeof(T)];
        std::memcpy(raw, &a, sizeof(T));
        w.out.insert(w.out.end(), raw, raw + sizeof(T));
    });
}

constexpr uint32_t most_actors = 4096; // a list this long in a start state is damage

template <typename T> bool finite_floats(const T& a);
template <> bool finite_floats(const star_tag&)
{
    return true;
}
template <> bool finite_floats(const backcloud_tag& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.xstp) && std::isfinite(c.xscale) &&
           std::isfinite(c.yscale);
}
template <> bool finite_floats(const frontcloud_tag& c)
{
    return std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.xstp) && std::isfinite(c.xscale) &&
           std::isfinite(c.yscale);
}
template <> bool finite_floats(const bombmark_tag& b)
{
    return std::isfinite(b.x) && std::isfinite(b.y) && std::isfinite(b.alpha);
}

// Reads one list; with `into`, appends the actors under their recorded ids.
template <typename T> bool get_list(byte_reader& r, actor_list<T>* into, long next_id)
{
    uint32_t n = r.u32(), size = r.u32();
    if (!r.ok || size != sizeof(T) || n > most_actors) return false;
    long last = 0;
    for (uint32_t i = 0; i < n; ++i) {
        long id = static_cast<long>(r.u32());
        T a;
        uint8_t raw[sizeof(T)];
        if (!r.bytes(raw, sizeof(T))) return false;
        std::memcpy(&a, raw, sizeof(T));
        if (id <= last || id >= next_id || !finite_floats(a)) return false;
        last = id;
        if (into) {
            detail::next_actor_id = id - 1; // the list numbers it on joining
            into->append(std::make_unique<T>(a));
        }
    }
    return r.ok;
}

// Reads (and with `apply`, restores) a start state; false when it is not one the game could have had.
bool read_start(const std::vector<uint8_t>& bytes, bool apply)
{
    byte_reader r{bytes.data(), bytes.size()};
    uint32_t ints = r.u32(), floats = r.u32();
    if (!r.ok || ints != std::size(int_fields) || floats != std::size(float_fields)) return false;
    int iv[std::size(int_fields)];
    float fv[std::size(float_fields)];
    for (size_t i = 0; i < std::size(int_fields); ++i) {
        iv[i] = static_cast<int>(r.u32());
        if (iv[i] < int_fields[i].lo || iv[i] > int_fields[i].hi) return false;
    }
    for (float& f : fv) {
        f = std::bit_cast<float>(r.u32());
        if (!std::isfinite(f) || std::fabs(f) > 1e7f) return false;
    }
    int32_t rnd = static_cast<int32_t>(r.u32());
    uint32_t next_id = r.u32();
    if (!r.ok || rnd <= 0 || rnd >= 0x7FFFFFFF || next_id == 0 || next_id > 0x7FFFFFFF) return false;
    // The volumes go to the mixer as they are.
    if (fv[5] < 0.0f || fv[5] > 2.0f || fv[6] < 0.0f || fv[6] > 2.0f) return false;
    long id_limit = static_cast<long>(next_id) + 1;
    if (apply) {
        for (size_t i = 0; i < std::size(int_fields); ++i) *int_fields[i].value = iv[i];
        for (size_t i = 0; i < std::size(float_fields); ++i) *float_fields[i] = fv[i];
        set_draw_color(draw_state.color_red, draw_state.color_green, draw_state.color_blue);
        set_draw_alpha(draw_state.color_alpha);
        int mode = draw_state.blend_mode;
        draw_state.blend_mode = -1; // so the renderer takes the mode afresh
        set_blend_mode(mode);
        set_draw_transform(draw_state.tform_rot, draw_state.tform_scale_x, draw_state.tform_scale_y);
        rnd_state = rnd;
        star_list.clear();
        backcloud_list.clear();
        frontcloud_list.clear();
        bombmark_list.clear();
    }
    bool ok = get_list(r, apply ? &star_list : nullptr, id_limit) &&
              get_list(r, apply ? &backcloud_list : nullptr, id_limit) &&
              get_list(r, apply ? &frontcloud_list : nullptr, id_limit) &&
              get_list(r, apply ? &bombmark_list : nullptr, id_limit);
    if (apply) detail::next_actor_id = static_cast<long>(next_id);
    return ok && r.ok && r.left() == 0;
}

struct hasher {
    uint32_t h = 2166136261u; // FNV-1a
    void bytes(const void* p, size_t n)
    {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 16777619u;
    }
    void word(uint32_t v) { bytes(&v, 4); }
    template <typename T> void list(const actor_list<T>& l)
    {
        word(static_cast<uint32_t>(l.size()));
        l.each([&](const T& a, long) { bytes(&a, sizeof(T)); });
    }
};

} // namespace

std::vector<uint8_t> capture_start()
{
    std::vector<uint8_t> out;
    byte_writer w{out};
    w.u32(static_cast<uint32_t>(std::size(int_fields)));
    w.u32(static_cast<uint32_t>(std::size(float_fields)));
    for (const int_field& f : int_fields) w.u32(static_cast<uint32_t>(*f.value));
    for (const float* f : float_fields) w.u32(std::bit_cast<uint32_t>(*f));
    w.u32(static_cast<uint32_t>(rnd_state));
    w.u32(static_cast<uint32_t>(detail::next_actor_id));
    put_list(w, star_list);
    put_list(w, backcloud_list);
    put_list(w, frontcloud_list);
    put_list(w, bombmark_list);
    return out;
}

bool check_start(const std::vector<uint8_t>& bytes, std::string& why)
{
    if (read_start(bytes, false)) return true;
    why = "holds a start the game could not have had";
    return false;
}

void restore_start(const std::vector<uint8_t>& bytes)
{
    (void)read_start(bytes, true);
}

uint32_t state_checksum()
{
    hasher h;
    for (const int_field& f : int_fields) h.word(static_cast<uint32_t>(*f.value));
    for (size_t i = 0; i < 7; ++i) h.word(std::bit_cast<uint32_t>(*float_fields[i])); // not the draw state
    h.word(static_cast<uint32_t>(rnd_state));
    h.list(star_list);
    h.list(canball_list);
    h.list(backcloud_list);
    h.list(frontcloud_list);
    h.list(lgtrooper_list);
    h.list(smtrooper_list);
    h.list(commando_list);
    h.list(mustang_list);
    h.list(nukerocket_list);
    h.list(smallbomb_list);
    h.list(explosion_list);
    h.list(bodypart_list);
    h.list(planepart_list);
    h.list(smokering_list);
    h.list(bombmark_list);
    return h.h;
}

frame_state current_frame_state()
{
    return {score, casualties, days_survived, men};
}

frame_state start_frame_state(const std::vector<uint8_t>& bytes)
{
    byte_reader r{bytes.data(), bytes.size()};
    int v[5] = {};
    r.u32();
    r.u32();
    for (int& x : v) x = static_cast<int>(r.u32()); // difficulty, score, casualties, men, days
    return {v[1], v[2], v[4], v[3]};
}
