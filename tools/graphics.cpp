// SPDX-License-Identifier: MIT
// Writes every picture the game loads: the four sprite sheets and the icon.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "assets.h"
#include "gfx_sheets.h"

namespace {

// A 32-bit BMP with an alpha channel, so the window icon keeps its transparent
// corners when SDL_LoadBMP reads it.
bool save_icon(const std::string& path, const Image& img) {
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, img.w(), img.h(), 32, 0x00FF0000,
                                                0x0000FF00, 0x000000FF, 0xFF000000);
    if (!surface) {
        std::fprintf(stderr, "pelune_assets: no surface for the icon: %s\n", SDL_GetError());
        return false;
    }
    SDL_LockSurface(surface);
    for (int y = 0; y < img.h(); ++y) {
        Uint32* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < img.w(); ++x) {
            const Rgba c = img.get(x, y);
            row[x] = c.a ? Uint32{c.a} << 24 | Uint32{c.r} << 16 | Uint32{c.g} << 8 | c.b : 0;
        }
    }
    SDL_UnlockSurface(surface);
    const bool saved = SDL_SaveBMP(surface, path.c_str()) == 0;
    if (!saved)
        std::fprintf(stderr, "pelune_assets: cannot write %s: %s\n", path.c_str(), SDL_GetError());
    SDL_FreeSurface(surface);
    return saved;
}

}  // namespace

bool write_graphics(const std::string& root) {
    const std::string gfx = root + "/data/gfx/";
    bool ok = save_icon(root + "/ico.bmp", icon_picture(32));
    for (int size : ICON_SIZES)
        ok =
            save_png(root + "/icons/pelune_" + std::to_string(size) + ".png", icon_picture(size)) &&
            ok;
    ok = save_png(gfx + "joueur.png", runner_sheet()) && ok;
    ok = save_png(gfx + "anim.png", anim_sheet()) && ok;
    ok = save_png(gfx + "menu.png", menu_sheet()) && ok;
    ok = save_png(gfx + "lvl.png", level_sheet()) && ok;
    return ok;
}
