// Writes every picture the game loads: the four sprite sheets and the icon.
#include <SDL.h>

#include <cstdio>

#include "assets.h"
#include "gfx_sheets.h"

namespace {

bool save_icon(const std::string& path, const Image& img) {
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, img.w(), img.h(), 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    if (!surface) {
        std::fprintf(stderr, "pelune_assets: no surface for the icon: %s\n", SDL_GetError());
        return false;
    }
    SDL_LockSurface(surface);
    for (int y = 0; y < img.h(); ++y) {
        Uint8* row = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < img.w(); ++x) {
            const Rgba c = img.get(x, y);
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
    }
    SDL_UnlockSurface(surface);
    const bool saved = SDL_SaveBMP(surface, path.c_str()) == 0;
    if (!saved) std::fprintf(stderr, "pelune_assets: cannot write %s: %s\n", path.c_str(), SDL_GetError());
    SDL_FreeSurface(surface);
    return saved;
}

}  // namespace

bool write_graphics(const std::string& root) {
    const std::string gfx = root + "/data/gfx/";
    bool ok = save_icon(root + "/ico.bmp", icon_picture());
    ok = save_png(gfx + "joueur.png", runner_sheet()) && ok;
    ok = save_png(gfx + "anim.png", anim_sheet()) && ok;
    ok = save_png(gfx + "menu.png", menu_sheet()) && ok;
    ok = save_png(gfx + "lvl.png", level_sheet()) && ok;
    return ok;
}
