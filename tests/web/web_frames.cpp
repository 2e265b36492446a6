// SPDX-License-Identifier: MIT
// The desktop's frames the browser test (web_e2e.js) compares its canvas with,
// as RGB bytes into $PELUNE_WEB_FRAMES: the menu at turn 100, once for each
// background (drawn at random), and level 1 200 turns in.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../support.h"
#include "tables.h"

static void write_frame(SDL_Surface* screen, const std::string& file) {
    std::string rgb;
    for (int i = 0; i < SCREEN_W * SCREEN_H; ++i) {
        Uint8 r, g, b;
        SDL_GetRGB(pixel_at(screen, i % SCREEN_W, i / SCREEN_W), screen->format, &r, &g, &b);
        rgb += {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
    }
    FILE* out = std::fopen((std::getenv("PELUNE_WEB_FRAMES") + ("/" + file)).c_str(), "wb");
    ASSERT_TRUE(out != nullptr && std::fwrite(rgb.data(), rgb.size(), 1, out) == 1);
    std::fclose(out);
}

TEST(WebReference, Frames) {
    if (std::getenv("PELUNE_WEB_FRAMES") == nullptr) GTEST_SKIP() << "for tests/web/run_web.sh";
    Session s;
    ASSERT_TRUE(s.start());
    s.turns(99);
    for (int bg = 0; bg < 4; ++bg) {
        Game shown = s.game;
        shown.menu.background.src.y = static_cast<Sint16>(MENU_BG_H * bg);
        Game_Turn(&shown);
        write_frame(s.game.screen, "menu" + std::to_string(bg) + ".rgb");
    }
    s.turns(1);
    s.new_game(0);
    s.turns(200);
    write_frame(s.game.screen, "level1.rgb");
}
