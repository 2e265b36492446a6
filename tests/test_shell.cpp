// SPDX-License-Identifier: MIT
// The game shell: the sound bank's guard, the key latch, the quit test and the
// rain key, through the real main loop with pushed events; the renderer and
// the default window scale.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "fonction.h"
#include "support.h"

// The jingle and the music start; a menu turn starts afresh.
TEST_F(Started, TheMusicStartsAndPlayWavStartsAChunkOnceUntilItsFlagIsCleared) {
    EXPECT_TRUE(game.sons.played_theme == 1 && Mix_PlayingMusic() == 1);
    game.anim.phase = 1;
    turns(1);
    EXPECT_TRUE(game.anim.phase + game.sons.played_theme == 0 && game.perso.player.x == -15);
    int played = 0;
    Mix_HaltChannel(-1);
    for (int flag : {0, 1, 1, 0}) played = flag, PlayWav(game.sons.count1, &played);
    EXPECT_TRUE(played == 1 && Mix_Playing(-1) == 2);
    played = 0;
    PlayWav(nullptr, &played);
    EXPECT_TRUE(played == 1 && Mix_Playing(-1) == 2) << "a missing chunk still sets its flag";
    for (int* flag = &game.sons.played_theme; flag <= &game.sons.played_levelwin; ++flag) *flag = 1;
    PlayedSong_Init(&game.sons);
    for (int* flag = &game.sons.played_theme; flag <= &game.sons.played_levelwin; ++flag)
        EXPECT_EQ(*flag, 0);
}

TEST_F(Started, AHeldKeyActsOnceASecondKeyDownIsIgnoredAndEscapeOrCloseQuits) {
    for (const auto& [type, cursor] :
         {std::pair{SDL_KEYDOWN, 2}, {SDL_KEYDOWN, 2}, {SDL_KEYUP, 2}, {SDL_KEYDOWN, 3}}) {
        push_key(type, KEY_DOWN);  // the second key-down follows with no key-up
        turns(3);
        EXPECT_EQ(game.menu.cursor, cursor);
    }
    push_key(SDL_KEYDOWN, KEY_ESCAPE);  // latched by the held Down
    turns(1);
    EXPECT_EQ(continuer, 0);
    continuer = 1;
    push_quit();
    turns(1);
    EXPECT_EQ(continuer, 0);
}

TEST_F(Started, LeftCtrlTogglesTheRainOncePerPressOnEveryScreenButTheBonusLevel) {
    const int& drop_y = game.general.drops[0].y;  // starts at 10
    turn(SDL_KEYDOWN, KEY_RAIN);
    turns(29);
    EXPECT_TRUE(game.general.rain_on == 1 && drop_y == 40) << "held for 30 turns: on once, falling";
    game.general.screen = SCREEN_PLAY, game.general.level = LEVEL_BONUS;
    turn(SDL_KEYUP, KEY_RAIN);
    game.general.level = LEVEL_ENDING;
    turn(SDL_KEYDOWN, KEY_RAIN);
    EXPECT_TRUE(game.general.rain_on == 0 && drop_y == 40)
        << "none on the bonus level; a second press: off";
}

// The renderer and the default scale, decided from fake device folders.
TEST(Renderer, SoftwareOnlyWithoutARenderNodeOrWhenAskedFor) {
    const std::string root = testing::TempDir() + "pelune_dri";
    for (const char* folder : {"empty", "card", "node"})
        std::filesystem::create_directories(root + "/" + folder);
    for (auto f : {"/card/card0", "/node/card0", "/node/renderD128"}) std::ofstream(root + f);
    const struct { int asked; const char *dir, *libgl; bool software; } cases[] = {
        {RENDERER_AUTO, "node", nullptr, false},       {RENDERER_AUTO, "node", "0", false},
        {RENDERER_AUTO, "node", "1", true},            {RENDERER_AUTO, "node", "true", true},
        {RENDERER_AUTO, "card", nullptr, true},        {RENDERER_AUTO, "empty", nullptr, true},
        {RENDERER_AUTO, "missing", nullptr, true},     {RENDERER_SOFTWARE, "node", nullptr, true},
        {RENDERER_GPU, "empty", "1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Renderer_Software(c.asked, (root + "/" + c.dir).c_str(), c.libgl), c.software)
            << c.asked << " " << c.dir << " " << (c.libgl ? c.libgl : "unset");
    std::filesystem::remove_all(root);
    // 1280x720, 1920x1080, 2560x1440 and 3840x2160 screens, in software and on a card.
    const int screens[][4] = {{1280, 720, 2, 2}, {1920, 1080, 3, 3}, {2560, 1440, 4, 4},
                              {3840, 2160, 4, 6}};
    for (const auto& s : screens) {
        EXPECT_EQ(Launch_DefaultScale(s[0], s[1], true), s[2]) << s[0];
        EXPECT_EQ(Launch_DefaultScale(s[0], s[1], false), s[3]) << s[0];
    }
}
