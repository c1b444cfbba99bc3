// Loudness, peak and edge treatment applied to every rendered sound.
#include "levels.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace snd {

namespace {

constexpr size_t window = 2048;
constexpr size_t hop = 1024;
constexpr double loud_range_db = 10.0;

} // namespace

double loudness_db(const buffer& x)
{
    std::vector<double> powers;
    for (size_t start = 0; start + window <= x.size() || powers.empty(); start += hop) {
        const size_t end = std::min(x.size(), start + window);
        double sum = 0.0;
        for (size_t i = start; i < end; ++i) sum += static_cast<double>(x[i]) * x[i];
        powers.push_back(end > start ? sum / static_cast<double>(end - start) : 0.0);
        if (end == x.size()) break;
    }
    const double top = *std::max_element(powers.begin(), powers.end());
    if (top <= 0.0) return -200.0;
    const double floor_power = top * db_to_gain(-loud_range_db) * db_to_gain(-loud_range_db);
    double sum = 0.0;
    int n = 0;
    for (double p : powers)
        if (p >= floor_power) {
            sum += p;
            ++n;
        }
    return 10.0 * det_log(sum / n) / det_log(10.0);
}

double peak_abs(const buffer& x)
{
    double p = 0.0;
    for (float v : x) p = std::max(p, static_cast<double>(std::fabs(v)));
    return p;
}

double mean_of(const buffer& x)
{
    if (x.empty()) return 0.0;
    double s = 0.0;
    for (float v : x) s += v;
    return s / static_cast<double>(x.size());
}

void remove_dc(buffer& x, bool circular)
{
    if (x.empty()) return;
    // y[n] = x[n] - x[n-1] + r*y[n-1], corner near 7 Hz.
    constexpr double r = 0.999;
    double prev_in = 0.0, prev_out = 0.0;
    if (circular) {
        // Settle the filter state on one lap so the second lap wraps cleanly.
        prev_in = x.back();
        for (float v : x) {
            prev_out = v - prev_in + r * prev_out;
            prev_in = v;
        }
    }
    for (float& v : x) {
        const double out = v - prev_in + r * prev_out;
        prev_in = v;
        prev_out = out;
        v = static_cast<float>(out);
    }
}

void limit_peaks(buffer& x, double threshold)
{
    const int n = static_cast<int>(x.size());
    if (n == 0) return;
    const int reach = seconds_to_samples(0.008);
    std::vector<double> need(n);
    for (int i = 0; i < n; ++i) {
        const double a = std::fabs(x[i]);
        need[i] = a > threshold ? threshold / a : 1.0;
    }
    // Minimum over [i - reach, i + reach], via a monotonic deque.
    std::vector<double> low(n);
    std::deque<int> q;
    int next = 0;
    for (int i = 0; i < n; ++i) {
        while (next < n && next <= i + reach) {
            while (!q.empty() && need[q.back()] >= need[next]) q.pop_back();
            q.push_back(next++);
        }
        while (q.front() < i - reach) q.pop_front();
        low[i] = need[q.front()];
    }
    // A centred box narrower than the minimum's reach never rises above
    // what any covered sample needs.
    const int half = reach / 2;
    std::vector<double> pre(n + 1, 0.0);
    for (int i = 0; i < n; ++i) pre[i + 1] = pre[i] + low[i];
    for (int i = 0; i < n; ++i) {
        const int a = std::max(0, i - half), b = std::min(n, i + half + 1);
        double g = (pre[b] - pre[a]) / (b - a);
        if (g > need[i]) g = need[i]; // rounding only

        x[i] = static_cast<float>(x[i] * g);
    }
}

void fade_edges(buffer& x, double fade_in_s, double fade_out_s)
{
    const size_t n = x.size();
    const size_t fin = std::min(n, static_cast<size_t>(seconds_to_samples(fade_in_s)));
    const size_t fout = std::min(n, static_cast<size_t>(seconds_to_samples(fade_out_s)));
    for (size_t i = 0; i < fin; ++i) x[i] *= static_cast<float>(static_cast<double>(i) / fin);
    for (size_t i = 0; i < fout; ++i) x[n - 1 - i] *= static_cast<float>(static_cast<double>(i) / fout);
}

void scale(buffer& x, double gain)
{
    for (float& v : x) v = static_cast<float>(v * gain);
}

void finish_effect(buffer& x, double target_db, double peak_max)
{
    remove_dc(x, false);
    // Limiting lowers the loudness again, so close in on the target.
    for (int pass = 0; pass < 10; ++pass) {
        const double miss = target_db - loudness_db(x);
        if (pass > 0 && miss < 0.1 && miss > -0.1) break;
        scale(x, db_to_gain(miss));
        limit_peaks(x, peak_max);
    }
    fade_edges(x, 0.003, 0.012);
    // Vorbis spreads a sharp attack a little backwards in time; a few
    // milliseconds of lead-in keep that ahead of the first sample.
    x.insert(x.begin(), static_cast<size_t>(seconds_to_samples(0.004)), 0.0f);
}

void finish_loop(buffer& x, double target_db, double peak_max)
{
    remove_dc(x, true);
    double g = db_to_gain(target_db - loudness_db(x));
    const double p = peak_abs(x) * g;
    if (p > peak_max) g *= peak_max / p;
    scale(x, g);
}

} // namespace snd
