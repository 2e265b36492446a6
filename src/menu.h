// SPDX-License-Identifier: MIT
// The title menu: random background, sliding panels, cursor, difficulty choice,
// the full-screen "how to play" page, credits and quit.
#ifndef PELUNE_MENU_H
#define PELUNE_MENU_H

#include "main.h"

constexpr int MENU_MAIN = 1;  // Menu.state
constexpr int MENU_DIFFICULTY = 2;
constexpr int MENU_PAGE_STATE = 3;
constexpr int MENU_CREDITS = 4;

constexpr int SLIDE_NONE = 0;  // Menu.slide
constexpr int SLIDE_TO_DIFFICULTY = 1;
constexpr int SLIDE_FROM_DIFFICULTY = 2;
constexpr int SLIDE_TO_CREDITS = 3;
constexpr int SLIDE_FROM_CREDITS = 4;
constexpr int SLIDE_STEP = 4;  // pixels per frame: a slide takes 121 frames

// Start-up and after a lost race: random background, main panel, cursor on item 1.
// Never touches the sheet.
void Menu_Init(Menu* menu);
// One menu frame: draws, reads this frame's fresh key, changes state. Return in the
// difficulty panel prepares all eleven level records again.
void Menu_Sys(Menu* menu, General* general, SDL_Surface* screen, Niveau niveau[LEVEL_COUNT]);
// One frame of each slide; only Menu_Sys calls them.
void Menu_Anim_Difficulte(Menu* menu, SDL_Surface* screen);
void Menu_Anim_DifficulteRewind(Menu* menu, SDL_Surface* screen);
void Menu_Anim_Credits(Menu* menu, SDL_Surface* screen);
void Menu_Anim_CreditsRewind(Menu* menu, SDL_Surface* screen);

// r in 0..32767 scaled to n choices, truncated; n itself only for r = 32767.
int scale_draw(int r, int n);

#endif
