// The two peers the renderer is measured against: pixman and SDL2's software renderer.
#pragma once

#include <memory>
#include <string>

#include "scene.h"

namespace bench {

// A renderer under test: prepares its own copies of the pictures once, then draws whole frames.
class peer {
public:
    virtual ~peer() = default;
    virtual const char* name() const = 0;
    // What it lacks and how the bench stands in for it.
    virtual std::string emulation() const = 0;
    virtual void draw(const scene& s) = 0;
    // The finished frame, 640 x 480, 0x??RRGGBB, tightly packed.
    virtual const uint32_t* pixels() const = 0;
};

// Null (with a word on stderr) when the peer cannot be set up.
std::unique_ptr<peer> make_pixman_peer(const scene_set& set);
std::unique_ptr<peer> make_sdl_peer(const scene_set& set);

// Straight texels as a peer takes them: tinted, thresholded for the mask test, made opaque for
// solid drawing, optionally premultiplied.
std::vector<uint32_t> peer_texels(const picture& pic, const paint& p, bool premultiply);

} // namespace bench
