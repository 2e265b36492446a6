// SPDX-License-Identifier: MIT
// Random play through the real loop: events of every kind pushed as they come
// (several in a turn, or none), across every scene, with the records checked
// after every turn. A quit from the menu ends a run and a new one starts, so the
// unlock file is read back as well. Every scene must have been reached.
//
// PELUNE_PROPERTY_TURNS sets the total number of turns, shared by the seeds.
#include <filesystem>
#include <map>
#include <random>

#include "fonction.h"
#include "support.h"

namespace {

#ifdef __SANITIZE_ADDRESS__  // GCC's sanitizer build
constexpr long DEFAULT_TURNS = 200000;  // the sanitizer build carries the long run
#else
constexpr long DEFAULT_TURNS = 15000;
#endif

// No file: the bonus opens at the first ending; "1": open from the start; "7": never.
const std::pair<unsigned, const char*> SEEDS[] = {{1, nullptr}, {2, "1"}, {3, "7"}};
const SDLKey KEYS[] = {KEY_UP,        KEY_DOWN, KEY_RIGHT, KEY_RETURN, KEY_SPACE,
                       KEY_BACKSPACE, KEY_RAIN, SDLK_a,    SDLK_F1,    SDLK_TAB,
                       SDLK_LSHIFT,   SDLK_UP,  SDLK_DOWN, SDLK_RETURN};
// The player's moods: 0 any key; 1 Right held, Space now and then; 2 on to the
// next level with Backspace and Return; 3 about the menu; 4 hands off for a whole
// race, so the computer wins and the sentinels cycle. In play it mostly goes on
// to the next level, so that every level is reached.
const int MOODS[2][20] = {{0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 4, 4, 4},
                          {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 3, 4, 0, 1, 2, 3, 4}};
const int MOOD_TURNS[] = {30, 400, 30, 30, 1000};

struct Property : Session, testing::Test {
    std::mt19937 rng;
    int mood = 0, mood_turns = 0, in_menu = 1;
    std::map<std::string, long> seen;

    int uniform(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    SDL_Event next_event() {
        const int roll = uniform(100);
        const Uint8 down = roll % 3 ? SDL_KEYDOWN : SDL_KEYUP;
        if (mood == 1 && roll < 90) return key_event(down, roll < 65 ? KEY_RIGHT : KEY_SPACE);
        if (mood == 2 && roll < 90) return key_event(down, roll % 2 ? KEY_RETURN : KEY_BACKSPACE);
        if (mood == 3 && roll < 95)
            return key_event(down, roll < 45 ? KEY_DOWN : roll < 60 ? KEY_UP : KEY_RETURN);
        SDL_Event event =
            key_event(mood == 4 || roll < 50 ? SDL_KEYUP : SDL_KEYDOWN, KEYS[uniform(14)]);
        if (roll >= 85) event.type = SDL_MOUSEMOTION;
        return event;
    }
    void push_turn_events() {
        const int menu = game.general.screen == SCREEN_MENU;
        if (--mood_turns <= 0 || menu != in_menu) mood = MOODS[menu][uniform(20)];
        if (mood_turns <= 0 || menu != in_menu)
            mood_turns = MOOD_TURNS[mood] + uniform(mood == 4 ? 600 : 300);
        in_menu = menu;
        const int roll = uniform(100);  // fewer than one event a turn, so the queue does not grow
        for (int i = mood == 4 ? roll < 2 : (roll >= 45) + (roll >= 88) + (roll >= 97); i > 0;
             --i) {
            SDL_Event event = next_event();
            SDL_PushEvent(&event);
        }
    }
    // Every invariant of the records after one turn; `before` is the turn's start.
    void check(const Game& before) {
        const General& g = game.general;
        const Menu& m = game.menu;
        const Perso& p = game.perso;
        const int level = before.general.level;
        const bool race =
            before.general.screen == SCREEN_PLAY && level >= 1 && level <= 11 && level != 10;
        bool ok = g.key_consumed == (g.event.type == SDL_KEYDOWN) && g.unlock_file == nullptr;
        for (int f : {p.malus, p.player.aux1, g.rain_on, g.difficulty, g.screen - 1, p.frame / 16})
            ok &= f >> 1 == 0;
        for (const int* f = &game.sons.played_theme; f <= &game.sons.played_levelwin; ++f)
            ok &= *f >> 1 == 0;
        for (const Niveau& n : game.niveau) {
            ok &= n.started >> 1 == 0 && n.paused >> 1 == 0 && n.outcome >= -1 && n.outcome <= 1;
            for (const Sentinelle& t : n.senti)
                ok &= t.state >> 2 == 0 && t.timer >= -20 && t.timer <= 850;
        }
        ASSERT_TRUE(ok) << "a flag, the latch, a level record";
        ok = g.level >= 0 && g.level <= 12 && (level != 12 || g.level == LEVEL_ENDING);
        ok &= g.unlock == before.general.unlock ||
              (level == LEVEL_ENDING && dir.read(UNLOCK_PATH) == "1");
        ok &= g.level != LEVEL_BONUS || g.unlock == 1;  // the bonus level only when unlocked
        ASSERT_TRUE(ok) << "the level " << g.level << " or the unlock " << g.unlock;
        ok = m.state >= 1 && m.state <= 4 && m.slide >= 0 && m.slide <= 4 && m.bg_index >> 2 == 0;
        ok &= m.state != 1 ||
              (m.cursor >= 1 && m.cursor <= 4 && m.main_panel.src.y == 182 + 90 * m.cursor);
        ASSERT_TRUE(ok && (m.state != 2 || (m.cursor >= 1 && m.cursor <= 3))) << "the menu";
        ok = p.malus_timer >= 0 && p.malus_timer < 100 && p.cpu.aux2 >= 0 && p.cpu.aux2 <= 2;
        ok &= p.player.x >= -15 && p.player.x <= 453 && p.cpu.x >= -15 && p.cpu.x <= 453;
        ASSERT_TRUE(ok && (!race || (p.player.dest.x <= 452 && p.cpu.dest.x <= 452)))
            << "the runners";
        seen[(g.screen == 1 ? "menu state " : "level ") +
             std::to_string(g.screen == 1 ? m.state : g.level)] += 1;
        const Niveau& n = game.niveau[race ? level - 1 : 9];
        seen["a pause"] += race && n.paused, seen["a won race"] += race && n.outcome == -1;
        seen["a lost race"] += race && n.outcome == 1, seen["a false start"] += race && p.malus;
        for (const Sentinelle& t : n.senti)
            seen["a watching sentinel"] += race && t.state == SENTINEL_WATCHING;
    }
};

TEST_F(Property, RandomPlayKeepsEveryRecordInRangeAndReachesEveryScene) {
    const char* text = std::getenv("PELUNE_PROPERTY_TURNS");
    const long turns = (text != nullptr ? std::atol(text) : DEFAULT_TURNS) / std::size(SEEDS);
    for (const auto& [seed, unlock_file] : SEEDS) {
        std::filesystem::remove(dir.file(UNLOCK_PATH));
        if (unlock_file != nullptr) dir.write(UNLOCK_PATH, unlock_file);
        rng.seed(seed);
        std::srand(seed);  // the game's own draws
        for (long turn = 0; turn < turns; ++turn) {
            const std::string file = dir.exists(UNLOCK_PATH) ? dir.read(UNLOCK_PATH) : "0";
            if (!running) {
                ASSERT_TRUE(start());
                std::srand(seed + turn);  // start-up seeds from the clock: back to the seed's own
                ASSERT_EQ(game.general.unlock, file[0] - '0') << "the unlock file read back";
            }
            push_turn_events();
            const Game before = game;
            Game_Turn(&game);
            check(before);
            ASSERT_FALSE(HasFatalFailure()) << "seed " << seed << ", turn " << turn;
            if (continuer == 1) continue;
            ASSERT_EQ(before.general.screen, SCREEN_MENU) << "only the menu's quit item ends a run";
            stop(), continuer = 1;
        }
        stop(), continuer = 1;
    }
    for (int k = 1; k <= 12; ++k) EXPECT_GT(seen["level " + std::to_string(k)], 0) << k;
    for (int k = 1; k <= 4; ++k) EXPECT_GT(seen["menu state " + std::to_string(k)], 0) << k;
    for (const char* scene :
         {"a pause", "a won race", "a lost race", "a false start", "a watching sentinel"})
        EXPECT_GT(seen[scene], 0) << scene << " never seen";
}

}  // namespace
