// SPDX-License-Identifier: MIT
// The desktop's frames the browser test compares its canvas with, as RGB bytes
// into $PELUNE_WEB_FRAMES: the menu at turn 100 (once per background, which is
// drawn at random) and level 1 200 turns in, reached as web_e2e.js does.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../support.h"
#include "tables.h"

namespace {

void write_frame(SDL_Surface* screen, const std::string& file) {
    std::string rgb;
    for (int y = 0; y < SCREEN_H; ++y) {
        for (int x = 0; x < SCREEN_W; ++x) {
            Uint8 r, g, b;
            SDL_GetRGB(pixel_at(screen, x, y), screen->format, &r, &g, &b);
            rgb += {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
        }
    }
    FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr) << file;
    std::fwrite(rgb.data(), 1, rgb.size(), out);
    std::fclose(out);
}

TEST(WebReference, Frames) {
    const char* dir = std::getenv("PELUNE_WEB_FRAMES");
    if (dir == nullptr) GTEST_SKIP() << "written for the browser test (tests/web/run_web.sh)";
    Session s;
    ASSERT_TRUE(s.start());
    s.turns(99);
    for (int bg = 0; bg < 4; ++bg) {
        Game shown = s.game;
        shown.menu.background.src.y = static_cast<Sint16>(MENU_BG_H * bg);
        Game_Turn(&shown);
        write_frame(s.game.screen, std::string(dir) + "/menu" + std::to_string(bg) + ".rgb");
    }
    s.turns(1);
    s.new_game(0);
    s.turns(200);
    write_frame(s.game.screen, std::string(dir) + "/level1.rgb");
}

}  // namespace
