// A small bot that plays through the same pointer and fire controls a player uses.
// It reads where the actors are, as a player sees them, and never changes the game's state.
#include "harness/autoplay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "actors/actors.h"
#include "services/display.h"
#include "services/input.h"
#include "services/maths.h"
#include "shell/game_state.h"
#include "shell/main_loop.h"

namespace {

using platform::event;
using platform::event_kind;

constexpr double pivot_x = 320.0, pivot_y = 355.0;
constexpr double ball_speed = 2.0;
constexpr int max_flight = 260; // frames a ball can fly before it leaves the field

struct point {
    double x, y;
};

// Where a target will be `k` frames from now: gone, seen but out of the ball's reach (an aircraft on
// its far pass), or there to be hit.
enum class seen { gone, far, hittable };
using path = std::function<seen(int k, point& p)>;

struct candidate {
    long id;
    int priority; // lower goes first
    double urgency;
    path where;
    bool shared = false; // worth more than one ball at once
    // Moves the target makes in a frame before the balls are tested: those drawn behind the balls
    // have moved once more by the time a ball reaches them.
    int ahead = 1;
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

// Frames until a bomb lands between the fort's walls, or -1 when it falls elsewhere.
int bomb_impact(smallbomb_tag b)
{
    for (int i = 0; i < 400 && b.y <= 400; ++i) {
        step_bomb(b);
        if (b.x > 265 && b.x < 375 && b.y > 350) return i + 1;
    }
    return -1;
}

void step_rocket(nukerocket_tag& r)
{
    r.x = static_cast<float>(r.x + 2.0 * sin_deg(r.dir));
    r.y = static_cast<float>(r.y - 4.0 * cos_deg(r.dir));
    if (r.dist_ctr > 0) --r.dist_ctr;
    if (r.frame == 0 && r.dist_ctr == 0 && r.rotation < 90) r.rotation += 1, r.dir += 1;
    if (r.frame == 3 && r.dist_ctr == 0 && r.rotation > -90) r.rotation -= 1, r.dir -= 1;
}

bool rocket_at(nukerocket_tag r, int k, point& p)
{
    for (int i = 0; i < k; ++i) {
        step_rocket(r);
        if (r.y > 350) return false;
    }
    p = {r.x, r.y};
    return true;
}

// Frames until a rocket comes down, wherever it does: any rocket that lands ends the game.
int rocket_impact(nukerocket_tag r)
{
    int i = 0;
    while (i < 1000 && r.y <= 350) step_rocket(r), ++i;
    return i;
}

bool on_field(const point& p)
{
    return p.x > 0 && p.x < 640 && p.y > 0 && p.y < 400;
}

// An aircraft that crosses far first, then turns and comes back near, as carriers and fighters do.
struct flight_plan {
    float x, y, xstp;
    bool near;
    float turn_right_x, turn_left_x; // far pass turns once past one of these
    float near_right_x, near_left_x; // where it re-enters, flying left or right
    float near_y, near_speed;
    float leave_right_x, leave_left_x;
};

seen fly(flight_plan f, int k, point& p)
{
    for (int i = 0; i < k; ++i) {
        f.x += f.xstp;
        if (!f.near && f.xstp > 0 && f.x > f.turn_right_x) {
            f = {f.near_right_x, f.near_y, -f.near_speed, true, 0, 0, 0, 0, 0, 0, f.leave_right_x, f.leave_left_x};
        } else if (!f.near && f.xstp < 0 && f.x < f.turn_left_x) {
            f = {f.near_left_x, f.near_y, f.near_speed, true, 0, 0, 0, 0, 0, 0, f.leave_right_x, f.leave_left_x};
        } else if (f.near && ((f.xstp > 0 && f.x > f.leave_right_x) || (f.xstp < 0 && f.x < f.leave_left_x))) {
            return seen::gone;
        }
    }
    p = {f.x, f.y};
    return f.near ? seen::hittable : seen::far;
}

// A target's course, frame by frame from now, worked out once per decision.
struct course {
    std::vector<seen> state;
    std::vector<point> at;
};

course chart(const path& where, int ahead)
{
    course c;
    for (int k = 0; k <= max_flight; ++k) {
        point p{0, 0};
        seen s = where(k + ahead, p);
        c.state.push_back(s);
        c.at.push_back(p);
        if (s == seen::gone) break;
    }
    return c;
}

// How close a ball fired at cannon angle `rot` comes to the target, and when; the ball flies as the
// game moves it.
double closest(const course& c, int rot, int& when)
{
    float x = 320.0f, y = 355.0f;
    const double dir = rot - 90;
    double best = 1e9;
    when = 0;
    for (size_t k = 1; k < c.state.size(); ++k) {
        x = static_cast<float>(x + 2.0 * sin_deg(dir));
        y = static_cast<float>(y - 2.0 * cos_deg(dir));
        if (x < -5 || x > 645 || y < -5 || c.state[k] == seen::gone) break;
        if (c.state[k] != seen::hittable || !on_field(c.at[k])) continue;
        double d = std::hypot(c.at[k].x - x, c.at[k].y - y);
        if (d < best) {
            best = d;
            when = static_cast<int>(k);
        }
    }
    return best;
}

// The cannon angle whose ball passes closest to the target, if close enough to hit, and when.
bool intercept(const path& where, int ahead, int& flight, int& angle)
{
    course c = chart(where, ahead);
    // First guess: the frame at which the ball's reach passes the target's distance.
    double before = -1;
    int guess = -1;
    for (size_t k = 1; k < c.state.size() && guess < 0; ++k) {
        if (c.state[k] == seen::gone) return false;
        double dx = c.at[k].x - pivot_x, dy = pivot_y - c.at[k].y;
        double gap = ball_speed * static_cast<double>(k) - std::sqrt(dx * dx + dy * dy);
        bool crossed = gap >= 0 && before < 0;
        before = gap;
        if (crossed && c.state[k] == seen::hittable && on_field(c.at[k]))
            guess = static_cast<int>(std::lround(std::atan2(dx, dy) * 180.0 / M_PI + 90.0));
    }
    if (guess < 0) return false;
    double best = 1e9;
    for (int rot = std::max(0, guess - 2); rot <= std::min(182, guess + 2); ++rot) {
        int when = 0;
        double d = closest(c, rot, when);
        if (d < best) {
            best = d;
            angle = rot;
            flight = when;
        }
    }
    return best < 7.0;
}

} // namespace

autoplayer::autoplayer(int on_difficulty, int games, std::function<void(const event&)> send)
    : difficulty_(on_difficulty), games_(games), send_(std::move(send))
{
}

void autoplayer::click(int x, int y)
{
    send_({event_kind::mouse_move, x, y});
    send_({event_kind::mouse_down, mouse_left});
    send_({event_kind::mouse_up, mouse_left});
}

void autoplayer::hold_fire(bool on)
{
    if (on == firing_) return;
    firing_ = on;
    send_({on ? event_kind::mouse_down : event_kind::mouse_up, mouse_left});
}

void autoplayer::after_frame(int frame)
{
    frame_ = frame;
    ++phase_frames_;
    const char* loop = presenting_loop ? presenting_loop : "";
    switch (phase_) {
    case phase::logo:
        if (std::strcmp(loop, "logo") == 0 && phase_frames_ % 30 == 1) { // a player skips the logo
            send_({event_kind::key_down, key_space});
            send_({event_kind::key_up, key_space});
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
        shots_ = 0;
        break;
    case phase::playing:
        if (std::strcmp(loop, "gameover") == 0) {
            hold_fire(false);
            results_.push_back({static_cast<int>(results_.size()) + 1, difficulty_, days_survived, score, casualties,
                                frame - game_start_frame_, shots_, cause_});
            phase_ = phase::end_screen;
            phase_frames_ = 0;
            break;
        }
        if (demo_mode == 0 && game_paused == 0) {
            cause_ = men <= 1 ? "paratroopers" : "a bomb";
            nukerocket_list.each([&](const nukerocket_tag& r, long) {
                if (r.y > 330) cause_ = "a rocket";
            });
            play();
        }
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
    if (fort.shot_tmr == 15) ++shots_;
    if (fort.shot_tmr == 15 && aimed_id_ != 0) engaged_.push_back({aimed_id_, aimed_arrival_ + 4});

    std::vector<candidate> c;
    auto simple = [](auto fn) { return [fn](int k, point& p) { return fn(k, p) ? seen::hittable : seen::gone; }; };
    // Rockets and bombs that would end the game, the one due soonest first: a rocket still flying
    // level waits while a bomb falls on the fort.
    nukerocket_list.each([&](const nukerocket_tag& r, long id) {
        c.push_back({id, 0, -static_cast<double>(rocket_impact(r)),
                     simple([r](int k, point& p) { return rocket_at(r, k, p); }), true, 0});
    });
    smallbomb_list.each([&](const smallbomb_tag& b, long id) {
        int due = bomb_impact(b);
        if (due < 0) return;
        c.push_back(
            {id, 0, -static_cast<double>(due), simple([b](int k, point& p) { return bomb_at(b, k, p); }), false, 0});
    });
    // Every near fighter crosses the stretch from which its bombs fall on the fort: stop it first.
    mustang_list.each([&](const mustang_tag& m, long id) {
        flight_plan f{m.x, m.y, m.xstp, m.scale > 1.0f, 676, -36, 836, -36, 260, 6, 676, -36};
        c.push_back({id, 2, m.scale > 1.0f ? 1000.0 : 0.0, [f](int k, point& p) { return fly(f, k, p); }, false, 0});
    });
    commando_list.each([&](const commando_tag& m, long id) {
        if ((m.state != 0 && m.state != 1) || m.y > 395)
            return; // plunging ones die anyway; landed ones are below the barrel
        // Falling a pixel a frame until the canopy opens, then drifting at 0.4.
        int opening = m.state == 1 ? std::max(0, (3 - m.fr_ctr) * 21 - m.fr_tmr) : 0;
        float x = m.x, y = m.y;
        c.push_back({id, m.y > 250 ? 3 : 5, m.y, simple([x, y, opening](int k, point& p) {
                         p = {x, y + std::min(k, opening) + 0.4 * std::max(0, k - opening)};
                         return p.y < 405;
                     })});
    });
    // Carriers on or about to start their near pass: each one stopped saves several paratroopers.
    lgtrooper_list.each([&](const lgtrooper_tag& t, long id) {
        flight_plan f{t.x, t.y, t.xstp, t.scale == 1.0f, 1e9f, -60, 0, -53, 40, 3, 693, -1e9f};
        c.push_back({id, 4, -t.x, [f](int k, point& p) { return fly(f, k, p); }});
    });
    smtrooper_list.each([&](const smtrooper_tag& t, long id) {
        flight_plan f{t.x, t.y, t.xstp, t.scale == 1.0f, 700, -1e9f, 690, 0, 100, 4, 1e9f, -60};
        c.push_back({id, 4, t.x, [f](int k, point& p) { return fly(f, k, p); }});
    });
    std::sort(c.begin(), c.end(), [](const candidate& a, const candidate& b) {
        return a.priority != b.priority ? a.priority < b.priority : a.urgency > b.urgency;
    });

    for (const candidate& t : c) {
        bool taken = std::any_of(engaged_.begin(), engaged_.end(), [&](const auto& e) { return e.first == t.id; });
        // Rockets and bombs on the fort get every ball we have.
        if (taken && !t.shared) continue;
        int flight = 0, angle = 0;
        if (!intercept(t.where, t.ahead, flight, angle)) continue;
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
