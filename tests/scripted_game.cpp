// pelune_scripted: the real start-up, loop and shut-down, headless, fed a fixed
// script of key presses: the menu and its page and credits, a race run with the
// right arrow (false start, catches, pause, rain), a race lost, a game passed to the ending,
// then a second game through the bonus level to the ending again. Meant for
// tools that watch a whole process, such as valgrind.
//
// Run it in a game directory (data/gfx, data/music, ico.bmp; a data/dat.dat
// of its own). Exit status 0 when every step reached the scene it should, 2
// when one did not.
#include <cstdio>
#include <cstdlib>

#include "fonction.h"
#include "keys.h"
#include "main.h"
#include "menu.h"

namespace {

Game game;
int turn_count = 0;

void turns(int n) {
    for (int i = 0; i < n && continuer == 1; ++i) {
        Game_Turn(&game);
        turn_count += 1;
    }
}

void press(SDLKey key) {
    push_key(SDL_KEYDOWN, key);
    turns(1);
    push_key(SDL_KEYUP, key);
    turns(1);
}

[[noreturn]] void fail(const char* step) {
    std::fprintf(stderr, "pelune_scripted: %s (turn %d, screen %d, level %d, menu state %d)\n", step,
                 turn_count, game.general.screen, game.general.level, game.menu.state);
    std::exit(2);
}

void expect(bool reached, const char* step) {
    if (!reached) fail(step);
}

// From the difficulty panel (or the main panel, sliding first) into level 1.
void new_game(int difficulty) {
    if (game.menu.state == MENU_MAIN) {
        press(KEY_RETURN);
        turns(125);
    }
    expect(game.menu.state == MENU_DIFFICULTY, "the difficulty panel shows");
    if (difficulty == 1) press(KEY_DOWN);
    press(KEY_RETURN);
    expect(game.general.screen == SCREEN_PLAY && game.general.level == 1, "a game starts at level 1");
}

void win_level() {
    const int level = game.general.level;
    press(KEY_BACKSPACE);
    press(KEY_RETURN);
    expect(game.general.level != level, "a won level is left with Return");
}

void leave_ending() {
    expect(game.general.level == LEVEL_ENDING, "the ending shows");
    turns(140);
    press(KEY_RETURN);
    expect(game.general.screen == SCREEN_MENU, "Return leaves the ending");
}

}  // namespace

int main() {
    if (!Game_Start(&game)) return 1;
    turns(10);

    // The menu: the page, the credits and back.
    press(KEY_DOWN);
    press(KEY_RETURN);
    expect(game.menu.state == MENU_PAGE_STATE, "the page shows");
    turns(20);
    press(KEY_RETURN);
    press(KEY_DOWN);
    press(KEY_RETURN);
    turns(125);
    expect(game.menu.state == MENU_CREDITS, "the credits show");
    press(KEY_RETURN);
    turns(125);
    press(KEY_UP);
    press(KEY_UP);
    expect(game.menu.state == MENU_MAIN && game.menu.cursor == 1, "back on Play");

    // Level 1 on Hard, raced for real: a false start, rain, a run into the
    // sentinel's watch, a pause and a resume, then the win key.
    new_game(1);
    press(KEY_RAIN);
    turns(200);
    press(KEY_RIGHT);  // during the countdown
    expect(game.perso.malus == 1, "a false start");
    for (int i = 0; i < 1000 && game.niveau[0].started == 0; ++i) turns(1);
    expect(game.niveau[0].started == 1, "the race starts");
    push_key(SDL_KEYDOWN, KEY_RIGHT);
    turns(600);
    push_key(SDL_KEYUP, KEY_RIGHT);
    turns(30);
    press(KEY_SPACE);
    expect(game.niveau[0].paused == 1, "the race pauses");
    turns(30);
    press(KEY_SPACE);
    press(KEY_RAIN);
    win_level();

    // Level 2 lost: hands off until the computer is home, then Space to the menu.
    for (int i = 0; i < 20000 && game.niveau[1].outcome == 0; ++i) turns(1);
    expect(game.niveau[1].outcome == 1, "the computer wins level 2");
    press(KEY_SPACE);
    expect(game.general.screen == SCREEN_MENU && game.menu.state == MENU_MAIN, "a lost race ends the game");

    // A game through levels 1 to 9 with a few race frames each, then the ending (locked).
    new_game(0);
    while (game.general.level >= 1 && game.general.level <= 9) {
        turns(60);
        win_level();
    }
    leave_ending();
    expect(game.general.unlock == 1, "leaving the ending unlocks the bonus level");

    // A second game: level 9 leads to the bonus level, raced a little, then won.
    new_game(0);
    for (int level = 1; level <= 9; ++level) win_level();
    expect(game.general.level == LEVEL_BONUS, "level 9 leads to the bonus level");
    for (int i = 0; i < 1000 && game.niveau[LEVEL_BONUS - 1].started == 0; ++i) turns(1);
    push_key(SDL_KEYDOWN, KEY_RIGHT);
    turns(200);
    push_key(SDL_KEYUP, KEY_RIGHT);
    win_level();
    turns(1);
    leave_ending();

    push_key(SDL_KEYDOWN, KEY_ESCAPE);
    turns(1);
    expect(continuer == 0, "Escape quits");
    Game_Stop(&game);
    SDL_Quit();
    std::printf("pelune_scripted: %d turns\n", turn_count);
    return 0;
}
