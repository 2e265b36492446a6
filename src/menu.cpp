// SPDX-License-Identifier: MIT
// The title menu: a random background, three panels that slide sideways along
// the bottom of the screen, and the full-screen page.
#include "menu.h"

#include "fonction.h"

static constexpr int BG_CHOICES = 3;   // backgrounds 0-2; a draw of exactly 32767 gives 3
static constexpr int ON_SCREEN_X = 0;  // the panels' resting places
static constexpr int MAIN_HOME_X = ON_SCREEN_X;
static constexpr int DIFFICULTY_HOME_X = MENU_PANEL_W;
static constexpr int CREDITS_HOME_X = -MENU_PANEL_W;

static constexpr int ITEM_PLAY = 1;  // main panel items
static constexpr int ITEM_PAGE = 2;
static constexpr int ITEM_CREDITS = 3;
static constexpr int ITEM_QUIT = 4;
static constexpr int ITEM_EASY = 1;  // difficulty panel items
static constexpr int ITEM_HARD = 2;
static constexpr int ITEM_BACK = 3;

int scale_draw(int r, int n) { return static_cast<int>(r / static_cast<double>(RANDOM_MAX) * n); }

static void set_src(Sprite* sprite, int x, int y, int w, int h) {
    sprite->src = {static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Uint16>(w),
                   static_cast<Uint16>(h)};
}

static void set_background_src(Menu* menu) {
    set_src(&menu->background, MENU_BG_X, MENU_BG_H * menu->bg_index, SCREEN_W, MENU_BG_H);
}

static void place_panel(Sprite* panel, int x, int sheet_y) {
    place_sprite(panel, x, MENU_PANEL_Y);
    set_src(panel, 0, sheet_y, MENU_PANEL_W, MENU_PANEL_H);
}

void Menu_Init(Menu* menu) {
    menu->bg_index = scale_draw(random_draw(), BG_CHOICES);
    menu->background.dest.x = 0;
    menu->background.dest.y = 0;
    set_background_src(menu);
    place_panel(&menu->main_panel, MAIN_HOME_X, MENU_MAIN_PANEL_Y);
    place_panel(&menu->difficulty_panel, DIFFICULTY_HOME_X, MENU_DIFFICULTY_PANEL_Y);
    place_panel(&menu->credits_panel, CREDITS_HOME_X, MENU_CREDITS_PANEL_Y);
    menu->cursor = 1;
    menu->state = MENU_MAIN;
    menu->slide = SLIDE_NONE;
}

static void main_panel_keys(Menu* menu, General* general) {
    if (key_fresh(general, KEY_DOWN) && menu->cursor < MENU_MAIN_ITEMS) {
        menu->cursor += 1;
        menu->main_panel.src.y = static_cast<Sint16>(menu->main_panel.src.y + MENU_PANEL_H);
        general->key_consumed = 1;
    } else if (key_fresh(general, KEY_UP) && menu->cursor > 1) {
        menu->cursor -= 1;
        menu->main_panel.src.y = static_cast<Sint16>(menu->main_panel.src.y - MENU_PANEL_H);
        general->key_consumed = 1;
    }
    if (key_fresh(general, KEY_RETURN)) {
        if (menu->cursor == ITEM_PLAY) {
            menu->slide = SLIDE_TO_DIFFICULTY;
        } else if (menu->cursor == ITEM_PAGE) {
            menu->state = MENU_PAGE_STATE;
        } else if (menu->cursor == ITEM_CREDITS) {
            menu->slide = SLIDE_TO_CREDITS;
        } else if (menu->cursor == ITEM_QUIT) {
            continuer = 0;  // this frame still finishes: rain, latch, flip
        }
        general->key_consumed = 1;
    }
}

static void start_game(General* general, int difficulty) {
    general->screen = SCREEN_PLAY;
    general->difficulty = difficulty;
    general->level = 1;
}

static void difficulty_panel_keys(Menu* menu, General* general, Niveau niveau[LEVEL_COUNT]) {
    if (key_fresh(general, KEY_DOWN) && menu->cursor < MENU_DIFFICULTY_ITEMS) {
        menu->cursor += 1;
        general->key_consumed = 1;
    } else if (key_fresh(general, KEY_UP) && menu->cursor > 1) {
        menu->cursor -= 1;
        general->key_consumed = 1;
    }
    if (key_fresh(general, KEY_RETURN)) {
        if (menu->cursor == ITEM_EASY) {
            start_game(general, 0);
        } else if (menu->cursor == ITEM_HARD) {
            start_game(general, 1);
        } else if (menu->cursor == ITEM_BACK) {
            menu->slide = SLIDE_FROM_DIFFICULTY;
            menu->cursor = ITEM_PLAY;  // back on the item that opened the panel
        }
        general->key_consumed = 1;
        Niveaux_Init(niveau);
    }
}

void Menu_Sys(Menu* menu, General* general, SDL_Surface* screen, Niveau niveau[LEVEL_COUNT]) {
    copy_position(&menu->main_panel);
    copy_position(&menu->difficulty_panel);
    copy_position(&menu->credits_panel);
    menu->background.dest.x = 0;
    menu->background.dest.y = 0;
    // The background and the panel at rest are one layer, blended again only
    // when the panel or its highlight moves.
    Layer_Begin(general, menu->sheet, menu->opaque_sheet, &menu->background.src, screen,
                &menu->background.dest);
    Sprite* panel = menu->state == MENU_MAIN          ? &menu->main_panel
                    : menu->state == MENU_DIFFICULTY ? &menu->difficulty_panel
                    : menu->state == MENU_CREDITS    ? &menu->credits_panel
                                                     : nullptr;
    if (panel != nullptr) {
        copy_position(panel);
        Layer_Blit(general, menu->sheet, &panel->src, screen, &panel->dest);
    }
    Layer_End(general, screen);

    // Each state either reads the keys or advances a slide in a frame, never both,
    // so a key in the frame a slide ends is ignored.
    switch (menu->state) {
    case MENU_MAIN:
        if (menu->slide == SLIDE_NONE) {
            main_panel_keys(menu, general);
        } else if (menu->slide == SLIDE_TO_DIFFICULTY) {
            Menu_Anim_Difficulte(menu, screen);
        } else if (menu->slide == SLIDE_TO_CREDITS) {
            Menu_Anim_Credits(menu, screen);
        }
        break;
    case MENU_DIFFICULTY:
        if (menu->slide == SLIDE_NONE) {
            // After the draw and before the keys: a move shows two frames later.
            menu->difficulty_panel.src.y =
                static_cast<Sint16>(MENU_DIFFICULTY_PANEL_Y + MENU_PANEL_H * (menu->cursor - 1));
            difficulty_panel_keys(menu, general, niveau);
        } else if (menu->slide == SLIDE_FROM_DIFFICULTY) {
            Menu_Anim_DifficulteRewind(menu, screen);
        }
        break;
    case MENU_PAGE_STATE:
        // The background is already drawn: the page shows from the next frame.
        menu->background.src.x = static_cast<Sint16>(MENU_PAGE.x);
        menu->background.src.y = static_cast<Sint16>(MENU_PAGE.y);
        if (key_fresh(general, KEY_RETURN)) {
            general->key_consumed = 1;
            menu->state = MENU_MAIN;
            set_background_src(menu);
        }
        break;
    case MENU_CREDITS:
        if (menu->slide == SLIDE_NONE) {
            if (key_fresh(general, KEY_RETURN)) {
                menu->slide = SLIDE_FROM_CREDITS;
                general->key_consumed = 1;
            }
        } else if (menu->slide == SLIDE_FROM_CREDITS) {
            Menu_Anim_CreditsRewind(menu, screen);
        }
        break;
    default:
        break;
    }
}

// Each slide draws the panel coming in, then moves both panels for the next
// frame; the test is on the true x, which the blit does not clip.
void Menu_Anim_Difficulte(Menu* menu, SDL_Surface* screen) {
    blit_at_position(menu->sheet, &menu->difficulty_panel, screen);
    if (menu->difficulty_panel.x > ON_SCREEN_X) {
        menu->main_panel.x -= SLIDE_STEP;
        menu->difficulty_panel.x -= SLIDE_STEP;
    } else {
        menu->slide = SLIDE_NONE;
        menu->state = MENU_DIFFICULTY;
    }
}

void Menu_Anim_DifficulteRewind(Menu* menu, SDL_Surface* screen) {
    blit_at_position(menu->sheet, &menu->main_panel, screen);
    if (menu->difficulty_panel.x < DIFFICULTY_HOME_X) {
        menu->main_panel.x += SLIDE_STEP;
        menu->difficulty_panel.x += SLIDE_STEP;
    } else {
        menu->slide = SLIDE_NONE;
        menu->state = MENU_MAIN;
    }
}

void Menu_Anim_Credits(Menu* menu, SDL_Surface* screen) {
    blit_at_position(menu->sheet, &menu->credits_panel, screen);
    if (menu->credits_panel.x < ON_SCREEN_X) {
        menu->main_panel.x += SLIDE_STEP;
        menu->credits_panel.x += SLIDE_STEP;
    } else {
        menu->slide = SLIDE_NONE;
        menu->state = MENU_CREDITS;
    }
}

void Menu_Anim_CreditsRewind(Menu* menu, SDL_Surface* screen) {
    blit_at_position(menu->sheet, &menu->main_panel, screen);
    if (menu->main_panel.x > MAIN_HOME_X) {
        menu->main_panel.x -= SLIDE_STEP;
        menu->credits_panel.x -= SLIDE_STEP;
    } else {
        menu->slide = SLIDE_NONE;
        menu->state = MENU_MAIN;
    }
}
