// SPDX-License-Identifier: MIT
// The opaque backgrounds and the kept scenery layer draw every frame exactly
// as blending every picture again does, and a frame is presented only when it
// changed, was exposed or is due.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fonction.h"
#include "support.h"

namespace {

// Each turn drawn twice from the same records: as the game draws it (kept
// layer, opaque copies) and with every picture blended again.
int turns_unlike_blending(Session& s, int turns, SDLKey key = SDLK_UNKNOWN) {
    SDL_Surface* screen = s.game.screen;
    char* pixels = static_cast<char*>(screen->pixels);
    const size_t size = static_cast<size_t>(screen->pitch) * screen->h;
    int unlike = 0;
    for (int turn = 0; turn < turns; ++turn) {
        if (key != SDLK_UNKNOWN) set_key(&s.game.general, turn == 0 ? SDL_KEYDOWN : SDL_KEYUP, key);
        Game other = s.game;
        other.menu.opaque_sheet = nullptr;
        other.general.level_opaque = nullptr;
        std::srand(turn);
        Game_Turn(&other);
        const std::string blended(pixels, size);
        std::srand(turn);
        Game_Turn(&s.game);
        unlike += blended != std::string(pixels, size) ? 1 : 0;
    }
    return unlike;
}

TEST(Frames, KeptLayerDrawsEveryTurnAsBlendingAgain) {
    Session s;
    ASSERT_TRUE(s.start());
    EXPECT_EQ(turns_unlike_blending(s, 3), 0) << "menu at rest";
    EXPECT_EQ(turns_unlike_blending(s, 3, KEY_DOWN), 0) << "highlight moved";
    EXPECT_EQ(turns_unlike_blending(s, 3, KEY_RETURN), 0) << "the page";
    EXPECT_EQ(turns_unlike_blending(s, 3, KEY_RETURN), 0) << "back from the page";
    EXPECT_EQ(turns_unlike_blending(s, 3, KEY_UP), 0);
    EXPECT_EQ(turns_unlike_blending(s, 130, KEY_RETURN), 0) << "slide";
    s.new_game();
    for (int level = 1; level < 9; ++level) s.pass_level();
    EXPECT_EQ(turns_unlike_blending(s, 300), 0) << "level 9 curtain, countdown";
    s.game.general.event = key_event(SDL_KEYDOWN, KEY_RIGHT);
    EXPECT_EQ(turns_unlike_blending(s, 300), 0) << "level 9 race, sentinels turning";
}

TEST(Frames, ArePresentedWhenChangedExposedOrDue) {
    Session s;
    ASSERT_TRUE(s.start());
    s.turns(1);
    std::string flips;
    for (int i = 0; i < 2 * PRESENT_EVERY; ++i) flips += Present(&s.game) ? 'F' : '.';
    const std::string due = std::string(PRESENT_EVERY - 1, '.') + "F";
    EXPECT_EQ(flips, due + due) << "the same picture";
    s.turns(3);
    EXPECT_EQ(s.game.shown.unflipped, 3) << "the menu at rest is not presented again";
    Uint8* last = static_cast<Uint8*>(s.game.screen->pixels) +
                  s.game.screen->pitch * (SCREEN_H - 1) + 4 * (SCREEN_W - 1);
    *last ^= 1;
    EXPECT_TRUE(Present(&s.game)) << "the last pixel changed";
    s.turns(2);
    SDL_Event expose{};
    expose.type = SDL_VIDEOEXPOSE;
    SDL_PushEvent(&expose);
    s.turns(1);
    EXPECT_EQ(s.game.shown.unflipped, 0) << "exposed";
}

}  // namespace
