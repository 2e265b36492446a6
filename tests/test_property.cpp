// Random play through the real loop: events of every kind pushed as they come
// (several in a turn, or none), across every scene, with the records checked
// after every turn. A quit from the menu ends a run and a new one starts, so the
// unlock file is read back as well. Every scene must have been reached.
//
// PELUNE_PROPERTY_TURNS sets the total number of turns, shared by the seeds.
#include <algorithm>
#include <deque>
#include <filesystem>
#include <random>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

#if !defined(__has_feature)
#define __has_feature(x) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || __has_feature(address_sanitizer)
constexpr long DEFAULT_TURNS = 200000;  // the sanitizer build carries the long run
#else
constexpr long DEFAULT_TURNS = 15000;
#endif

// Without a file the bonus opens at the first ending; with "1" it is open from the
// start; with "7" never.
const std::pair<unsigned, const char*> SEEDS[] = {{1, nullptr}, {2, "1"}, {3, "7"}};
const SDLKey KEYS[] = {KEY_UP,        KEY_DOWN, KEY_RIGHT, KEY_RETURN, KEY_SPACE,
                       KEY_BACKSPACE, KEY_RAIN, SDLK_a,    SDLK_F1,    SDLK_TAB,
                       SDLK_LSHIFT,   SDLK_UP,  SDLK_DOWN, SDLK_RETURN};
const char* SCENES[] = {"main panel",
                        "difficulty panel",
                        "page",
                        "credits",
                        "level 1",
                        "level 2",
                        "level 3",
                        "level 4",
                        "level 5",
                        "level 6",
                        "level 7",
                        "level 8",
                        "level 9",
                        "the ending",
                        "the bonus level",
                        "the bonus level won",
                        "a pause",
                        "a won race",
                        "a lost race",
                        "a false-start penalty",
                        "a watching sentinel"};

// The random player's moods: 0 any key; 1 Right held, Space now and then; 2 on to
// the next level with Backspace and Return; 3 about the menu; 4 hands off for a
// whole race, so the computer wins and the sentinels cycle.
struct Player {
    std::mt19937 rng;
    int mood = 0, mood_turns = 0;
    bool in_menu = true;
    std::deque<SDL_Event> log;
    int uniform(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    void push_turn_events(bool menu) {
        if (--mood_turns <= 0 || menu != in_menu) {
            const int roll =
                uniform(20);  // in play mostly on to the next level, so all are reached
            mood = menu        ? (roll < 12 ? 3 : roll % 5)
                   : roll < 2  ? 0
                   : roll < 6  ? 1
                   : roll < 17 ? 2
                               : 4;
            mood_turns = mood == 4   ? 1000 + uniform(600)
                         : mood == 1 ? 400 + uniform(300)
                                     : 30 + uniform(300);
        }
        in_menu = menu;
        const int roll = uniform(100);  // fewer than one event a turn, so the queue does not grow
        for (int i = mood == 4   ? roll < 2
                     : roll < 45 ? 0
                     : roll < 88 ? 1
                     : roll < 97 ? 2
                                 : 3;
             i > 0; --i) {
            SDL_Event event = next_event();
            SDL_PushEvent(&event);
            log.push_back(event);
            if (log.size() > 24) log.pop_front();
        }
    }
    SDL_Event next_event() {
        const int roll = uniform(100);
        const Uint8 down = roll % 3 ? SDL_KEYDOWN : SDL_KEYUP;
        if (mood == 1 && roll < 90) return key_event(down, roll < 65 ? KEY_RIGHT : KEY_SPACE);
        if (mood == 2 && roll < 90) return key_event(down, roll % 2 ? KEY_RETURN : KEY_BACKSPACE);
        if (mood == 3 && roll < 95)
            return key_event(down, roll < 45 ? KEY_DOWN : roll < 60 ? KEY_UP : KEY_RETURN);
        SDL_Event event =
            key_event(mood == 4 || roll < 50 ? SDL_KEYUP : SDL_KEYDOWN, KEYS[uniform(14)]);
        if (roll >= 85) event.type = SDL_MOUSEMOTION, event.motion.x = Uint16(uniform(SCREEN_W));
        return event;
    }
};

struct Property : Started {
    void SetUp() override {}
    long visits[21] = {};
    Player player;

    // Every invariant of the records after one turn; `before` is the turn's start.
    void check(const Game& before) {
        const General& g = game.general;
        const Menu& m = game.menu;
        const Perso& p = game.perso;
        const int level = before.general.level;
        const bool race =
            before.general.screen == SCREEN_PLAY && level >= 1 && level <= 11 && level != 10;
        bool flags = true, sentinels = true;
        for (int f : {p.malus, p.player.aux1, g.rain_on, g.difficulty, game.anim.phase})
            flags = flags && f >> 1 == 0;
        for (const int* f = &game.sons.played_theme; f <= &game.sons.played_levelwin; ++f)
            flags = flags && *f >> 1 == 0;
        for (const Niveau& n : game.niveau) {
            flags = flags && n.started >> 1 == 0 && n.paused >> 1 == 0 && n.outcome >= -1 &&
                    n.outcome <= 1;
            for (const Sentinelle& t : n.senti) {
                sentinels =
                    sentinels && t.state >= 0 && t.state <= 3 && t.timer >= -20 && t.timer <= 850;
            }
        }
        const std::pair<const char*, bool> rules[] = {
            {"flags", flags},
            {"sentinels", sentinels},
            {"screen", g.screen == SCREEN_MENU || g.screen == SCREEN_PLAY},
            {"level", g.level >= 0 && g.level <= 12 && (level != 12 || g.level == LEVEL_ENDING)},
            {"latch", g.key_consumed == (g.event.type == SDL_KEYDOWN)},
            {"bars",
             g.bars[0].y >= -7 && g.bars[1].y <= 272 && g.bars[2].y >= -6 && g.bars[2].y <= 270},
            {"glyphs", std::all_of(g.glyphs, g.glyphs + GLYPH_COUNT,
                                   [](const Sprite& x) { return x.y >= -5 && x.y <= 268; })},
            {"no file left open", g.unlock_file == nullptr},
            {"unlocked only by leaving the ending",
             g.unlock == before.general.unlock ||
                 (before.general.unlock == 0 && g.unlock == 1 && level == LEVEL_ENDING &&
                  dir.read(UNLOCK_PATH) == "1")},
            {"the bonus level only when unlocked", g.level != LEVEL_BONUS || g.unlock == 1},
            {"menu", m.state >= 1 && m.state <= 4 && m.slide >= 0 && m.slide <= 4 &&
                         m.bg_index >= 0 && m.bg_index <= 3},
            {"main cursor", m.state != MENU_MAIN || (m.cursor >= 1 && m.cursor <= 4 &&
                                                     m.main_panel.src.y == 182 + 90 * m.cursor)},
            {"difficulty cursor", m.state != MENU_DIFFICULTY || (m.cursor >= 1 && m.cursor <= 3)},
            {"runners", p.frame >= 0 && p.frame < 16 && p.malus_timer >= 0 && p.malus_timer < 100 &&
                            p.cpu.aux2 >= 0 && p.cpu.aux2 <= 2},
            {"runner x",
             p.player.x >= -15 && p.player.x <= 453 && p.cpu.x >= -15 && p.cpu.x <= 453},
            {"clamped when drawn", !race || (p.player.dest.x <= 452 && p.cpu.dest.x <= 452)},
        };
        for (const auto& [name, holds] : rules) ASSERT_TRUE(holds) << name;
        if (g.screen == SCREEN_MENU) visits[m.state - 1] += 1;
        if (g.screen == SCREEN_PLAY && g.level >= 1) visits[3 + g.level] += 1;
        if (!race) return;
        const Niveau& n = game.niveau[level - 1];
        visits[16] += n.paused, visits[17] += n.outcome == -1, visits[18] += n.outcome == 1,
            visits[19] += p.malus;
        for (const Sentinelle& t : n.senti) visits[20] += t.state == SENTINEL_WATCHING;
    }
};

TEST_F(Property, RandomPlayKeepsEveryRecordInRangeAndReachesEveryScene) {
    const char* text = std::getenv("PELUNE_PROPERTY_TURNS");
    const long turns = (text != nullptr ? std::atol(text) : DEFAULT_TURNS) / std::size(SEEDS);
    for (const auto& [seed, unlock_file] : SEEDS) {
        std::filesystem::remove(dir.file(UNLOCK_PATH));
        if (unlock_file != nullptr) dir.write(UNLOCK_PATH, unlock_file);
        player.rng.seed(seed);
        std::srand(seed);  // the game's own draws
        for (long turn = 0; turn < turns; ++turn) {
            if (!running) {
                ASSERT_TRUE(start());
                const std::string file = dir.exists(UNLOCK_PATH) ? dir.read(UNLOCK_PATH) : "0";
                ASSERT_EQ(game.general.unlock, file[0] - '0') << "the unlock file read back";
            }
            player.push_turn_events(game.general.screen == SCREEN_MENU);
            const Game before = game;
            Game_Turn(&game);
            check(before);
            if (HasFatalFailure()) {
                std::string events;
                for (const SDL_Event& e : player.log)
                    events += " " + std::to_string(e.type) + ":" + std::to_string(e.key.keysym.sym);
                FAIL() << "seed " << seed << ", turn " << turn << ", level " << before.general.level
                       << "; last events:" << events;
            }
            if (continuer == 1) continue;
            ASSERT_EQ(before.general.screen, SCREEN_MENU) << "only the menu's quit item ends a run";
            stop();
            continuer = 1;
        }
        SDL_Event quit =
            key_event(SDL_KEYDOWN, KEY_ESCAPE);  // the end of the last run, behind the rest
        quit.type = Uint8(seed % 2 ? SDL_KEYDOWN : SDL_QUIT);
        SDL_PushEvent(&quit);
        for (int extra = 0; continuer == 1 && extra < 100; ++extra) Game_Turn(&game);
        EXPECT_EQ(continuer, 0) << "the quit event ends the loop";
        stop();
        continuer = 1;
    }
    for (int scene = 0; scene < 21; ++scene)
        EXPECT_GT(visits[scene], 0) << SCENES[scene] << " never seen";
}

}  // namespace
