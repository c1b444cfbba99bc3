// The sixteen battlefield actor types, their lists and the one fort.
#pragma once

#include <memory>

#include "actors/actor_list.h"

// Fields are declared in the order the battle code knows them; every constructor zeroes them.
// A star of the night sky, shown while the daylight is low.
struct star_tag {
    int x = 0, y = 0, hue = 0;
    void update();
    static void Create();
};

// The player's fort and its cannon: the one actor that is not in a list.
struct fort_tag {
    int can_rot = 0, shot_tmr = 0, can_flash = 0, crot_stp = 0;
    void update();
    void get_inputs();
    void fire_cannon();
};

// A cannon ball, shrinking as it flies into the picture.
struct canball_tag {
    float x = 0, y = 0, dir = 0, scale = 0;
    void update();
    static void Create(int dir);
};

// A cloud of the far layer, drawn behind the ground.
struct backcloud_tag {
    float x = 0, y = 0;
    int back = 0;
    float xstp = 0, xscale = 0, yscale = 0;
    void update();
    static void Create();
};

// A cloud of the near layer, drawn over the whole battle.
struct frontcloud_tag {
    float x = 0, y = 0;
    int back = 0;
    float xstp = 0, xscale = 0, yscale = 0;
    void update();
    static void Create();
};

// The large troop carrier: a far pass, then a near pass dropping paratroopers.
struct lgtrooper_tag {
    float x = 0, y = 0, scale = 0, xstp = 0;
    int frame = 0, fr_ctr = 0, jump_tmr = 0;
    void update();
    static void Create();
};

// The small troop carrier: the same flight from the other side, from the first day on.
struct smtrooper_tag : lgtrooper_tag {
    void update();
    static void Create();
};

// A paratrooper dropped by a carrier; `state` takes the commando_state values.
// What a commando is doing; kept in the int `state`.
enum commando_state {
    commando_drifting = 0, // under the open canopy, swinging
    commando_opening = 1,  // falling while the canopy opens
    commando_plunging = 2, // canopy torn by a ball: falling fast and spinning
    commando_splatted = 3, // on the ground after the plunge, fading
    commando_walking = 4,  // landed, walking into the fort
};

struct commando_tag {
    float x = 0, y = 0, scale = 0, rotation = 0, alpha = 0;
    int state = 0, frame = 0, fr_ctr = 0, fr_tmr = 0;
    float rotstp = 0;
    void update();
    static void Create(float x, float y, float rotation);
};

// The fighter: a far pass, then a low near pass dropping small bombs.
struct mustang_tag {
    float x = 0, y = 0, scale = 0, xstp = 0;
    int frame = 0, fr_ctr = 0, bomb_tmr = 0;
    void update(int pass);
    static void Create();
};

// A nuke rocket: level flight, engine cut, dive; it ends the game where it lands.
struct nukerocket_tag {
    float x = 0, y = 0, rotation = 0, dir = 0;
    int frame = 0, fr_ctr = 0, dist_ctr = 0;
    void update();
    static void Create();
};

// A fighter's small bomb, curling down into a dive.
struct smallbomb_tag {
    float x = 0, y = 0, rotation = 0, dir = 0;
    int frame = 0;
    void update();
    static void Create(float x, float y, int side);
};

// A fireball that grows and fades.
struct explosion_tag {
    float x = 0, y = 0, scale = 0, rotation = 0, scstep = 0, alpha = 0;
    void update();
    static void Create(float x, float y, float scale, float scstep);
};

// A piece of a commando blown apart, or a drop of his blood.
struct bodypart_tag {
    float x = 0, y = 0, xspd = 0, yspd = 0, speed = 0, scale = 0, rotation = 0, alpha = 0, rotstp = 0;
    int frame = 0, grhit = 0;
    void update();
    static void Create(float x, float y, float scale, float rotstp, int frame);
};

// A tumbling piece of an aircraft shot down.
struct planepart_tag {
    float x = 0, y = 0, xspd = 0, yspd = 0, rotation = 0, scale = 0, rotstp = 0;
    int bomber = 0, frame = 0, grhit = 0;
    void update();
    static void Create(float x, float y, float scale, float xdir, int first_frame, int bomber);
};

// The smoke ring a shot puffs out at the muzzle.
struct smokering_tag {
    float x = 0, y = 0, alpha = 0, scale = 0, rotation = 0, speed = 0;
    void update();
    static void Create(float x, float y, float rotation);
};

// The scorch a small bomb leaves on the ground, fading slowly.
struct bombmark_tag {
    float x = 0, y = 0, alpha = 0;
    void update();
    static void Create(float x, float y);
};

extern fort_tag fort;
extern actor_list<star_tag> star_list;
extern actor_list<canball_tag> canball_list;
extern actor_list<backcloud_tag> backcloud_list;
extern actor_list<frontcloud_tag> frontcloud_list;
extern actor_list<lgtrooper_tag> lgtrooper_list;
extern actor_list<smtrooper_tag> smtrooper_list;
extern actor_list<commando_tag> commando_list;
extern actor_list<mustang_tag> mustang_list;
extern actor_list<nukerocket_tag> nukerocket_list;
extern actor_list<smallbomb_tag> smallbomb_list;
extern actor_list<explosion_tag> explosion_list;
extern actor_list<bodypart_tag> bodypart_list;
extern actor_list<planepart_tag> planepart_list;
extern actor_list<smokering_tag> smokering_list;
extern actor_list<bombmark_tag> bombmark_list;

// Walks the fighters with a pass number: 1 the far pass, 0 the near one.
void update_fighters(int pass);
