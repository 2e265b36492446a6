// SPDX-License-Identifier: MIT
// The sentinels: set-up from the pole, the idle / warning / watching clock, the
// catch test and the drawing.
#include "fonction.h"

// The clock, in race frames after the base b: warning from b+5 (state 1 and 2
// alternating every 5 frames), watching from b+90, idle from b+175, and the clock
// starts over at b+250, from -20 which the next frame turns into 0.
static constexpr int WARN_FROM = 5;
static constexpr int WARN_WINDOW = 5;
static constexpr int WATCH_FROM = 90;
static constexpr int IDLE_FROM = 175;
static constexpr int CYCLE_END = 250;
static constexpr int WRAP_TIMER = -20;
static constexpr int WARN_FIRST = 1;
static constexpr int WARN_SECOND = 2;

static constexpr int MOVING = 1;  // the flag value a watching sentinel catches

static bool in_range(int x, int from, int to) { return from <= x && x <= to; }

void Senti_Activation_Init(Niveau* niveau) {
    for (Sentinelle& senti : niveau->senti) senti.state = SENTINEL_IDLE;
}

void Init_baton(Sentinelle* senti, int x, int y) {
    place_sprite(&senti->baton, x, y);
    senti->baton.src = sdl_rect(LVL_POLE);
}

void Init_boule(Sentinelle* senti) {
    place_sprite(&senti->boule, senti->baton.dest.x + HEAD_DX, senti->baton.dest.y + HEAD_DY);
    senti->boule.src = sdl_rect(LVL_HEAD[SENTINEL_IDLE]);
}

void Init_vision(Sentinelle* senti, int sx, int sy) {
    place_sprite(&senti->vision, senti->baton.dest.x + CONE_DX, senti->baton.dest.y + CONE_DY);
    senti->vision.src = sdl_rect({sx, sy, CONE_SIZE, CONE_SIZE});
    senti->timer = 0;
}

void vision_sys(int base, Sentinelle* senti) {
    if (senti->timer >= 0) {
        senti->timer += 1;
    } else {
        senti->timer = 0;  // just wrapped: this frame restarts the clock without counting
    }
    const int t = senti->timer - base;
    if (t >= IDLE_FROM) {
        senti->state = SENTINEL_IDLE;
    } else if (t >= WATCH_FROM) {
        senti->state = SENTINEL_WATCHING;
    } else if (t >= WARN_FROM) {
        const bool first = ((t - WARN_FROM) / WARN_WINDOW) % 2 == 0;
        senti->state = first ? WARN_FIRST : WARN_SECOND;
    }
    if (t >= CYCLE_END) senti->timer = WRAP_TIMER;
}

void check_if_see(Sentinelle* senti, Perso* perso, int from, int to, int respawn_x, int respawn_y) {
    if (senti->state != SENTINEL_WATCHING) return;
    if (perso->cpu.aux1 == MOVING && in_range(perso->cpu.x, from, to)) {
        perso->cpu.x = respawn_x;
        perso->cpu.y = respawn_y - 1;
    }
    if (perso->player.aux1 == MOVING && in_range(perso->player.x, from, to)) {
        perso->player.x = respawn_x;
        perso->player.y = respawn_y;
        perso->blink = CATCH_BLINK_FRAMES;
    }
}

void blit_sentinelle(Sentinelle* senti, SDL_Surface* screen, General* general) {
    SDL_Surface* sheet = general->level_sheet;
    Layer_Blit(general, sheet, &senti->baton.src, screen, &senti->baton.dest);
    if (senti->state == SENTINEL_WATCHING) {
        Layer_Blit(general, sheet, &senti->vision.src, screen, &senti->vision.dest);
        return;
    }
    Layer_Blit(general, sheet, &senti->boule.src, screen, &senti->boule.dest);
    // Shown from the next draw on: the head runs one frame behind its state.
    senti->boule.src.x = static_cast<Sint16>(LVL_HEAD[senti->state].x);
}
