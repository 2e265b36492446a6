// SPDX-License-Identifier: MIT
// The flow of one race: curtain and countdown, false start, finish line and the
// won / lost banners, pause, and the win key.
#include "fonction.h"
#include "menu.h"

// Strips below this one lie off screen; once it has closed the countdown begins.
static constexpr int CURTAIN_SWITCH_STRIP = 14;
static constexpr int STRIP_SHRINK = 2;  // rows per frame
// The strip loop leaves `count` at 24; a count past 21 means a curtain frame has
// gone by, and the countdown is set to open on its "3".
static constexpr int COUNT_AFTER_CURTAIN = 21;
// Countdown pictures change every 70 frames of `count`; the race starts at 280.
static constexpr int COUNT_STEP = 70;
static constexpr int COUNT_START = 4 * COUNT_STEP;
// Right counts as a false start only while 3, 2 or 1 shows: up to the count in
// which GO! is chosen, since a picture shows from the frame after its count.
static constexpr int COUNT_LAST_FALSE_START = 3 * COUNT_STEP;

// Where the runners wait for the next game after a lost race.
static constexpr int LOST_RESTART_X = 0;

static void set_sprite(Sprite* sprite, int x, int y, SheetRect src) {
    place_sprite(sprite, x, y);
    sprite->src = sdl_rect(src);
}

void Anim_Init(Anim* anim) {
    for (int i = 0; i < CURTAIN_STRIPS; ++i) {
        set_sprite(&anim->strips[i], 0, ANIM_CURTAIN.h * i, ANIM_CURTAIN);
    }
    set_sprite(&anim->lose, BANNER_X, BANNER_Y, ANIM_LOST);
    set_sprite(&anim->win, BANNER_X, BANNER_Y, ANIM_WON);
    set_sprite(&anim->countdown, BANNER_X, BANNER_Y, ANIM_COUNT1);
    set_sprite(&anim->pause, BANNER_X, BANNER_Y, ANIM_PAUSE);
    anim->phase = 0;
    anim->strip = 0;
    anim->count = 0;
}

// One frame of the opening curtain: only the first strip still open shrinks, and
// a strip that closes hands over to the next within the same loop.
static void curtain(General* general, Niveau* niveau, Anim* anim, SDL_Surface* screen) {
    if (anim->strips[CURTAIN_SWITCH_STRIP].src.h == 0) {
        anim->count = 0;
        if (general->level != LEVEL_ENDING) {
            anim->phase = 1;
        } else {
            niveau->started = 1;  // the ending has no countdown
        }
    }
    if (anim->count > COUNT_AFTER_CURTAIN) {
        anim->countdown.src.x = static_cast<Sint16>(ANIM_COUNT3.x);
    }
    for (anim->count = 0; anim->count < CURTAIN_STRIPS; ++anim->count) {
        Sprite* strip = &anim->strips[anim->count];
        blit_at_position(anim->sheet, strip, screen);
        if (anim->count == anim->strip && strip->src.h != 0) strip->src.h -= STRIP_SHRINK;
        if (strip->src.h == 0) anim->strip = anim->count + 1;
    }
}

struct CountStep {
    int last;  // the last count of this picture
    SheetRect picture;
    Mix_Chunk* Sons::*chunk;
    int Sons::*played;
};

static constexpr CountStep COUNT_STEPS[] = {
    {COUNT_STEP - 1, ANIM_COUNT3, &Sons::count3, &Sons::played_count3},
    {2 * COUNT_STEP - 1, ANIM_COUNT2, &Sons::count2, &Sons::played_count2},
    {3 * COUNT_STEP - 1, ANIM_COUNT1, &Sons::count1, &Sons::played_count1},
    {COUNT_START - 1, ANIM_GO, &Sons::start, &Sons::played_start},
};

static void countdown(Perso* perso, General* general, Niveau* niveau, Anim* anim,
                      SDL_Surface* screen, Sons* sons) {
    // Drawn before the picture is chosen: each picture shows from the frame after its sound.
    blit_at_position(anim->sheet, &anim->countdown, screen);
    anim->count += 1;
    if (anim->count >= COUNT_START) niveau->started = 1;
    if (perso->malus == 0) {
        for (const CountStep& step : COUNT_STEPS) {
            if (anim->count <= step.last) {
                anim->countdown.src.x = static_cast<Sint16>(step.picture.x);
                PlayWav(sons->*step.chunk, &(sons->*step.played));
                break;
            }
        }
    } else {
        PlayWav(sons->earlystart, &sons->played_earlystart);
        anim->countdown.src.x = static_cast<Sint16>(ANIM_FALSE_START.x);
        anim->countdown.src.y = static_cast<Sint16>(ANIM_FALSE_START.y);
    }
    if (anim->count <= COUNT_LAST_FALSE_START && key_fresh(general, KEY_RIGHT)) perso->malus = 1;
}

void intro_anim(Perso* perso, General* general, Niveau* niveau, Anim* anim, SDL_Surface* screen,
                Sons* sons) {
    if (niveau->started != 0) return;
    if (anim->phase == 0) {
        curtain(general, niveau, anim, screen);
    } else if (anim->phase == 1) {
        countdown(perso, general, niveau, anim, screen, sons);
    }
}

void check_who_win(General* general, Perso* perso, Niveau* niveau, Anim* anim, SDL_Surface* screen,
                   Menu* menu, int next_x, int next_y, Sons* sons) {
    if (niveau->outcome == OUTCOME_NONE) {
        // The player first: when both cross in the same frame the player wins.
        if (perso->player.x >= FINISH_X) {
            niveau->outcome = OUTCOME_WON;
        } else if (perso->cpu.x >= FINISH_X) {
            niveau->outcome = OUTCOME_LOST;
        }
    } else if (niveau->outcome == OUTCOME_WON) {
        PlayWav(sons->levelwin, &sons->played_levelwin);
        blit_at_position(anim->sheet, &anim->win, screen);
        if (key_fresh(general, KEY_RETURN)) {
            Anim_Init(anim);
            Perso_Init(perso, next_x, next_y);
            general->level += 1;
            PlayedSong_Init(sons);
        }
    } else if (niveau->outcome == OUTCOME_LOST) {
        PlayWav(sons->gameover, &sons->played_gameover);
        blit_at_position(anim->sheet, &anim->lose, screen);
        if (key_fresh(general, KEY_RETURN)) {
            // Try again: the same level at the same difficulty, from its curtain.
            const LevelRow* row = level_row(general->level);
            Anim_Init(anim);
            Perso_Init(perso, row->start_x, row->start_y);
            Niveau_Prepare(niveau, row);
            PlayedSong_Init(sons);
        } else if (key_fresh(general, KEY_SPACE)) {
            Menu_Init(menu);
            Perso_Init(perso, LOST_RESTART_X, START_Y_MENU);
            General_Init(general);
            Anim_Init(anim);
            general->screen = SCREEN_MENU;
            PlayedSong_Init(sons);
        }
    }
}

void Pause_Race(Niveau* niveau, Sons* sons) {
    Mix_PauseMusic();
    niveau->paused = 1;
    PlayWav(sons->pause, &sons->played_pause);
}

void Paused(Menu* menu, General* general, Sons* sons, Niveau* niveau, Anim* anim,
            SDL_Surface* screen) {
    (void)menu;
    // During the race and on the won banner; not in the intro, not after a loss.
    if (key_fresh(general, KEY_SPACE) && niveau->outcome != OUTCOME_LOST && niveau->started == 1) {
        if (niveau->paused == 0) {
            Pause_Race(niveau, sons);
        } else if (niveau->paused == 1) {
            Mix_ResumeMusic();
            niveau->paused = 0;
            sons->played_pause = 0;  // the next pause sounds again
        }
    }
    if (niveau->paused == 1) {
        blit_at_position(anim->sheet, &anim->pause, screen);
        if (key_fresh(general, KEY_RETURN)) {
            Mix_ResumeMusic();  // the music goes on in the menu from where it stopped
            general->screen = SCREEN_MENU;
            general->level = 1;
        }
    }
}

void cheat(General* general, Niveau* niveau) {
    if (key_fresh(general, KEY_BACKSPACE)) niveau->outcome = OUTCOME_WON;
}
