// SPDX-License-Identifier: MIT
// The game's own sheet loading (PNG decoded straight into the display's pixel
// order, on worker threads) draws every frame exactly as sheets loaded with
// SDL_image and converted with SDL_DisplayFormatAlpha do.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fonction.h"
#include "support.h"

namespace {

// One turn from the same records, screen and random seed, drawn once with the
// game's sheets and once with plain ones; the game then goes on from the first.
bool same_frame(Session& s) {
    SDL_Surface* screen = s.game.screen;
    char* pixels = static_cast<char*>(screen->pixels);
    const size_t size = static_cast<size_t>(screen->pitch) * screen->h;
    const std::string before(pixels, size);
    Game other = s.game;
    std::srand(7);
    Game_Turn(&s.game);
    const std::string drawn(pixels, size);
    SDL_Surface** sheets[] = {&other.menu.sheet, &other.general.level_sheet, &other.anim.sheet,
                              &other.perso.sheet};
    const char* names[] = {"menu.png", "lvl.png", "anim.png", "joueur.png"};
    for (int i = 0; i < 4; ++i) {
        SDL_Surface* loaded =
            IMG_Load((std::string(PELUNE_SOURCE_DIR) + "/data/gfx/" + names[i]).c_str());
        *sheets[i] = SDL_DisplayFormatAlpha(loaded);
        SDL_FreeSurface(loaded);
    }
    before.copy(pixels, size);
    std::srand(7);
    Game_Turn(&other);
    const bool same = drawn == std::string(pixels, size);
    for (SDL_Surface** sheet : sheets) SDL_FreeSurface(*sheet);
    drawn.copy(pixels, size);
    return same;
}

TEST(Frames, AreTheSameWithTheGamesSheetLoadingAsWithPlainSheets) {
    Session s;
    ASSERT_TRUE(s.start());
    s.press(KEY_RAIN);
    EXPECT_TRUE(same_frame(s)) << "menu, rain on";
    s.new_game();
    s.turns(100);
    EXPECT_TRUE(same_frame(s)) << "curtain";
    s.turns(150);
    EXPECT_TRUE(same_frame(s)) << "countdown";
    for (int level = 1; level < 9; ++level) s.pass_level();
    s.turns(300);
    for (Sentinelle& senti : s.game.niveau[8].senti) senti.state = SENTINEL_WATCHING;
    EXPECT_TRUE(same_frame(s)) << "level 9, every sentinel watching";
    s.game.general.unlock = 1;
    s.pass_level();
    s.turns(300);
    ASSERT_EQ(s.game.general.level, LEVEL_BONUS);
    EXPECT_TRUE(same_frame(s)) << "bonus level";
    s.press(KEY_BACKSPACE);
    EXPECT_TRUE(same_frame(s)) << "won banner";
}

}  // namespace
