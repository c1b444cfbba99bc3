// One JSON line per presented frame with every actor of every list and the fort, field by field.
#include "harness/actor_dump.h"

#include <cstdio>

#include "actors/actors.h"
#include "actors/world_lists.h"
#include "services/display.h"
#include "shell/main_loop.h"

namespace {

// Writes "name": value pairs; floats with nine digits so they read back to the same float.
class fields {
public:
    explicit fields(std::string& out) : out_(out) {}
    fields& operator()(const char* name, int v)
    {
        key(name);
        out_ += std::to_string(v);
        return *this;
    }
    fields& operator()(const char* name, long v)
    {
        key(name);
        out_ += std::to_string(v);
        return *this;
    }
    fields& operator()(const char* name, float v)
    {
        key(name);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
        out_ += buf;
        return *this;
    }

private:
    void key(const char* name)
    {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += name;
        out_ += "\":";
    }
    std::string& out_;
    bool first_ = true;
};

void dump(fields& f, const star_tag& a)
{
    f("x", a.x)("y", a.y)("hue", a.hue);
}
void dump(fields& f, const canball_tag& a)
{
    f("x", a.x)("y", a.y)("dir", a.dir)("scale", a.scale);
}
template <typename C> void dump_cloud(fields& f, const C& a)
{
    f("x", a.x)("y", a.y)("back", a.back)("xstp", a.xstp)("xscale", a.xscale)("yscale", a.yscale);
}
void dump(fields& f, const backcloud_tag& a)
{
    dump_cloud(f, a);
}
void dump(fields& f, const frontcloud_tag& a)
{
    dump_cloud(f, a);
}
void dump(fields& f, const lgtrooper_tag& a)
{
    f("x", a.x)("y", a.y)("scale", a.scale)("xstp", a.xstp)("frame", a.frame)("fr_ctr", a.fr_ctr)("jump_tmr",
                                                                                                  a.jump_tmr);
}
void dump(fields& f, const commando_tag& a)
{
    f("x", a.x)("y", a.y)("scale", a.scale)("rotation", a.rotation)("alpha", a.alpha)("state", a.state)(
        "frame", a.frame)("fr_ctr", a.fr_ctr)("fr_tmr", a.fr_tmr)("rotstp", a.rotstp);
}
void dump(fields& f, const mustang_tag& a)
{
    f("x", a.x)("y", a.y)("scale", a.scale)("xstp", a.xstp)("frame", a.frame)("fr_ctr", a.fr_ctr)("bomb_tmr",
                                                                                                  a.bomb_tmr);
}
void dump(fields& f, const nukerocket_tag& a)
{
    f("x", a.x)("y", a.y)("rotation", a.rotation)("dir", a.dir)("frame", a.frame)("fr_ctr", a.fr_ctr)("dist_ctr",
                                                                                                      a.dist_ctr);
}
void dump(fields& f, const smallbomb_tag& a)
{
    f("x", a.x)("y", a.y)("rotation", a.rotation)("dir", a.dir)("frame", a.frame);
}
void dump(fields& f, const explosion_tag& a)
{
    f("x", a.x)("y", a.y)("scale", a.scale)("rotation", a.rotation)("scstep", a.scstep)("alpha", a.alpha);
}
void dump(fields& f, const bodypart_tag& a)
{
    f("x", a.x)("y", a.y)("xspd", a.xspd)("yspd", a.yspd)("speed", a.speed)("scale", a.scale)("rotation", a.rotation)(
        "alpha", a.alpha)("rotstp", a.rotstp)("frame", a.frame)("grhit", a.grhit);
}
void dump(fields& f, const planepart_tag& a)
{
    f("x", a.x)("y", a.y)("xspd", a.xspd)("yspd", a.yspd)("rotation", a.rotation)("scale", a.scale)("rotstp", a.rotstp)(
        "bomber", a.bomber)("frame", a.frame)("grhit", a.grhit);
}
void dump(fields& f, const smokering_tag& a)
{
    f("x", a.x)("y", a.y)("alpha", a.alpha)("scale", a.scale)("rotation", a.rotation)("speed", a.speed);
}
void dump(fields& f, const bombmark_tag& a)
{
    f("x", a.x)("y", a.y)("alpha", a.alpha);
}

template <typename T> void dump_list(std::string& out, const world_list_row<T>& row, bool& first_list)
{
    if (!first_list) out += ',';
    first_list = false;
    out += '"';
    out += row.name;
    out += "\":[";
    bool first = true;
    row.list->each([&](const T& a, long id) {
        if (!first) out += ',';
        first = false;
        out += '{';
        fields f(out);
        f("id", id);
        dump(f, a);
        out += '}';
    });
    out += ']';
}

} // namespace

std::string actor_dump_line(int frame)
{
    std::string out;
    out.reserve(16384);
    out += "{\"frame\":" + std::to_string(frame) + ",\"loop\":\"" + presenting_loop + "\",\"lists\":{";
    bool first = true;
    for_each_world_list([&](const auto& row) { dump_list(out, row, first); });
    out += "},\"fort\":{";
    fields f(out);
    f("can_rot", fort.can_rot)("shot_tmr", fort.shot_tmr)("can_flash", fort.can_flash)("crot_stp", fort.crot_stp);
    out += "}}";
    return out;
}
