// Random play through the real loop: events of every kind pushed as they come
// (several in a turn, or none), across every scene, with the records checked
// after every turn. A quit from the menu ends the run and a new one starts, so
// the unlock file is read back as well.
//
// PELUNE_PROPERTY_TURNS sets the total number of turns, shared by the seeds.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>
#include <string>

#include "fonction.h"
#include "main.h"
#include "menu.h"
#include "support.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define PELUNE_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELUNE_SANITIZED 1
#endif
#endif

#if defined(PELUNE_SANITIZED)
constexpr long DEFAULT_TURNS = 200000;  // the sanitizer build carries the long run
#else
constexpr long DEFAULT_TURNS = 40000;   // the same seeds, shorter: a quick look
#endif
// Below this many turns per seed a run need not reach every scene.
constexpr long COVERAGE_TURNS = 50000;

struct Seed {
    unsigned value;
    const char* unlock_file;  // nullptr: no file
};
// Without a file and with "0" the bonus opens at the first ending; with "1" it is
// open from the start; with "7" it never opens.
constexpr Seed SEEDS[] = {{1, nullptr}, {2, "1"}, {3, "7"}, {4, "0"}};
constexpr int SEED_COUNT = sizeof SEEDS / sizeof SEEDS[0];

void PrintTo(const Seed& seed, std::ostream* out) {
    *out << "seed " << seed.value << ", unlock file " << (seed.unlock_file ? seed.unlock_file : "none");
}

long turns_per_seed() {
    const char* text = std::getenv("PELUNE_PROPERTY_TURNS");
    const long total = text != nullptr ? std::atol(text) : DEFAULT_TURNS;
    return total > SEED_COUNT ? total / SEED_COUNT : 1;
}

const SDLKey GAME_KEYS[] = {KEY_UP, KEY_DOWN, KEY_RIGHT, KEY_RETURN, KEY_SPACE, KEY_BACKSPACE, KEY_RAIN};
const SDLKey OTHER_KEYS[] = {SDLK_a, SDLK_LEFT, SDLK_RCTRL, SDLK_F1, SDLK_TAB, SDLK_KP_ENTER, SDLK_LSHIFT};

// How the random player behaves for a while.
enum class Mood {
    Wander,   // any key, any event
    Race,     // holds the right arrow, pauses now and then
    Hurry,    // Backspace and Return: on to the next level
    Browse,   // Up, Down and Return: about the menu
    Idle,     // hands off for a long while: the computer wins, sentinels cycle
};

// The random player: draws the events of each turn.
class Player {
public:
    explicit Player(unsigned seed) : rng_(seed) {}

    // Pushes this turn's events into SDL's queue. Like a person, the player sees
    // whether the menu shows, and takes a new mood when the scene changes.
    void push_turn_events(const Game& game) {
        const bool menu = game.general.screen == SCREEN_MENU;
        if (--mood_turns_ <= 0 || menu != in_menu_) pick_mood(menu);
        in_menu_ = menu;
        if (mood_ == Mood::Idle) {
            if (uniform(50) == 0) push(next_event());  // a stray mouse move or key-up
            return;
        }
        const int roll = uniform(100);
        // On average fewer than one event per turn, so the queue does not grow.
        const int count = roll < 45 ? 0 : roll < 88 ? 1 : roll < 97 ? 2 : 3;
        for (int i = 0; i < count; ++i) push(next_event());
    }

    std::string recent() const {
        std::ostringstream text;
        for (const std::string& event : log_) text << event << ' ';
        return text.str();
    }

private:
    int uniform(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    void pick_mood(bool menu) {
        const int roll = uniform(20);
        if (menu && roll < 10) {
            mood_ = Mood::Browse;
            mood_turns_ = 30 + uniform(400);
            return;
        }
        mood_ = roll < 5 ? Mood::Wander : roll < 9 ? Mood::Race : roll < 14 ? Mood::Hurry
                : roll < 18 ? Mood::Browse : Mood::Idle;
        // Idle long enough for a whole race: curtain, countdown and the computer's run.
        mood_turns_ = mood_ == Mood::Idle ? 1000 + uniform(2000) : 30 + uniform(400);
    }

    static SDL_Event key(Uint8 type, SDLKey sym) { return key_event(type, sym); }

    SDL_Event next_event() {
        const int roll = uniform(100);
        switch (mood_) {
        case Mood::Hurry:
            if (roll < 30) return key(SDL_KEYDOWN, KEY_BACKSPACE);
            if (roll < 60) return key(SDL_KEYDOWN, KEY_RETURN);
            if (roll < 90) return key(SDL_KEYUP, roll % 2 ? KEY_RETURN : KEY_BACKSPACE);
            break;
        case Mood::Race:
            if (roll < 50) return key(SDL_KEYDOWN, KEY_RIGHT);
            if (roll < 80) return key(SDL_KEYUP, KEY_RIGHT);
            if (roll < 85) return key(SDL_KEYDOWN, KEY_SPACE);
            break;
        case Mood::Browse: {
            // Down more than Up, or Return would nearly always find item 1.
            const SDLKey keys[] = {KEY_UP, KEY_UP, KEY_DOWN, KEY_DOWN, KEY_DOWN, KEY_RETURN, KEY_RETURN};
            if (roll < 50) return key(SDL_KEYDOWN, keys[uniform(std::size(keys))]);
            if (roll < 95) return key(SDL_KEYUP, keys[uniform(std::size(keys))]);
            break;
        }
        case Mood::Idle:
            return roll < 50 ? key(SDL_KEYUP, OTHER_KEYS[uniform(std::size(OTHER_KEYS))]) : motion();
        case Mood::Wander:
            break;
        }
        const int kind = uniform(100);
        if (kind < 45) return key(SDL_KEYDOWN, GAME_KEYS[uniform(std::size(GAME_KEYS))]);
        if (kind < 55) return key(SDL_KEYDOWN, OTHER_KEYS[uniform(std::size(OTHER_KEYS))]);
        if (kind < 85) {
            const bool game_key = uniform(4) != 0;
            return key(SDL_KEYUP, game_key ? GAME_KEYS[uniform(std::size(GAME_KEYS))]
                                           : OTHER_KEYS[uniform(std::size(OTHER_KEYS))]);
        }
        return motion();
    }

    SDL_Event motion() {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = static_cast<Uint16>(uniform(SCREEN_W));
        event.motion.y = static_cast<Uint16>(uniform(SCREEN_H));
        return event;
    }

    void push(SDL_Event event) {
        SDL_PushEvent(&event);
        std::ostringstream text;
        if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
            text << (event.type == SDL_KEYDOWN ? '+' : '-') << SDL_GetKeyName(event.key.keysym.sym);
        } else {
            text << "motion";
        }
        log_.push_back(text.str());
        if (log_.size() > 24) log_.pop_front();
    }

    std::mt19937 rng_;
    Mood mood_ = Mood::Wander;
    bool in_menu_ = true;
    int mood_turns_ = 0;
    std::deque<std::string> log_;
};

bool flag(int value) { return value == 0 || value == 1; }

// What was seen of the game, to show the run went everywhere.
struct Visits {
    long menu_states[5] = {};
    long levels[13] = {};
    long paused = 0;
    long won = 0;
    long lost = 0;
    long malus = 0;
    long watching = 0;
    long runs = 0;
    long menu_quits = 0;
    long unlocks_written = 0;
};

class Property : public testing::TestWithParam<Seed> {
protected:
    void TearDown() override {
        if (running) {
            Game_Stop(&game);
            SDL_Quit();
        }
        continuer = 1;
    }

    void start_run() {
        testing::internal::CaptureStdout();
        ASSERT_TRUE(Game_Start(&game));
        testing::internal::GetCapturedStdout();
        running = true;
        std::srand(GetParam().value + static_cast<unsigned>(visits.runs));  // the game's draws too
        visits.runs += 1;
        // What the file gives at start-up, and the game only ever writes 1 over it.
        const std::string text = dir.exists(UNLOCK_PATH) ? dir.read(UNLOCK_PATH) : "";
        file_unlock = !text.empty() && text[0] >= '0' && text[0] <= '9' ? text[0] - '0' : 0;
        ASSERT_EQ(game.general.unlock, file_unlock) << "unlock file holds '" << text << "'";
    }

    void end_run() {
        Game_Stop(&game);
        SDL_Quit();
        running = false;
    }

    // Every invariant of the records after one turn; `before` is the turn's start.
    void check(const Game& before, long turn) {
        const General& g = game.general;
        const Menu& m = game.menu;
        const Perso& p = game.perso;
        const Sons& s = game.sons;
        std::ostringstream where;
        where << "seed " << GetParam().value << ", run " << visits.runs << ", turn " << turn
              << ", screen " << g.screen << ", level " << g.level << ", menu state " << m.state
              << "; last events: " << player.recent();
        SCOPED_TRACE(where.str());

        ASSERT_TRUE(g.screen == SCREEN_MENU || g.screen == SCREEN_PLAY);
        ASSERT_GE(g.level, 0);
        ASSERT_LE(g.level, 12);
        if (before.general.level == 12) {
            ASSERT_EQ(g.level, LEVEL_ENDING) << "12 lasts one turn";
        }
        ASSERT_TRUE(g.difficulty == 0 || g.difficulty == 1);
        ASSERT_TRUE(flag(g.key_consumed));
        ASSERT_EQ(g.key_consumed, g.event.type == SDL_KEYDOWN ? 1 : 0);
        ASSERT_TRUE(flag(g.rain_on));
        for (int bar = 0; bar < BAR_COUNT; ++bar) {
            ASSERT_TRUE(flag(g.bar_down[bar]));
            ASSERT_GE(g.bars[bar].y, -7);
            ASSERT_LE(g.bars[bar].y, SCREEN_H);
        }
        for (const Sprite& glyph : g.glyphs) {
            ASSERT_GE(glyph.y, -5);
            ASSERT_LE(glyph.y, 268);
        }
        ASSERT_EQ(g.unlock_file, nullptr) << "no file stays open between turns";

        // The unlock count: what the file gave, until leaving the ending opens it.
        if (g.unlock != before.general.unlock) {
            ASSERT_EQ(before.general.unlock, 0);
            ASSERT_EQ(g.unlock, 1);
            ASSERT_EQ(before.general.level, LEVEL_ENDING) << "only the ending unlocks";
            ASSERT_EQ(dir.read(UNLOCK_PATH), "1");
            visits.unlocks_written += 1;
        }
        if (g.level == LEVEL_BONUS) {
            ASSERT_EQ(g.unlock, 1) << "the bonus level opens only with 1";
        }

        ASSERT_GE(m.state, MENU_MAIN);
        ASSERT_LE(m.state, MENU_CREDITS);
        ASSERT_GE(m.slide, SLIDE_NONE);
        ASSERT_LE(m.slide, SLIDE_FROM_CREDITS);
        ASSERT_GE(m.bg_index, 0);
        ASSERT_LE(m.bg_index, 3);
        if (m.state == MENU_MAIN) {
            ASSERT_GE(m.cursor, 1);
            ASSERT_LE(m.cursor, MENU_MAIN_ITEMS);
            ASSERT_EQ(m.main_panel.src.y, MENU_MAIN_PANEL_Y + MENU_PANEL_H * (m.cursor - 1))
                << "the lit item is the cursor's";
        } else if (m.state == MENU_DIFFICULTY) {
            ASSERT_GE(m.cursor, 1);
            ASSERT_LE(m.cursor, MENU_DIFFICULTY_ITEMS);
        }

        ASSERT_GE(p.frame, 0);
        ASSERT_LT(p.frame, RUNNER_FRAMES);
        ASSERT_TRUE(flag(p.malus));
        ASSERT_GE(p.malus_timer, 0);
        ASSERT_LT(p.malus_timer, MALUS_FRAMES);
        ASSERT_TRUE(flag(p.player.aux1));
        ASSERT_GE(p.cpu.aux2, 0);
        ASSERT_LE(p.cpu.aux2, 2);
        // One step a turn at most past the clamp that the next frame applies.
        ASSERT_LE(p.player.x, RUNNER_MAX_X + 1);
        ASSERT_LE(p.cpu.x, RUNNER_MAX_X + 1);
        ASSERT_GE(p.player.x, START_X);
        ASSERT_GE(p.cpu.x, START_X);
        const int level = before.general.level;
        const bool race_level = before.general.screen == SCREEN_PLAY &&
                                ((level >= 1 && level <= 9) || level == LEVEL_BONUS);
        if (race_level) {
            // Replace_position ran this turn: the runners were drawn no further than the clamp.
            ASSERT_LE(p.player.dest.x, RUNNER_MAX_X);
            ASSERT_LE(p.cpu.dest.x, RUNNER_MAX_X);
        }

        const int played[] = {s.played_theme,  s.played_gameover,   s.played_count3,
                              s.played_count2, s.played_count1,     s.played_start,
                              s.played_earlystart, s.played_pause, s.played_levelwin};
        for (int value : played) ASSERT_TRUE(flag(value));

        ASSERT_TRUE(game.anim.phase == 0 || game.anim.phase == 1);
        ASSERT_GE(game.anim.strip, 0);
        ASSERT_LE(game.anim.strip, CURTAIN_STRIPS);
        for (int i = 0; i < LEVEL_COUNT; ++i) {
            const Niveau& n = game.niveau[i];
            ASSERT_TRUE(flag(n.started)) << "record " << i;
            ASSERT_TRUE(flag(n.paused)) << "record " << i;
            ASSERT_TRUE(n.outcome == -1 || n.outcome == 0 || n.outcome == 1) << "record " << i;
            for (const Sentinelle& senti : n.senti) {
                ASSERT_GE(senti.state, SENTINEL_IDLE) << "record " << i;
                ASSERT_LE(senti.state, SENTINEL_WATCHING) << "record " << i;
                ASSERT_GE(senti.timer, -20) << "record " << i;
                ASSERT_LE(senti.timer, 600 + 250) << "record " << i;
            }
        }
        if (g.screen == SCREEN_PLAY && g.level >= 1 && g.level <= LEVEL_BONUS && g.level != LEVEL_ENDING) {
            const Niveau& n = game.niveau[g.level - 1];
            visits.paused += n.paused;
            visits.won += n.outcome == -1;
            visits.lost += n.outcome == 1;
            for (const Sentinelle& senti : n.senti) visits.watching += senti.state == SENTINEL_WATCHING;
        }
        visits.malus += p.malus;
        if (g.screen == SCREEN_MENU) visits.menu_states[m.state] += 1;
        if (g.screen == SCREEN_PLAY) visits.levels[g.level] += 1;
    }

    GameDir dir;
    Game game;
    bool running = false;
    int file_unlock = 0;
    Player player{GetParam().value};
    Visits visits;
};

TEST_P(Property, RandomPlayKeepsEveryRecordInRangeInEveryScene) {
    const Seed seed = GetParam();
    if (seed.unlock_file != nullptr) dir.write(UNLOCK_PATH, seed.unlock_file);
    const long total = turns_per_seed();
    start_run();
    ASSERT_FALSE(HasFatalFailure());

    for (long turn = 0; turn < total; ++turn) {
        player.push_turn_events(game);
        const Game before = game;
        Game_Turn(&game);
        check(before, turn);
        if (HasFatalFailure()) return;
        if (continuer == 0) {
            // Quit from the menu: this run is over; the next one reads the unlock file back.
            ASSERT_EQ(before.general.screen, SCREEN_MENU);
            visits.menu_quits += 1;
            end_run();
            start_run();
            if (HasFatalFailure()) return;
        }
    }

    // The end of the last run: Escape or the window's close, queued behind the rest.
    SDL_Event quit = key_event(SDL_KEYDOWN, KEY_ESCAPE);
    if (seed.value % 2 == 0) quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    int extra = 0;
    while (continuer == 1 && extra < 100) {
        Game_Turn(&game);
        extra += 1;
    }
    EXPECT_EQ(continuer, 0) << "the quit event ends the loop";

    std::ostringstream seen;
    seen << "seed " << seed.value << ": " << total << " turns in " << visits.runs << " runs ("
         << visits.menu_quits << " quit from the menu); menu turns by state";
    for (int state = MENU_MAIN; state <= MENU_CREDITS; ++state) seen << ' ' << visits.menu_states[state];
    seen << "; play turns by level";
    for (int level = 0; level <= 12; ++level) seen << ' ' << visits.levels[level];
    seen << "; paused " << visits.paused << ", won " << visits.won << ", lost " << visits.lost
         << ", false-start penalty " << visits.malus << ", watching sentinels " << visits.watching
         << ", unlock files written " << visits.unlocks_written;
    std::printf("%s\n", seen.str().c_str());

    // The run must have gone everywhere, or the invariants proved little.
    if (total < COVERAGE_TURNS) return;
    EXPECT_GT(visits.menu_states[MENU_MAIN], 0);
    EXPECT_GT(visits.menu_states[MENU_DIFFICULTY], 0);
    EXPECT_GT(visits.menu_states[MENU_PAGE_STATE] + visits.menu_states[MENU_CREDITS], 0)
        << "neither the page nor the credits";
    for (int level = 1; level <= LEVEL_ENDING; ++level) {
        EXPECT_GT(visits.levels[level], 0) << "level " << level << " never played";
    }
    const bool bonus_opens = seed.unlock_file == nullptr || seed.unlock_file[0] <= '1';
    if (bonus_opens) {
        EXPECT_GT(visits.levels[LEVEL_BONUS], 0) << "the bonus level never played";
        EXPECT_GT(visits.levels[12], 0) << "the bonus level never won";
    } else {
        EXPECT_EQ(visits.levels[LEVEL_BONUS], 0) << "a count of 7 keeps the bonus locked";
    }
    EXPECT_GT(visits.paused, 0);
    EXPECT_GT(visits.won, 0);
    EXPECT_GT(visits.lost, 0);
    EXPECT_GT(visits.malus, 0);
    EXPECT_GT(visits.watching, 0);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Property, testing::ValuesIn(SEEDS),
                         [](const testing::TestParamInfo<Seed>& info) {
                             return "Seed" + std::to_string(info.param.value);
                         });

}  // namespace
