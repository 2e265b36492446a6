// The game's own sheet loading (PNG decoded straight into the display's pixel
// order, on worker threads) draws every frame exactly as sheets loaded with
// SDL_image and converted with SDL_DisplayFormatAlpha do.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fonction.h"
#include "support.h"

namespace {

SDL_Surface* plain(const char* name) {
    SDL_Surface* loaded = IMG_Load((std::string(PELUNE_SOURCE_DIR) + "/data/gfx/" + name).c_str());
    SDL_Surface* sheet = SDL_DisplayFormatAlpha(loaded);
    SDL_FreeSurface(loaded);
    return sheet;
}

// One turn from the same records, screen and random seed, drawn once with the
// game's sheets and once with plain ones; the game then goes on from the first.
int pixels_apart(Session& s) {
    SDL_Surface* screen = s.game.screen;
    const size_t size = static_cast<size_t>(screen->pitch) * screen->h;
    const std::string before(static_cast<char*>(screen->pixels), size);
    Game other = s.game;
    std::srand(7);
    Game_Turn(&s.game);
    const std::string drawn(static_cast<char*>(screen->pixels), size);
    std::memcpy(screen->pixels, before.data(), size);
    SDL_Surface** sheets[] = {&other.menu.sheet, &other.general.level_sheet, &other.anim.sheet,
                              &other.perso.sheet};
    const char* names[] = {"menu.png", "lvl.png", "anim.png", "joueur.png"};
    for (int i = 0; i < 4; ++i) *sheets[i] = plain(names[i]);
    std::srand(7);
    Game_Turn(&other);
    int apart = 0;
    for (size_t i = 0; i < size; i += 4) {
        apart += std::memcmp(&drawn[i], static_cast<char*>(screen->pixels) + i, 4) != 0;
    }
    for (SDL_Surface** sheet : sheets) SDL_FreeSurface(*sheet);
    std::memcpy(screen->pixels, drawn.data(), size);
    return apart;
}

TEST(Frames, AreTheSameWithTheGamesSheetLoadingAsWithPlainSheets) {
    Session s;
    ASSERT_TRUE(s.start());
    ASSERT_NE(s.game.perso.sheet, nullptr);
    s.press(KEY_RAIN);
    EXPECT_EQ(pixels_apart(s), 0) << "menu, rain on";
    s.new_game();
    s.turns(100);
    EXPECT_EQ(pixels_apart(s), 0) << "curtain";
    s.turns(150);
    EXPECT_EQ(pixels_apart(s), 0) << "countdown";
    for (int level = 1; level < 9; ++level) s.pass_level();
    s.turns(300);
    for (Sentinelle& senti : s.game.niveau[8].senti) senti.state = SENTINEL_WATCHING;
    EXPECT_EQ(pixels_apart(s), 0) << "level 9, every sentinel watching";
    s.game.general.unlock = 1;
    s.pass_level();
    s.turns(300);
    EXPECT_EQ(s.game.general.level, LEVEL_BONUS);
    EXPECT_EQ(pixels_apart(s), 0) << "bonus level";
    s.press(KEY_BACKSPACE);
    EXPECT_EQ(pixels_apart(s), 0) << "won banner";
}

}  // namespace
