// Text note lines to note events, and note events to mixed PCM.
#include "sequencer.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace snd {

namespace {

constexpr int letter_steps[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g

struct comb {
    std::vector<float> line;
    size_t pos = 0;
    double store = 0.0;
    double tick(double in, double feedback, double damp)
    {
        const double out = line[pos];
        store = out * (1.0 - damp) + store * damp;
        line[pos] = static_cast<float>(in + store * feedback);
        if (++pos == line.size()) pos = 0;
        return out;
    }
};

struct allpass {
    std::vector<float> line;
    size_t pos = 0;
    double tick(double in)
    {
        const double delayed = line[pos];
        const double out = delayed - in;
        line[pos] = static_cast<float>(in + delayed * 0.5);
        if (++pos == line.size()) pos = 0;
        return out;
    }
};

constexpr int comb_lengths[] = {1557, 1617, 1491, 1422, 1277, 1356};
constexpr int allpass_lengths[] = {556, 441, 341};

// Players lean on the downbeat and the beats, and touch the rest lighter.
double metric_weight(double position_16th)
{
    const long p = static_cast<long>(position_16th);
    if (p != position_16th) return 0.95;
    if (p % 16 == 0) return 1.08;
    if (p % 4 == 0) return 1.03;
    return 0.96;
}

} // namespace

double sixteenth_s(double bpm)
{
    return 15.0 / bpm;
}

int parse_pitch(const char* text, int* consumed)
{
    const char* p = text;
    const int letter = std::tolower(static_cast<unsigned char>(*p)) - 'a';
    if (letter < 0 || letter > 6) return -1;
    int step = letter_steps[letter];
    ++p;
    while (*p == '#' || *p == 'b') {
        step += *p == '#' ? 1 : -1;
        ++p;
    }
    if (!std::isdigit(static_cast<unsigned char>(*p))) return -1;
    const int octave = *p - '0';
    ++p;
    if (consumed) *consumed = static_cast<int>(p - text);
    return 12 * (octave + 1) + step;
}

int write_line(std::vector<note>& out, const part_style& style, double bpm, double start_16th, const char* text)
{
    const double unit = sixteenth_s(bpm);
    const char* p = text;
    int pos = 0;
    int length = 4;
    while (*p) {
        while (*p == ' ') ++p;
        if (!*p) break;
        double accent = 1.0;
        if (*p == '>') {
            accent = 1.25;
            ++p;
        }
        std::vector<int> pitches;
        bool rest = false;
        if (*p == 'r') {
            rest = true;
            ++p;
        } else {
            for (;;) {
                int used = 0;
                const int pitch = parse_pitch(p, &used);
                if (pitch < 0) return -1;
                pitches.push_back(pitch);
                p += used;
                if (*p != '+') break;
                ++p;
            }
        }
        if (*p == '/') {
            ++p;
            char* end = nullptr;
            const long v = std::strtol(p, &end, 10);
            if (end == p || v <= 0) return -1;
            length = static_cast<int>(v);
            p = end;
        }
        if (*p && *p != ' ') return -1;
        if (!rest) {
            for (int pitch : pitches) {
                note n;
                n.start_s = (start_16th + pos) * unit;
                n.length_s = length * unit * style.legato;
                n.pitch = pitch + style.transpose;
                n.velocity = style.velocity * accent * metric_weight(start_16th + pos);
                n.inst = style.inst;
                out.push_back(n);
            }
        }
        pos += length;
    }
    return pos;
}

buffer render_notes(const std::vector<note>& notes, double length_s, bool loop, uint64_t seed)
{
    buffer mix(seconds_to_samples(length_s), 0.0f);
    uint64_t k = 0;
    for (const note& n : notes) {
        ++k;
        const buffer one = render_note(n, seed * 1000003ull + k);
        mix_into(mix, one, seconds_to_samples(n.start_s), 1.0);
    }
    if (loop) {
        const size_t len = static_cast<size_t>(seconds_to_samples(length_s));
        for (size_t i = len; i < mix.size(); ++i) mix[i % len] += mix[i];
        mix.resize(len);
    }
    return mix;
}

void add_reverb(buffer& x, double wet, bool circular)
{
    if (x.empty()) return;
    std::vector<comb> combs;
    for (int l : comb_lengths) combs.push_back(comb{std::vector<float>(l, 0.0f)});
    std::vector<allpass> passes;
    for (int l : allpass_lengths) passes.push_back(allpass{std::vector<float>(l, 0.0f)});
    const size_t n = x.size();
    buffer tail(n, 0.0f);
    const int laps = circular ? 2 : 1;
    for (int lap = 0; lap < laps; ++lap) {
        for (size_t i = 0; i < n; ++i) {
            const double in = x[i] * 0.1;
            double sum = 0.0;
            for (comb& c : combs) sum += c.tick(in, 0.80, 0.3);
            for (allpass& a : passes) sum = a.tick(sum);
            tail[i] = static_cast<float>(sum);
        }
    }
    for (size_t i = 0; i < n; ++i) x[i] = static_cast<float>(x[i] + wet * tail[i]);
}

} // namespace snd
