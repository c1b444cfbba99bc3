// The five files built into the program, placed by the assembler and registered by name.
#include <cstdint>

#include "assets/sprite_set.h"
#include "services/files.h"

#ifndef RAMPARION_ASSET_DIR
#error "the build must say where the embedded files are"
#endif

// Each file between a start and an end label in read-only data.
#define EMBED_FILE(sym, file)                                                                                          \
    asm(".section .rodata\n.balign 16\n.global " #sym "_start\n" #sym "_start:\n.incbin \"" RAMPARION_ASSET_DIR        \
        "/" file "\"\n.global " #sym "_end\n" #sym "_end:\n.byte 0\n.previous\n");                                     \
    extern "C" const uint8_t sym##_start[];                                                                            \
    extern "C" const uint8_t sym##_end[];

EMBED_FILE(asset_font, "fonts/armalite.ttf")
EMBED_FILE(asset_logo, "graphx/tmlogo.png")
EMBED_FILE(asset_ground, "graphx/rp_bkgr.png")
EMBED_FILE(asset_sky, "graphx/rp_sky.png")
EMBED_FILE(asset_sheet, "graphx/rmpar_sf1.png")

namespace {

struct embedded_file {
    const char* name;
    const uint8_t* start;
    const uint8_t* end;
};

const embedded_file embedded_files[] = {
    {"fonts/armalite.ttf", asset_font_start, asset_font_end},
    {"graphx/tmlogo.png", asset_logo_start, asset_logo_end},
    {"graphx/rp_bkgr.png", asset_ground_start, asset_ground_end},
    {"graphx/rp_sky.png", asset_sky_start, asset_sky_end},
    {"graphx/rmpar_sf1.png", asset_sheet_start, asset_sheet_end},
};

} // namespace

void register_embedded_assets()
{
    for (const auto& f : embedded_files) register_asset(f.name, f.start, static_cast<int>(f.end - f.start));
}
