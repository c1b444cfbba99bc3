// artgen: writes the game's pictures (sprite sheet, sky, ground, logo) and,
// on request, review pictures and the desktop icons.
// Usage: artgen [--out DIR] [--preview DIR] [--icons DIR] [--font FILE]
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "art.h"
#include "compositor.h"
#include "icon.h"
#include "lettering.h"
#include "png_io.h"

#ifndef ARTGEN_DEFAULT_FONT
#define ARTGEN_DEFAULT_FONT "assets/fonts/armalite.ttf"
#endif

namespace {

bool is_dir(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct options {
    std::string out, preview, icons, font = ARTGEN_DEFAULT_FONT;
};

bool parse(int argc, char** argv, options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (i + 1 < argc && (a == "--out" || a == "--preview" || a == "--icons" || a == "--font")) {
            (a == "--out" ? o.out : a == "--preview" ? o.preview : a == "--icons" ? o.icons : o.font) = argv[++i];
        } else {
            std::fprintf(stderr, "artgen: unknown argument '%s'\n", a.c_str());
            return false;
        }
    }
    return !o.out.empty() || !o.preview.empty() || !o.icons.empty();
}

} // namespace

int main(int argc, char** argv)
{
    options opt;
    if (!parse(argc, argv, opt)) {
        std::fprintf(stderr, "usage: artgen [--out DIR] [--preview DIR] [--icons DIR] [--font FILE]\n");
        return 2;
    }
    int failures = 0;
    for (const std::string* dir : {&opt.out, &opt.preview, &opt.icons})
        if (!dir->empty() && !is_dir(*dir)) {
            std::fprintf(stderr, "artgen: %s is not a folder\n", dir->c_str());
            return 1;
        }
    artgen::lettering font;
    std::string error;
    if (!font.load(opt.font, error)) {
        // Without the font the lettered sprites stay blank; the rest is still useful.
        std::fprintf(stderr, "artgen: %s; lettering left blank\n", error.c_str());
        ++failures;
    }
    const artgen::rgb_image sheet = artgen::build_sheet(font);
    const artgen::rgb_image sky = artgen::sky_image();
    const artgen::rgb_image ground = artgen::ground_image();
    auto save = [&](const std::string& dir, const char* name, const artgen::rgb_image& img) {
        if (!artgen::write_png(dir + "/" + name, img, error)) {
            std::fprintf(stderr, "artgen: %s\n", error.c_str());
            ++failures;
        }
    };
    if (!opt.out.empty()) {
        save(opt.out, "rmpar_sf1.png", sheet);
        save(opt.out, "rp_sky.png", sky);
        save(opt.out, "rp_bkgr.png", ground);
        save(opt.out, "tmlogo.png", artgen::logo_image(font));
    }
    if (!opt.preview.empty()) {
        save(opt.preview, "contact_sheet.png", artgen::contact_sheet(sheet, font));
        save(opt.preview, "preview_day.png", artgen::battlefield_preview(sheet, sky, ground, 255));
        save(opt.preview, "preview_night.png", artgen::battlefield_preview(sheet, sky, ground, 0));
    }
    for (int size : artgen::icon_sizes) {
        if (opt.icons.empty()) break;
        const std::string path = opt.icons + "/icon-" + std::to_string(size) + ".png";
        const artgen::rgba_image icon = artgen::icon_image(sheet, ground, size);
        if (!artgen::write_png_rgba(path, icon.w, icon.h, icon.px, error)) {
            std::fprintf(stderr, "artgen: %s\n", error.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
