// The sixteen battlefield actor types, their lists and the one fort.
#pragma once

#include <memory>

#include "actors/actor_list.h"

// Fields are declared in the order the battle code knows them; every constructor zeroes them.
struct star_tag {
    int x = 0, y = 0, hue = 0;
    void update();
    static void Create();
};

struct fort_tag {
    int can_rot = 0, shot_tmr = 0, can_flash = 0, crot_stp = 0;
    void update();
    void get_inputs();
    void fire_cannon();
};

struct canball_tag {
    float x = 0, y = 0, dir = 0, scale = 0;
    void update();
    static void Create(int dir);
};

struct backcloud_tag {
    float x = 0, y = 0;
    int back = 0;
    float xstp = 0, xscale = 0, yscale = 0;
    void update();
    static void Create();
};

struct frontcloud_tag {
    float x = 0, y = 0;
    int back = 0;
    float xstp = 0, xscale = 0, yscale = 0;
    void update();
    static void Create();
};

struct lgtrooper_tag {
    float x = 0, y = 0, scale = 0, xstp = 0;
    int frame = 0, fr_ctr = 0, jump_tmr = 0;
    void update();
    static void Create();
};

struct smtrooper_tag : lgtrooper_tag {
    void update();
    static void Create();
};

struct commando_tag {
    float x = 0, y = 0, scale = 0, rotation = 0, alpha = 0;
    int state = 0, frame = 0, fr_ctr = 0, fr_tmr = 0;
    float rotstp = 0;
    void update();
    static void Create(float x, float y, float rotation);
};

struct mustang_tag {
    float x = 0, y = 0, scale = 0, xstp = 0;
    int frame = 0, fr_ctr = 0, bomb_tmr = 0;
    void update(int pass);
    static void Create();
};

struct nukerocket_tag {
    float x = 0, y = 0, rotation = 0, dir = 0;
    int frame = 0, fr_ctr = 0, dist_ctr = 0;
    void update();
    static void Create();
};

struct smallbomb_tag {
    float x = 0, y = 0, rotation = 0, dir = 0;
    int frame = 0;
    void update();
    static void Create(float x, float y, int side);
};

struct explosion_tag {
    float x = 0, y = 0, scale = 0, rotation = 0, scstep = 0, alpha = 0;
    void update();
    static void Create(float x, float y, float scale, float scstep);
};

struct bodypart_tag {
    float x = 0, y = 0, xspd = 0, yspd = 0, speed = 0, scale = 0, rotation = 0, alpha = 0, rotstp = 0;
    int frame = 0, grhit = 0;
    void update();
    static void Create(float x, float y, float scale, float rotstp, int frame);
};

struct planepart_tag {
    float x = 0, y = 0, xspd = 0, yspd = 0, rotation = 0, scale = 0, rotstp = 0;
    int bomber = 0, frame = 0, grhit = 0;
    void update();
    static void Create(float x, float y, float scale, float xdir, int first_frame, int bomber);
};

struct smokering_tag {
    float x = 0, y = 0, alpha = 0, scale = 0, rotation = 0, speed = 0;
    void update();
    static void Create(float x, float y, float rotation);
};

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
