// Checks the committed sound files as the game will decode them: lengths, levels, joins.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "check.h"
#include "levels.h"
#include "ogg_io.h"

using check::expect;

namespace {

enum class role { effect, loud_effect, jingle, loop };

struct expected_file {
    const char* name;
    role kind;
    double min_s, max_s;
};

constexpr expected_file files[] = {
    {"cannon.ogg", role::effect, 0.1, 0.8},         {"explode01.ogg", role::effect, 0.3, 2.0},
    {"explode02.ogg", role::loud_effect, 1.5, 6.0}, {"explode03.ogg", role::effect, 0.8, 4.0},
    {"aircraft01.ogg", role::effect, 2.0, 4.0},     {"aircraft02.ogg", role::effect, 2.0, 4.0},
    {"aircraft03.ogg", role::effect, 1.0, 3.0},     {"manhit01.ogg", role::effect, 0.2, 1.2},
    {"manhit02.ogg", role::effect, 0.2, 1.2},       {"manhit03.ogg", role::effect, 0.2, 1.2},
    {"chutehit.ogg", role::effect, 0.2, 1.5},       {"mansplat.ogg", role::effect, 0.1, 1.0},
    {"enemyin.ogg", role::effect, 0.5, 3.0},        {"hiscore.ogg", role::effect, 0.5, 3.0},
    {"newday.ogg", role::effect, 1.5, 5.0},         {"nukemove.ogg", role::effect, 1.0, 4.0},
    {"nukedrop.ogg", role::effect, 1.0, 3.5},       {"startgame.ogg", role::effect, 1.0, 4.0},
    {"introwar.ogg", role::jingle, 6.0, 8.0},       {"theintro.ogg", role::loop, 60.0, 120.0},
    {"theattack.ogg", role::loop, 60.0, 120.0},
};

constexpr double minus_one_dbfs = 0.891251;
constexpr double max_folder_bytes = 6.0 * 1024 * 1024;

double percentile_step(const std::vector<float>& x, double share)
{
    std::vector<float> steps(x.size() - 1);
    for (size_t i = 0; i + 1 < x.size(); ++i) steps[i] = std::fabs(x[i + 1] - x[i]);
    const size_t k = static_cast<size_t>(share * (steps.size() - 1));
    std::nth_element(steps.begin(), steps.begin() + k, steps.end());
    return steps[k];
}

double edge_peak(const std::vector<float>& x, size_t from, size_t count)
{
    double p = 0;
    for (size_t i = from; i < from + count && i < x.size(); ++i) p = std::max(p, static_cast<double>(std::fabs(x[i])));
    return p;
}

// Share of the energy that falls in the first `seconds`.
double energy_share(const std::vector<float>& x, double seconds)
{
    const size_t cut = std::min(x.size(), static_cast<size_t>(seconds * 44100));
    double head = 0, all = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        const double e = static_cast<double>(x[i]) * x[i];
        all += e;
        if (i < cut) head += e;
    }
    return all > 0 ? head / all : 0;
}

struct beat {
    double bpm = 0;
    double strength = 0;
};

// Strongest periodicity of the note onsets between 60 and 180 beats a minute.
beat find_beat(const std::vector<float>& x)
{
    constexpr size_t hop = 441; // 10 ms frames
    std::vector<double> onsets;
    double hp = 0, last_in = 0, last_level = 0;
    for (size_t start = 0; start + hop <= x.size(); start += hop) {
        double e = 0;
        for (size_t i = start; i < start + hop; ++i) {
            hp = 0.9 * (hp + x[i] - last_in); // high-pass: drums and note fronts
            last_in = x[i];
            e += hp * hp;
        }
        const double level = std::log(e / hop + 1e-9);
        onsets.push_back(std::max(0.0, level - last_level));
        last_level = level;
    }
    double mean = 0;
    for (double v : onsets) mean += v;
    mean /= static_cast<double>(onsets.size());
    double power = 0;
    for (double& v : onsets) {
        v -= mean;
        power += v * v;
    }
    std::vector<double> r(102, 0.0);
    for (int lag = 32; lag <= 101; ++lag) {
        for (size_t i = 0; i + lag < onsets.size(); ++i) r[lag] += onsets[i] * onsets[i + lag];
        r[lag] /= power;
    }
    // Half-bar and bar periods echo the beat; take the quickest strong one.
    const double top = *std::max_element(r.begin() + 33, r.begin() + 101);
    beat best;
    for (int lag = 33; lag <= 100; ++lag)
        if (r[lag] >= 0.8 * top && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
            best = {6000.0 / lag, r[lag]};
            break;
        }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: sound_files_check DATA_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::vector<double> effect_levels;
    double big_blast = -200, loudest_music = -200;
    beat title_beat, battle_beat;
    char detail[256];

    for (const expected_file& f : files) {
        const std::string path = dir + "/" + f.name;
        const snd::decoded_sound d = snd::decode_vorbis_file(path);
        expect(d.ok, f.name, d.error.c_str());
        if (!d.ok || d.samples.size() < 100) continue;
        const std::vector<float>& x = d.samples;
        const double seconds = static_cast<double>(x.size()) / d.rate;
        const double peak = snd::peak_abs(x);
        const double loud = snd::loudness_db(x);
        std::snprintf(detail, sizeof detail, "%s: %.3f s, peak %.4f, loudness %.1f dB, mean %.5f", f.name, seconds,
                      peak, loud, snd::mean_of(x));
        expect(d.rate == 44100, "rate is 44100 Hz", detail);
        expect(seconds >= f.min_s && seconds <= f.max_s, "length in range", detail);
        expect(peak <= minus_one_dbfs, "peak at or below -1 dBFS", detail);
        expect(std::fabs(snd::mean_of(x)) < 0.002, "no DC offset", detail);

        if (f.kind == role::loop) {
            // The sample after the last is the first: that step must look like any other.
            const double join = std::fabs(x.front() - x.back());
            const double typical = percentile_step(x, 0.999);
            std::snprintf(detail, sizeof detail, "%s: join %.5f, 99.9%% step %.5f", f.name, join, typical);
            expect(join <= typical, "loop joins without a jump", detail);
            expect(snd::loudness_db(std::vector<float>(x.begin(), x.begin() + 44100)) > loud - 20.0,
                   "loop starts playing at once", detail);
            loudest_music = std::max(loudest_music, loud);
            const beat b = find_beat(x);
            std::snprintf(detail, sizeof detail, "%s: %.0f bpm, strength %.2f", f.name, b.bpm, b.strength);
            expect(b.strength > 0.2, "music keeps a steady beat", detail);
            (std::string(f.name) == "theintro.ogg" ? title_beat : battle_beat) = b;
        } else {
            std::snprintf(detail, sizeof detail, "%s: first %.4f, last %.4f", f.name, edge_peak(x, 0, 2),
                          edge_peak(x, x.size() - 2, 2));
            expect(edge_peak(x, 0, 2) < 0.01 && edge_peak(x, x.size() - 2, 2) < 0.01, "ends fade, no click", detail);
            if (f.kind == role::effect) effect_levels.push_back(loud);
            if (f.kind == role::loud_effect) big_blast = loud;
            if (f.kind == role::jingle) loudest_music = std::max(loudest_music, loud);
        }
        if (std::string(f.name) == "cannon.ogg") {
            // Fired four times a second: the shot must be over by the next one.
            std::snprintf(detail, sizeof detail, "share %.3f", energy_share(x, 0.25));
            expect(energy_share(x, 0.25) > 0.9, "cannon energy inside a quarter second", detail);
        }
    }

    if (!effect_levels.empty()) {
        const auto [lo, hi] = std::minmax_element(effect_levels.begin(), effect_levels.end());
        std::snprintf(detail, sizeof detail, "quietest %.1f dB, loudest %.1f dB", *lo, *hi);
        expect(*hi - *lo <= 6.0, "effects within 6 dB of each other", detail);
        expect(big_blast >= *lo, "end-of-game blast is not quieter than the effects", detail);
        std::vector<double> sorted = effect_levels;
        std::sort(sorted.begin(), sorted.end());
        const double median = sorted[sorted.size() / 2];
        std::snprintf(detail, sizeof detail, "music %.1f dB, effects median %.1f dB", loudest_music, median);
        expect(loudest_music <= median - 4.0 && loudest_music >= median - 9.0, "music sits about 6 dB under effects",
               detail);
    }

    std::snprintf(detail, sizeof detail, "title %.0f bpm, battle %.0f bpm", title_beat.bpm, battle_beat.bpm);
    expect(battle_beat.bpm > 1.2 * title_beat.bpm, "battle music is faster than the title march", detail);

    double bytes = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        if (entry.is_regular_file()) bytes += static_cast<double>(entry.file_size());
    std::snprintf(detail, sizeof detail, "%.0f bytes", bytes);
    expect(!ec && bytes > 0 && bytes < max_folder_bytes, "data folder under 6 MB", detail);
    return check::finish();
}
