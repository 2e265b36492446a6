// SPDX-License-Identifier: MIT
// The level design, written out here apart from the game's own table, checked on
// the prepared records and through the real level frames; the ending.
#include <sstream>
#include <vector>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

// clang-format off
// Level, band y, start y, next start y, respawn x and y; then for each sentinel its
// pole x and y, base, and watched range; the ground: each segment's start and dy.
const char* DESIGN[][2] = {
    {"1 0 173 71 0 173   240 113 20 155 295", "-20 0 16 -1 41 0 73 1 89 -1 158 0 187 1 224 0 294 -1 309 1 332 -1 410 0"},
    {"2 272 71 117 -10 71   119 122 15 36 145  304 117 120 245 363", "-20 1 84 -1 110 1 171 -1 204 0 232 -1 252 0 268 -1 284 0 324 -1 376 1 400 0"},
    {"3 544 117 194 -15 117   129 118 15 48 192  317 67 120 242 343", "-20 0 16 -1 38 1 97 -1 118 1 141 -1 215 1 229 -1 241 0 306 1 428 0"},
    {"4 816 194 95 -15 194   106 113 15 58 158  233 48 130 160 286  353 105 30 274 400", "-20 0 8 -1 26 1 38 -1 192 1 222 -1 240 1 266 0 290 1 336 0 378 1 398 0"},
    {"5 1088 95 119 -15 95   69 87 50 -10 111  225 84 150 158 277  349 40 230 271 378", "-20 0 19 1 41 -1 73 1 133 -1 163 0 193 -1 299 1 402 -1 424 0"},
    {"6 1360 119 155 -15 119   63 94 100 -10 118  181 102 200 109 233  259 135 270 177 320  385 102 350 323 442", "-20 0 45 -1 56 1 92 -1 120 0 193 -1 204 1 284 -1 344 1 358 -1 377 0"},
    {"7 1632 155 111 -15 155   51 154 50 -10 110  146 130 175 98 198  253 21 250 205 303  345 65 375 266 397", "-20 0 21 1 74 -1 245 0 268 1 294 0 311 1 334 0 353 1 369 0 390 1 424 0"},
    {"8 1904 111 29 -15 111   48 109 0 -10 110  139 73 400 77 165  212 123 300 135 270  303 152 500 224 365  403 101 600 345 450", "-20 0 23 1 39 0 65 -1 101 0 128 1 178 0 202 -1 223 0 244 1 294 0 319 -1 374 0 394 -1 408 0"},
    {"9 2176 29 29 -15 29   45 27 0 -10 107  119 18 400 47 176  205 22 300 125 264  292 44 500 212 322  363 115 600 290 393", "-20 0 21 1 36 0 51 -1 63 0 118 1 132 0 188 -1 207 0 249 1 410 0"},
    {"11 2992 173 95 -15 173   99 144 30 22 153  234 113 100 154 295  391 72 250 344 450", "-20 0 16 -1 41 0 73 1 89 -1 158 0 187 1 224 0 294 -1 309 1 332 -1 410 0"},
};
// clang-format on

struct Design {
    int level, band_y, start_y, next_y, respawn_x, respawn_y;
    std::vector<std::vector<int>> senti;  // pole x, pole y, base, from, to
    std::string ground;
    explicit Design(const char* const (&row)[2]) : ground(row[1]) {
        std::istringstream in(row[0]);
        in >> level >> band_y >> start_y >> next_y >> respawn_x >> respawn_y;
        for (std::vector<int> s(5); in >> s[0] >> s[1] >> s[2] >> s[3] >> s[4];) senti.push_back(s);
    }
    // The dy of the segment holding drawn x (a negative x is drawn at 0).
    int slope_at(int x) const {
        std::istringstream in(ground);
        int dy = 0;
        for (int from, step; in >> from >> step && from <= std::max(x, 0);) dy = step;
        return dy;
    }
};

struct Levels : Started {
    // Every sentinel of the level idle at clock 0, then slot k as given.
    void sentinels(Niveau* niveau, int k = 0, int state = 0, int timer = 0) {
        for (Sentinelle& s : niveau->senti) s.state = s.timer = 0;
        niveau->senti[k].state = state, niveau->senti[k].timer = timer;
    }
    const Perso& p = game.perso;
};

// Both runners walk every level to the finish with the sentinels kept asleep: the
// ground moves them by the design's slopes, a tie goes to the player, and each
// Return on the won banner starts them on the next level's start point.
TEST_F(Levels, TheGroundAndTheStartPointsLeadFromLevelToLevel) {
    new_game(0);
    game.general.unlock = 1;
    for (const auto& row : DESIGN) {
        const Design d(row);
        Niveau* niveau = &game.niveau[d.level - 1];
        niveau->started = 1;
        EXPECT_TRUE(game.general.level == d.level && p.player.x == -15 && p.player.y == d.start_y &&
                    p.cpu.y == d.start_y - 5);
        for (set_key(&game.general, SDL_KEYDOWN, KEY_RIGHT);
             niveau->outcome == 0 && p.player.x < 440;) {
            sentinels(niveau);
            const int x = p.player.x, y = p.player.y + d.slope_at(x);
            turns(1);
            ASSERT_TRUE(p.player.x == x + 1 && p.player.y == y && p.cpu.x == x + 1 &&
                        p.cpu.y == y - 5)
                << "level " << d.level << " from x " << x;
        }
        EXPECT_EQ(niveau->outcome, OUTCOME_WON) << "level " << d.level;
        turn(SDL_KEYUP, KEY_RIGHT);
        turn(SDL_KEYDOWN, KEY_RETURN);
        EXPECT_TRUE(d.level >= 9 || p.player.y == d.next_y) << "level " << d.level;
    }
    turns(1);
    EXPECT_EQ(game.general.level, LEVEL_ENDING) << "the bonus level won leads to the ending";
}

// Each sentinel catches a moving player on the very ends of its watched range and
// sends it to the respawn point, with the slope it was caught on; it first warns
// on the race frame its base sets.
TEST_F(Levels, EachSentinelWatchesItsRangeOnItsOwnClock) {
    for (const auto& row : DESIGN) {
        const Design d(row);
        for (std::size_t k = 0; k < d.senti.size(); ++k) {
            const int base = d.senti[k][2], from = d.senti[k][3], to = d.senti[k][4];
            for (const auto& [x, caught] :
                 {std::pair{from - 1, 1}, {from - 2, 0}, {to - 1, 1}, {to, 0}}) {
                sentinels(race(d.level, x, 100), k, SENTINEL_WATCHING, base + 100);
                turn(SDL_KEYDOWN, KEY_RIGHT);
                EXPECT_TRUE(p.player.x == (caught ? d.respawn_x : x + 1) &&
                            p.player.y == (caught ? d.respawn_y : 100) + d.slope_at(x))
                    << "level " << d.level << " slot " << k << " from x " << x;
            }
            Sentinelle* s = &race(d.level, -15, 100)->senti[k];
            sentinels(&game.niveau[d.level - 1], k, 0, base + 3);
            turn(SDL_KEYUP, KEY_RIGHT);
            const int before = s->state;
            turns(1);
            EXPECT_TRUE(before == 0 && s->state == 1) << "level " << d.level << " slot " << k;
        }
    }
}

// Level 1 steps its sentinel after the catch test, the others before it.
TEST_F(Levels, Level1CatchesOnLastFramesStateTheOthersOnThisFrames) {
    for (const auto& row : DESIGN) {
        const Design d(row);
        sentinels(race(d.level, d.senti[0][3] + 2, 100), 0, 1, d.senti[0][2] + 89);
        turn(SDL_KEYDOWN, KEY_RIGHT);
        EXPECT_EQ(p.player.x == d.respawn_x, d.level != 1) << "level " << d.level;
        turns(1);
        EXPECT_EQ(p.player.x, d.respawn_x + (d.level != 1)) << "level " << d.level;
    }
}

// A Return held from the start leaves as soon
// as the curtain is open, unlocking (the unlock file's rows are in test_bad_input.cpp).
TEST_F(Levels, TheEndingOpensWithoutACountdownAndReturnUnlocksOnce) {
    for (int difficulty : {0, 1}) {
        game.general.screen = SCREEN_PLAY, game.general.level = LEVEL_ENDING;
        game.general.difficulty = difficulty, game.niveau[9].started = 0;
        Anim_Init(&game.anim);
        set_key(&game.general, SDL_KEYDOWN, KEY_RETURN);
        int frames = 0;
        for (; game.general.screen == SCREEN_PLAY && frames < 1000; ++frames) turns(1);
        EXPECT_TRUE(frames == 137 && game.general.level == 1 && game.general.unlock == 1);
    }
}

// A level left by a loss, or by Return in a pause, is fresh in the next game.
TEST_F(Levels, ALostOrLeftLevelStartsAfreshInTheNextGame) {
    new_game(0);
    pass_level();
    for (int lost : {1, 0}) {
        Niveau* level2 = race(2, 10, 71);
        turns(30);
        game.perso.cpu.x = lost ? 436 : 0;
        press(lost ? KEY_RETURN : KEY_SPACE);  // Return in the frame of the loss does nothing
        EXPECT_TRUE(game.general.screen == SCREEN_PLAY && level2->outcome == lost &&
                    level2->paused == 1 - lost);
        press(lost ? KEY_SPACE : KEY_RETURN);
        ASSERT_EQ(game.general.screen, SCREEN_MENU);
        EXPECT_TRUE(level2->paused == 1 - lost && game.general.difficulty == 0)
            << "a loss is no pause";
        EXPECT_TRUE(game.general.level == 1 - lost &&
                    game.menu.state == (lost ? MENU_MAIN : MENU_DIFFICULTY));
        new_game(0);
        pass_level();
        EXPECT_EQ(level2->started + level2->outcome + level2->paused + level2->senti[0].timer, 0);
    }
}

}  // namespace
