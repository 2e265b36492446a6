// SPDX-License-Identifier: MIT
// Helpers shared by the rules: random draws, key tests, drawing a sprite.
#include <cstdlib>

#include "fonction.h"

int random_draw() {
    // The rules scale draws of 0..32767; glibc's generator is wider, and its
    // range is a multiple of 32768, so the remainder stays uniform.
    static_assert(RAND_MAX == RANDOM_MAX || (RAND_MAX % (RANDOM_MAX + 1)) == RANDOM_MAX);
    return std::rand() % (RANDOM_MAX + 1);
}

bool key_down(const General* general, SDLKey key) {
    return general->event.type == SDL_KEYDOWN && general->event.key.keysym.sym == key;
}

bool key_fresh(const General* general, SDLKey key) {
    return general->key_consumed == 0 && key_down(general, key);
}

SDL_Rect sdl_rect(SheetRect rect) {
    return {static_cast<Sint16>(rect.x), static_cast<Sint16>(rect.y), static_cast<Uint16>(rect.w),
            static_cast<Uint16>(rect.h)};
}

void place_sprite(Sprite* sprite, int x, int y) {
    sprite->x = x;
    sprite->y = y;
    copy_position(sprite);
}

void copy_position(Sprite* sprite) {
    sprite->dest.x = static_cast<Sint16>(sprite->x);
    sprite->dest.y = static_cast<Sint16>(sprite->y);
}

void blit_at_position(SDL_Surface* sheet, Sprite* sprite, SDL_Surface* screen) {
    copy_position(sprite);
    SDL_BlitSurface(sheet, &sprite->src, screen, &sprite->dest);
}
