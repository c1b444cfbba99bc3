// A small bot that plays through the same pointer and fire controls a player uses.
// It reads where the actors are, as a player sees them, and never changes the game's state.
#include "tools/replay/autoplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "actors/actors.h"
#include "services/display.h"
#include "services/maths.h"
#include "shell/game_state.h"

namespace {

using platform::event;
using platform::event_kind;

constexpr double pivot_x = 320.0, pivot_y = 355.0;
constexpr double ball_speed = 2.0;
constexpr int max_flight = 260; // frames a ball can fly before it leaves the field

struct point {
    double x, y;
};

// Where a target will be `k` frames from now; false once it is gone or out of reach.
using path = std::function<bool(int k, point& p)>;

struct candidate {
    long id;
    int priority; // lower goes first
    double urgency;
    path where;
};

// One frame of a small bomb's flight, as it moves and curls.
void step_bomb(smallbomb_tag& b)
{
    b.x = static_cast<float>(b.x + 2.0 * sin_deg(b.dir));
    b.y = static_cast<float>(b.y - 2.0 * cos_deg(b.dir));
    if (b.frame == 2 && b.rotation < 90) b.rotation += 1, b.dir += 1;
    if (b.frame == 5 && b.rotation > -90) b.rotation -= 1, b.dir -= 1;
}

bool bomb_at(smallbomb_tag b, int k, point& p)
{
    for (int i = 0; i < k; ++i) {
        step_bomb(b);
        if (b.y > 400) return false;
    }
    p = {b.x, b.y};
    return true;
}

bool bomb_hits_fort(smallbomb_tag b)
{
    for (int i = 0; i < 400 && b.y <= 400; ++i) {
        step_bomb(b);
        if (b.x > 265 && b.x < 375 && b.y > 350) return true;
    }
    return false;
}

bool rocket_at(nukerocket_tag r, int k, point& p)
{
    for (int i = 0; i < k; ++i) {
        r.x = static_cast<float>(r.x + 2.0 * sin_deg(r.dir));
        r.y = static_cast<float>(r.y - 4.0 * cos_deg(r.dir));
        if (r.dist_ctr > 0) --r.dist_ctr;
        if (r.frame == 0 && r.dist_ctr == 0 && r.rotation < 90) r.rotation += 1, r.dir += 1;
        if (r.frame == 3 && r.dist_ctr == 0 && r.rotation > -90) r.rotation -= 1, r.dir -= 1;
        if (r.y > 350) return false;
    }
    p = {r.x, r.y};
    return true;
}

bool on_field(const point& p) { return p.x > 0 && p.x < 640 && p.y > 0 && p.y < 400; }

// The first frame count at which a ball can meet the target, and the cannon angle for it.
bool intercept(const path& where, int& flight, int& angle)
{
    // The aim takes effect this coming frame and the ball first moves in the frame after it,
    // while the target moves in both.
    for (int k = 1; k <= max_flight; ++k) {
        point t;
        if (!where(k + 1, t)) return false;
        double dx = t.x - pivot_x, dy = pivot_y - t.y;
        double dist = std::sqrt(dx * dx + dy * dy);
        if (dist <= ball_speed * k) {
            if (!on_field(t)) return false;
            double dir = std::atan2(dx, dy) * 180.0 / M_PI; // 0 up, 90 right
            int rot = static_cast<int>(std::lround(dir + 90.0));
            if (rot < 0 || rot > 182) return false;
            flight = k;
            angle = rot;
            return true;
        }
    }
    return false;
}

} // namespace

autoplayer::autoplayer(int difficulty, int games, std::function<void(const event&)> send)
    : difficulty_(difficulty), games_(games), send_(std::move(send))
{
}

void autoplayer::click(int x, int y)
{
    send_({event_kind::mouse_move, x, y});
    send_({event_kind::mouse_down, 1});
    send_({event_kind::mouse_up, 1});
}

void autoplayer::hold_fire(bool on)
{
    if (on == firing_) return;
    firing_ = on;
    send_({on ? event_kind::mouse_down : event_kind::mouse_up, 1});
}

void autoplayer::after_frame(int frame)
{
    frame_ = frame;
    ++phase_frames_;
    const char* loop = presenting_loop ? presenting_loop : "";
    switch (phase_) {
    case phase::logo:
        if (frame == 2) {
            send_({event_kind::key_down, 32});
            send_({event_kind::key_up, 32});
        }
        if (std::strcmp(loop, "world") == 0 && demo_mode == 1) {
            phase_ = phase::menu;
            phase_frames_ = 0;
        }
        break;
    case phase::menu:
        if (static_cast<int>(results_.size()) >= games_) {
            phase_ = phase::done;
            finished_ = true;
            send_({event_kind::terminate});
            break;
        }
        if (phase_frames_ < 30) break; // let the menu settle, as a player would
        if (difficulty != difficulty_) {
            if (phase_frames_ % 10 == 0) click(320, 270); // the difficulty row
            break;
        }
        click(320, 195); // "Start New Game"
        phase_ = phase::playing;
        phase_frames_ = 0;
        game_start_frame_ = frame;
        engaged_.clear();
        break;
    case phase::playing:
        if (std::strcmp(loop, "gameover") == 0) {
            hold_fire(false);
            results_.push_back({static_cast<int>(results_.size()) + 1, difficulty_, days_survived, score, casualties,
                                frame - game_start_frame_});
            phase_ = phase::end_screen;
            phase_frames_ = 0;
            break;
        }
        if (demo_mode == 0 && game_paused == 0) play();
        break;
    case phase::end_screen:
        if (std::strcmp(loop, "gameover") != 0) {
            phase_ = phase::menu;
            phase_frames_ = 0;
        } else if (phase_frames_ == 240) {
            click(320, 240);
        }
        break;
    case phase::done:
        break;
    }
}

void autoplayer::play()
{
    // Forget engagements whose ball should have arrived.
    engaged_.erase(std::remove_if(engaged_.begin(), engaged_.end(),
                                  [&](const std::pair<long, int>& e) { return e.second < frame_; }),
                   engaged_.end());
    // The shot the fort fired this frame went where we aimed last.
    if (fort.shot_tmr == 15 && aimed_id_ != 0) engaged_.push_back({aimed_id_, aimed_arrival_ + 4});

    std::vector<candidate> c;
    nukerocket_list.each([&](const nukerocket_tag& r, long id) {
        c.push_back({id, 0, r.y, [r](int k, point& p) { return rocket_at(r, k, p); }});
    });
    smallbomb_list.each([&](const smallbomb_tag& b, long id) {
        if (!bomb_hits_fort(b)) return;
        c.push_back({id, 1, b.y, [b](int k, point& p) { return bomb_at(b, k, p); }});
    });
    commando_list.each([&](const commando_tag& m, long id) {
        double vy = m.state == 1 ? 1.0 : m.state == 0 ? 0.4 : -1;
        if (vy < 0 || m.y > 395) return; // plunging ones die anyway; landed ones are below the barrel
        float x = m.x, y = m.y;
        c.push_back({id, 2, m.y, [x, y, vy](int k, point& p) {
                         p = {x, y + vy * k};
                         return p.y < 405;
                     }});
    });
    auto carriers = [&](const lgtrooper_tag& t, long id) {
        if (t.scale != 1.0f) return;
        float x = t.x, y = t.y, v = t.xstp;
        c.push_back({id, 3, -std::abs(x - 320.0), [x, y, v](int k, point& p) {
                         p = {x + v * k, y};
                         return true;
                     }});
    };
    lgtrooper_list.each(carriers);
    smtrooper_list.each([&](const smtrooper_tag& t, long id) { carriers(t, id); });
    mustang_list.each([&](const mustang_tag& m, long id) {
        if (m.scale <= 1.0f) return;
        float x = m.x, y = m.y, v = m.xstp;
        c.push_back({id, 3, -std::abs(x - 320.0), [x, y, v](int k, point& p) {
                         p = {x + v * k, y};
                         return true;
                     }});
    });
    std::sort(c.begin(), c.end(), [](const candidate& a, const candidate& b) {
        return a.priority != b.priority ? a.priority < b.priority : a.urgency > b.urgency;
    });

    for (const candidate& t : c) {
        bool taken = std::any_of(engaged_.begin(), engaged_.end(), [&](const auto& e) { return e.first == t.id; });
        // Rockets and bombs on the fort get every ball we have.
        if (taken && t.priority > 1) continue;
        int flight = 0, angle = 0;
        if (!intercept(t.where, flight, angle)) continue;
        // The cannon turns to trunc(x / 3.5): the smallest x that gives this angle.
        int x = std::clamp(static_cast<int>(std::ceil(angle * 3.5)), 1, 639);
        send_({event_kind::mouse_move, x, 240});
        aimed_id_ = t.id;
        aimed_arrival_ = frame_ + flight + 2;
        hold_fire(true);
        return;
    }
    aimed_id_ = 0;
    hold_fire(false);
}
