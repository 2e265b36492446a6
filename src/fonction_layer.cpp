// SPDX-License-Identifier: MIT
// The still part of a scene drawn once: opaque backgrounds copied row by row
// from a view of their sheet without alpha, and the scenery layer that keeps a
// background with what is blended on it while the same blits are asked for.
#include <cstring>

#include "fonction.h"

// Where each sheet keeps its full-screen backgrounds.
static constexpr SheetRect MENU_BACKGROUNDS[] = {
    MENU_PAGE, {MENU_BG_X, 0, SCREEN_W, MENU_BG_H * MENU_BG_SLOTS}};
static constexpr SheetRect LEVEL_BACKGROUNDS[] = {{0, 0, SCREEN_W, BAND_H * BAND_COUNT}};

static bool same_rgb(const SDL_Surface* a, const SDL_Surface* b) {
    const SDL_PixelFormat* fa = a->format;
    const SDL_PixelFormat* fb = b->format;
    return fa->BytesPerPixel == 4 && fb->BytesPerPixel == 4 && fa->Rmask == fb->Rmask &&
           fa->Gmask == fb->Gmask && fa->Bmask == fb->Bmask;
}

// The sheet's pixels seen as an opaque picture, when every pixel of every area
// is opaque; null otherwise (those backgrounds are then blended as before).
static SDL_Surface* opaque_view(SDL_Surface* sheet, const SheetRect* areas, int count) {
    if (sheet == nullptr || sheet->format->BytesPerPixel != 4 || sheet->format->Amask == 0 ||
        SDL_MUSTLOCK(sheet)) {
        return nullptr;
    }
    const Uint32 alpha = sheet->format->Amask;
    for (int i = 0; i < count; ++i) {
        const SheetRect& area = areas[i];
        if (area.x + area.w > sheet->w || area.y + area.h > sheet->h) return nullptr;
        for (int y = area.y; y < area.y + area.h; ++y) {
            const Uint32* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(sheet->pixels) +
                                                                static_cast<size_t>(y) * sheet->pitch);
            for (int x = area.x; x < area.x + area.w; ++x) {
                if ((row[x] & alpha) != alpha) return nullptr;
            }
        }
    }
    const SDL_PixelFormat* f = sheet->format;
    return SDL_CreateRGBSurfaceFrom(sheet->pixels, sheet->w, sheet->h, 32, sheet->pitch, f->Rmask,
                                    f->Gmask, f->Bmask, 0);
}

void Opaque_Views(Menu* menu, General* general) {
    if (menu->opaque_sheet == nullptr) {
        menu->opaque_sheet = opaque_view(menu->sheet, MENU_BACKGROUNDS, 2);
    }
    if (general->level_opaque == nullptr) {
        general->level_opaque = opaque_view(general->level_sheet, LEVEL_BACKGROUNDS, 1);
    }
}

void Opaque_Views_Free(Menu* menu, General* general) {
    SDL_FreeSurface(menu->opaque_sheet);  // views: the pixels stay with the sheets
    SDL_FreeSurface(general->level_opaque);
    SDL_FreeSurface(general->layer.surface);
    menu->opaque_sheet = nullptr;
    general->level_opaque = nullptr;
    general->layer.surface = nullptr;
}

// A picture wholly inside both surfaces, copied row by row with memcpy: SDL's
// own copy streams past the cache, and the blends that follow then read the
// screen back from memory. False, with nothing drawn, when it cannot be done so.
static bool copy_rows(SDL_Surface* from, const SDL_Rect* src, SDL_Surface* to, SDL_Rect* dest) {
    const SDL_Rect& clip = to->clip_rect;
    if (!same_rgb(from, to) || SDL_MUSTLOCK(from) || SDL_MUSTLOCK(to) || src->x < 0 || src->y < 0 ||
        src->x + src->w > from->w || src->y + src->h > from->h || dest->x < clip.x ||
        dest->y < clip.y || dest->x + src->w > clip.x + clip.w || dest->y + src->h > clip.y + clip.h) {
        return false;
    }
    const size_t bytes = 4 * static_cast<size_t>(src->w);
    for (int y = 0; y < src->h; ++y) {
        std::memcpy(static_cast<Uint8*>(to->pixels) + static_cast<size_t>(dest->y + y) * to->pitch +
                        4 * dest->x,
                    static_cast<const Uint8*>(from->pixels) +
                        static_cast<size_t>(src->y + y) * from->pitch + 4 * src->x,
                    bytes);
    }
    dest->w = src->w;  // as the blit leaves it
    dest->h = src->h;
    return true;
}

void blit_opaque(SDL_Surface* sheet, SDL_Surface* opaque, SDL_Rect* src, SDL_Surface* screen,
                 SDL_Rect* dest) {
    if (opaque != nullptr && copy_rows(opaque, src, screen, dest)) return;
    SDL_BlitSurface(sheet, src, screen, dest);
}

// A layer surface over the record's own pixels, in the screen's format. Made
// again when the record was copied (its pixels moved) or the screen changed.
static bool layer_ready(Layer* layer, SDL_Surface* screen) {
    SDL_Surface* surface = layer->surface;
    if (surface != nullptr && surface->pixels == layer->pixels && same_rgb(surface, screen)) {
        return true;
    }
    if (surface != nullptr && surface->pixels == layer->pixels) SDL_FreeSurface(surface);
    const SDL_PixelFormat* f = screen->format;
    layer->surface = SDL_CreateRGBSurfaceFrom(layer->pixels, SCREEN_W, SCREEN_H, 32, 4 * SCREEN_W,
                                              f->Rmask, f->Gmask, f->Bmask, 0);
    layer->count = 0;
    return layer->surface != nullptr && same_rgb(layer->surface, screen);
}

// The background covers the whole screen from an opaque view: only then does
// the layer owe nothing to what the screen held before.
static bool covers(SDL_Surface* opaque, const SDL_Rect* src, SDL_Surface* screen,
                   const SDL_Rect* dest) {
    const SDL_Rect& clip = screen->clip_rect;
    return opaque != nullptr && screen->w == SCREEN_W && screen->h == SCREEN_H && clip.x == 0 &&
           clip.y == 0 && clip.w == SCREEN_W && clip.h == SCREEN_H && dest->x == 0 &&
           dest->y == 0 && src->w == SCREEN_W && src->h == SCREEN_H && src->x >= 0 &&
           src->y >= 0 && src->x + SCREEN_W <= opaque->w && src->y + SCREEN_H <= opaque->h &&
           same_rgb(opaque, screen);
}

void Layer_Begin(General* general, SDL_Surface* sheet, SDL_Surface* opaque, SDL_Rect* src,
                 SDL_Surface* screen, SDL_Rect* dest) {
    Layer* layer = &general->layer;
    layer->open = 0;
    if (!covers(opaque, src, screen, dest) || !layer_ready(layer, screen)) {
        blit_opaque(sheet, opaque, src, screen, dest);
        return;
    }
    layer->open = 1;
    layer->asked = 0;
    Layer_Blit(general, opaque, src, screen, dest);
}

void Layer_Blit(General* general, SDL_Surface* sheet, SDL_Rect* src, SDL_Surface* screen,
                SDL_Rect* dest) {
    Layer* layer = &general->layer;
    if (layer->open == 1 && layer->asked == LAYER_BLITS) Layer_End(general, screen);
    if (layer->open == 0) {
        SDL_BlitSurface(sheet, src, screen, dest);
        return;
    }
    layer->next[layer->asked] = {sheet, *src, *dest, *dest};
    layer->callers[layer->asked] = dest;
    layer->asked += 1;
}

static bool same_rect(const SDL_Rect& a, const SDL_Rect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

void Layer_End(General* general, SDL_Surface* screen) {
    Layer* layer = &general->layer;
    if (layer->open == 0) return;
    layer->open = 0;
    bool same = layer->asked == layer->count;
    for (int i = 0; same && i < layer->asked; ++i) {
        const LayerBlit& a = layer->kept[i];
        const LayerBlit& b = layer->next[i];
        same = a.sheet == b.sheet && same_rect(a.src, b.src) && same_rect(a.dest, b.dest);
    }
    if (!same) {
        for (int i = 0; i < layer->asked; ++i) {
            LayerBlit* blit = &layer->next[i];
            SDL_Rect src = blit->src;
            if (i > 0 || !copy_rows(blit->sheet, &src, layer->surface, &blit->drawn)) {
                SDL_BlitSurface(blit->sheet, &src, layer->surface, &blit->drawn);
            }
        }
        std::memcpy(layer->kept, layer->next, sizeof layer->kept);
        layer->count = layer->asked;
    }
    SDL_Rect whole = {0, 0, SCREEN_W, SCREEN_H};
    SDL_Rect at = {0, 0, 0, 0};
    if (!copy_rows(layer->surface, &whole, screen, &at)) SDL_BlitSurface(layer->surface, &whole, screen, &at);
    for (int i = 0; i < layer->count; ++i) *layer->callers[i] = layer->kept[i].drawn;
}
