// SPDX-License-Identifier: MIT
// The race-level frame, shared by levels 1-9 and the bonus level and driven by
// the level table, and the ending screen.
#include "jeu.h"

#include "fonction.h"

static bool race_frame(const Niveau* niveau) {
    return niveau->started == 1 && niveau->outcome == 0 && niveau->paused == 0;
}

static void step_sentinels(const LevelRow* row, Niveau* niveau) {
    for (int slot = 0; slot < row->sentinel_count; ++slot) {
        vision_sys(row->senti[slot].base, &niveau->senti[slot]);
    }
}

// The race rules, in their fixed order; they run only in a race frame.
static void run_rules(const LevelRow* row, Niveau* niveau, General* general, Anim* anim,
                      Perso* perso, SDL_Surface* screen, Sons* sons) {
    check_malus(general, perso, anim, screen);
    if (row->vision_order == VisionOrder::BeforeStop) step_sentinels(row, niveau);
    stop_cpu(general, perso, niveau);
    if (perso->cpu.aux1 == 1) perso->cpu.x += 1;  // the computer's only forward motion
    for (int slot = 0; slot < row->sentinel_count; ++slot) {
        const SentinelRow& senti = row->senti[slot];
        check_if_see(&niveau->senti[slot], perso, senti.from, senti.to, row->respawn_x,
                     row->respawn_y);
    }
    // Level 1 steps its sentinel after the catch test, which so sees last frame's state.
    if (row->vision_order == VisionOrder::AfterCatch) step_sentinels(row, niveau);
    Play_Caught(perso, sons);
    for (int i = 0; i < row->segment_count; ++i) {
        follow_the_line(general, perso, row->segments[i].from, row->segments[i].to,
                        row->segments[i].dy);
    }
}

// Level 9 won with the bonus level open: Return leads to the bonus level instead
// of the ending. Otherwise the usual outcome step decides.
static void bonus_route(const LevelRow* row, Niveau* niveau, General* general, SDL_Surface* screen,
                        Anim* anim, Perso* perso, Menu* menu, Sons* sons) {
    if (general->unlock == 1 && niveau->outcome == OUTCOME_WON) {
        PlayWav(sons->levelwin, &sons->played_levelwin);
        blit_at_position(anim->sheet, &anim->win, screen);
        if (key_fresh(general, KEY_RETURN)) {
            Anim_Init(anim);
            Perso_Init(perso, START_X, START_Y_MENU);
            general->level = LEVEL_BONUS;
            PlayedSong_Init(sons);
        }
        return;
    }
    check_who_win(general, perso, niveau, anim, screen, menu, row->next_x, row->next_y, sons);
}

static void level_frame(const LevelRow* row, Niveau* niveau, General* general, SDL_Surface* screen,
                        Anim* anim, Perso* perso, Menu* menu, Sons* sons) {
    Replace_position(niveau, perso);
    // The background and the sentinels are one layer, blended again only when a
    // sentinel's picture changes; the glyphs fall between them on the bonus level.
    if (row->glyph_field) {
        blit_opaque(general->level_sheet, general->level_opaque, &niveau->background.src, screen,
                    &niveau->background.dest);
        Blit_Matrix_Effet(general, screen);
    } else {
        Layer_Begin(general, general->level_sheet, general->level_opaque, &niveau->background.src,
                    screen, &niveau->background.dest);
    }
    for (int slot = 0; slot < row->sentinel_count; ++slot) {
        blit_sentinelle(&niveau->senti[slot], screen, general);
    }
    Layer_End(general, screen);
    perso_anim(perso, screen, general);
    if (!row->glyph_field) Blit_BarreEffet(general, screen);
    intro_anim(perso, general, niveau, anim, screen, sons);
    if (race_frame(niveau)) run_rules(row, niveau, general, anim, perso, screen, sons);
    if (row->end == LevelEnd::BonusRoute) {
        Paused(menu, general, sons, niveau, anim, screen);
        bonus_route(row, niveau, general, screen, anim, perso, menu, sons);
    } else {
        check_who_win(general, perso, niveau, anim, screen, menu, row->next_x, row->next_y, sons);
        Paused(menu, general, sons, niveau, anim, screen);
    }
    cheat(general, niveau);
}

void Niveau1(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(1), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau2(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(2), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau3(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(3), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau4(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(4), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau5(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(5), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau6(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(6), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau7(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(7), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau8(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(8), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau9(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons) {
    level_frame(level_row(9), niveau, general, screen, anim, perso, menu, sons);
}
void Niveau11(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
              Menu* menu, Sons* sons) {
    level_frame(level_row(LEVEL_BONUS), niveau, general, screen, anim, perso, menu, sons);
}

void Fin(Menu* menu, Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim,
         Perso* perso, Sons* sons) {
    (void)menu;
    if (general->difficulty == 0) {
        Init_background(niveau, 0, band_y(BAND_ENDING_EASY));
    } else if (general->difficulty == 1) {
        Init_background(niveau, 0, band_y(BAND_ENDING_HARD));
    }
    blit_opaque(general->level_sheet, general->level_opaque, &niveau->background.src, screen,
                &niveau->background.dest);
    intro_anim(perso, general, niveau, anim, screen, sons);
    // A Return still held when the curtain opens leaves at once: no fresh press needed.
    if (niveau->started == 1 && key_down(general, KEY_RETURN)) {
        general->screen = SCREEN_MENU;
        general->level = 1;
        if (general->unlock == 0) {
            general->unlock = 1;  // open for the rest of the run, whatever the file does
            save_unlock(general);
        }
    }
}
