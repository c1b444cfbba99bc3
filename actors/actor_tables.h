// The numbers the battle fixes for each kind of actor, in one place to review.
#pragma once

struct image;
struct sound;

// The two troop carriers differ only in these settings.
struct carrier_setting {
    image* const* img;
    float start_x, start_y, start_xstp;
    int start_frame;
    float far_scale;
    int turn_when_right; // 1: turns once x > turn_x; 0: once x < turn_x
    float turn_x;
    float near_x, near_y, near_xstp;
    int near_frame;
    sound* const* turn_snd;
    int drops_flying_right; // drops only while xstp has this sign
    float drop_tilt;        // third argument to the commando's Create
    int leaves_right;       // 1: removed once x > leave_x; 0: once x < leave_x
    float leave_x;
    int tinted; // 0: drawn in whatever colour the drawing before left
};

// Two cloud layers, the same code with these settings.
// The random parts are worked out in double and only the result is stored as float.
struct cloud_setting {
    double y_range;                 // y = 25 + rnd(0, y_range)
    double xstp_base, xstp_range;   // xstp = base + rnd(0, range)
    double scale_base, scale_range; // each axis drawn separately
    float alpha;
    float wrap_x, reenter_x;
};

// What a cannon ball does to each kind of target, in the order it tests them.
struct hit_setting {
    image* const* img;
    sound* const* snd;
    int flash;                     // 1: white screen flash before the sound
    float blast_scale, blast_step; // the explosion's start scale and growth
    int debris;                    // 0 none, 1 pieces pushed by debris_xdir, 2 pushed the aircraft's own way
    float debris_xdir;
    int debris_frame;
    int points;
};

constexpr int carrier_large = 0, carrier_small = 1;
constexpr int hit_lgtrooper = 0, hit_smtrooper = 1, hit_nukerocket = 2, hit_mustang = 3, hit_smallbomb = 4;
constexpr int cloud_back = 0, cloud_front = 1;

extern const carrier_setting carrier_settings[2];
extern const cloud_setting cloud_settings[2];
extern const hit_setting hit_settings[5];
