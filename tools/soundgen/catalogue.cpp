// The list of files written into data/, in the order the game loads them, and
// the path from render to finished Ogg bytes: level, encode, decode, check.
#include "catalogue.h"

#include <bit>
#include <cstdio>

#include "levels.h"
#include "ogg_io.h"
#include "sounds.h"

namespace snd {

namespace {

double kind_loudness_db(sound_kind kind)
{
    switch (kind) {
    case sound_kind::effect:
        return -16.0;
    case sound_kind::loud_effect:
        return -12.5;
    case sound_kind::jingle:
        return -21.0;
    case sound_kind::loop:
        return -22.0;
    }
    return -20.0;
}

buffer man_hit_1()
{
    return render_man_hit(0);
}
buffer man_hit_2()
{
    return render_man_hit(1);
}
buffer man_hit_3()
{
    return render_man_hit(2);
}

} // namespace

const sound_entry sound_table[] = {
    {"startgame.ogg", sound_kind::effect, render_start_game, 0.0},
    {"cannon.ogg", sound_kind::effect, render_cannon, 1.0},
    {"explode03.ogg", sound_kind::effect, render_explode_aircraft, 1.0},
    {"explode02.ogg", sound_kind::loud_effect, render_explode_big, 0.0},
    {"explode01.ogg", sound_kind::effect, render_explode_small, 1.0},
    {"aircraft01.ogg", sound_kind::effect, render_aircraft_large, -1.0},
    {"aircraft02.ogg", sound_kind::effect, render_aircraft_small, -1.0},
    {"aircraft03.ogg", sound_kind::effect, render_aircraft_fighter, 0.0},
    {"manhit01.ogg", sound_kind::effect, man_hit_1, -1.0},
    {"manhit02.ogg", sound_kind::effect, man_hit_2, -1.0},
    {"manhit03.ogg", sound_kind::effect, man_hit_3, -1.0},
    {"chutehit.ogg", sound_kind::effect, render_chute_hit, 0.0},
    {"mansplat.ogg", sound_kind::effect, render_man_splat, 2.0},
    {"hiscore.ogg", sound_kind::effect, render_hiscore, -1.0},
    {"enemyin.ogg", sound_kind::effect, render_enemy_in, -1.0},
    {"newday.ogg", sound_kind::effect, render_new_day, -1.0},
    {"nukedrop.ogg", sound_kind::effect, render_nuke_drop, -1.0},
    {"nukemove.ogg", sound_kind::effect, render_nuke_move, 0.0},
    {"introwar.ogg", sound_kind::jingle, render_logo_jingle, 0.0},
    {"theintro.ogg", sound_kind::loop, render_title_music, 0.0},
    {"theattack.ogg", sound_kind::loop, render_battle_music, 0.0},
};

const int sound_count = static_cast<int>(sizeof sound_table / sizeof sound_table[0]);

double target_loudness_db(const sound_entry& entry)
{
    return kind_loudness_db(entry.kind) + entry.trim_db;
}

uint32_t stream_serial(const char* file)
{
    // FNV-1a of the name: fixed per file, distinct between files.
    uint32_t h = 2166136261u;
    for (const char* p = file; *p; ++p) h = (h ^ static_cast<uint8_t>(*p)) * 16777619u;
    return h & 0x7fffffffu;
}

std::string pcm_digest(const buffer& pcm)
{
    // FNV-1a over the float bits: names the exact samples handed to the encoder.
    uint64_t h = 14695981039346656037ull;
    for (float v : pcm) {
        const uint32_t bits = std::bit_cast<uint32_t>(v);
        for (int b = 0; b < 4; ++b) h = (h ^ ((bits >> (8 * b)) & 0xffu)) * 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

built_sound build_sound(const sound_entry& entry)
{
    built_sound out;
    buffer pcm = entry.render();
    const double target = target_loudness_db(entry);
    if (entry.kind == sound_kind::loop)
        finish_loop(pcm, target, render_peak);
    else
        finish_effect(pcm, target, render_peak);

    // Vorbis can ring above the input's peak; back off until the decoded
    // stream is under the ceiling.
    for (int attempt = 0; attempt < 6; ++attempt) {
        out.bytes = encode_vorbis(pcm, vorbis_quality, stream_serial(entry.file),
                                  {std::string(pcm_tag) + "=" + pcm_digest(pcm)});
        if (out.bytes.empty()) {
            out.error = "encoder refused the stream";
            return out;
        }
        const decoded_sound d = decode_vorbis(out.bytes);
        if (!d.ok) {
            out.error = d.error;
            return out;
        }
        out.seconds = static_cast<double>(d.samples.size()) / d.rate;
        out.peak = peak_abs(d.samples);
        out.loudness_db = loudness_db(d.samples);
        if (out.peak <= decoded_peak_max) {
            out.ok = true;
            return out;
        }
        scale(pcm, decoded_peak_max / out.peak * 0.98);
    }
    out.error = "peak stays above the ceiling";
    return out;
}

} // namespace snd
