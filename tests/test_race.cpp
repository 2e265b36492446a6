// Race flow: the intro to the frame, false starts, the outcome banners and their
// keys, the pause and the win key, driven through level-1 frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

constexpr int NEXT_X = -15;  // level 2's start point
constexpr int NEXT_Y = 71;
constexpr int RACE_START = 393;  // the frame in which the intro ends and the race begins

enum Shown { NONE, THREE, TWO, ONE, GO, FALSE_START };

// The countdown picture on screen in frame f of an intro nothing interrupts.
Shown intro_shows(int f) {
    if (f <= 137 || f > RACE_START) return NONE;
    if (f <= 183) return THREE;
    if (f <= 253) return TWO;
    return f <= 323 ? ONE : GO;
}

struct Race : ::testing::Test {
    void SetUp() override {
        screen = make_surface(SCREEN_W, SCREEN_H);
        general.level_sheet = make_sheet(LVL_SHEET_W, LVL_SHEET_H);
        anim.sheet = make_sheet(ANIM_SHEET_W, ANIM_SHEET_H);
        perso.sheet = make_sheet(RUNNER_SHEET_W, RUNNER_SHEET_H);
        General_Init(&general);
        Menu_Init(&menu);
        Anim_Init(&anim);
        Perso_Init(&perso, START_X, START_Y_MENU);
        PlayedSong_Init(&sons);
        Senti_Activation_Init(&niveau);
        Init_baton(&niveau.senti[0], 240, 113);
        Init_boule(&niveau.senti[0]);
        Init_vision(&niveau.senti[0], CONE_SHEET_X, 0);
        general.screen = SCREEN_PLAY;
        general.level = 1;
    }
    void TearDown() override {
        for (SDL_Surface* s : {screen, general.level_sheet, anim.sheet, perso.sheet}) SDL_FreeSurface(s);
    }
    // One frame of level 1 in the level frame's order (without the bars, which
    // would paint over what the tests look at), then the main loop's key latch.
    void frame() {
        fill(screen, 0xFF000000);
        Replace_position(&niveau, &perso);
        blit_sentinelle(&niveau.senti[0], screen, &general);
        perso_anim(&perso, screen, &general);
        intro_anim(&perso, &general, &niveau, &anim, screen, &sons);
        if (niveau.started == 1 && niveau.outcome == 0 && niveau.paused == 0) {
            check_malus(&general, &perso, &anim, screen);
            stop_cpu(&general, &perso, &niveau);
            if (perso.cpu.aux1 == 1) perso.cpu.x += 1;
            check_if_see(&niveau.senti[0], &perso, 155, 295, 0, 173);
            vision_sys(20, &niveau.senti[0]);
            for (const Segment& s : SLOPES_1) follow_the_line(&general, &perso, s.from, s.to, s.dy);
        }
        check_who_win(&general, &perso, &niveau, &anim, screen, &menu, NEXT_X, NEXT_Y, &sons);
        Paused(&menu, &general, &sons, &niveau, &anim, screen);
        cheat(&general, &niveau);
        general.key_consumed = general.event.type == SDL_KEYDOWN ? 1 : 0;
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }
    void press(SDLKey key) { set_key(&general, SDL_KEYDOWN, key); }
    void key(SDLKey key) {  // a frame in which the key goes down
        press(key);
        frame();
    }
    void lift(SDLKey key) {  // a frame in which it comes up
        set_key(&general, SDL_KEYUP, key);
        frame();
    }
    bool banner(SheetRect r) { return block_drawn(screen, BANNER_X, BANNER_Y, r.x, r.y, r.w, r.h); }
    Shown countdown_shown() {
        const SheetRect pictures[] = {ANIM_COUNT3, ANIM_COUNT2, ANIM_COUNT1, ANIM_GO, ANIM_FALSE_START};
        for (int i = 0; i < 5; ++i) {
            if (banner(pictures[i])) return static_cast<Shown>(i + 1);
        }
        return NONE;
    }
    bool curtain_row(int y) {
        return pixel_at(screen, 400, y) == sheet_pixel(400, ANIM_CURTAIN.y + y % ANIM_CURTAIN.h);
    }
    void start_race() {  // straight to the race, as the intro leaves it
        niveau.started = 1;
        anim.phase = 1;
        anim.count = 280;
    }
    SDL_Surface* screen = nullptr;
    General general{};
    Menu menu{};
    Anim anim{};
    Perso perso{};
    Sons sons{};
    Niveau niveau{};
};

// Right goes down in frame 100, during the curtain, and stays down: no false start.
TEST_F(Race, TheIntroRunsToTheFrameAndARightHeldSinceTheCurtainIsNoFalseStart) {
    for (int f = 1; f <= 400; ++f) {
        if (f == 100) press(KEY_RIGHT);
        frame();
        SCOPED_TRACE("frame " + std::to_string(f));
        // Strip i closes in frame 10 + 9 i; the countdown takes over once strip 14 has.
        for (int i = 0; i < CURTAIN_STRIPS; ++i) {
            ASSERT_EQ(anim.strips[i].src.h == 0, i <= 14 && f >= 10 + 9 * i) << "strip " << i;
        }
        ASSERT_EQ(anim.phase, f >= 137 ? 1 : 0);
        ASSERT_EQ(sons.played_count3, f >= 138 ? 1 : 0);
        ASSERT_EQ(sons.played_count2, f >= 183 ? 1 : 0);
        ASSERT_EQ(sons.played_count1, f >= 253 ? 1 : 0);
        ASSERT_EQ(sons.played_start, f >= 323 ? 1 : 0);
        ASSERT_EQ(niveau.started, f >= RACE_START ? 1 : 0);
        ASSERT_EQ(countdown_shown(), intro_shows(f));
        ASSERT_EQ(perso.malus + sons.played_earlystart, 0);
        // The race rules run from the frame in which the intro ends.
        ASSERT_EQ(niveau.senti[0].timer, std::max(0, f - RACE_START + 1));
        ASSERT_EQ(perso.cpu.x, START_X + std::max(0, f - RACE_START + 1));
        ASSERT_EQ(perso.player.x, START_X + std::max(0, f - RACE_START + 1));
        if (f == 1) {
            EXPECT_TRUE(curtain_row(0) && curtain_row(19) && curtain_row(20) && curtain_row(259));
        } else if (f == 2) {
            EXPECT_TRUE(curtain_row(17) && !curtain_row(18)) << "the first strip lost two rows";
        } else if (f == 127 || f == 128) {
            EXPECT_EQ(curtain_row(260), f == 127) << "strip 13 is drawn a last time in 127";
        }
    }
}

// A press of Right in countdown frame `press`, and how many countdown chunks had
// sounded by then (1: three; 2: three and two; ...).
struct FalseStartCase {
    int press, sounded;
};
struct FalseStart : Race, ::testing::WithParamInterface<FalseStartCase> {};

TEST_P(FalseStart, SilencesTheRestOfTheCountdownAndCostsAHundredRaceFrames) {
    const auto [at, sounded] = GetParam();
    // The countdown draws its picture before choosing the next one, so the penalty
    // picture shows two frames after the press; in frame 393 check_malus draws it
    // again after the intro has chosen it. A press in frame 393 is seen by the
    // intro's last frame: its picture shows from 394 and its sound never plays.
    const int penalty_shown = at < RACE_START - 1 ? at + 2 : at + 1;
    for (int f = 1; f <= 500; ++f) {
        if (f == at) press(KEY_RIGHT);  // and held from then on
        frame();
        SCOPED_TRACE("frame " + std::to_string(f));
        const Shown shown = countdown_shown();
        if (f < penalty_shown) {
            ASSERT_EQ(shown, intro_shows(f));
        } else {
            ASSERT_EQ(shown, f <= 492 ? FALSE_START : NONE);
        }
        ASSERT_EQ(perso.malus, f >= at && f < 492 ? 1 : 0);
        ASSERT_EQ(sons.played_earlystart, f > at && at < RACE_START ? 1 : 0);
        // No step in the first 99 race frames; the 100th, frame 492, steps.
        ASSERT_EQ(perso.player.x, START_X + std::max(0, f - 491));
    }
    EXPECT_EQ(niveau.started, 1);
    EXPECT_EQ(sons.played_count3, 1);
    EXPECT_EQ(sons.played_count2, sounded >= 2 ? 1 : 0);
    EXPECT_EQ(sons.played_count1, sounded >= 3 ? 1 : 0);
    EXPECT_EQ(sons.played_start, sounded >= 4 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Countdown, FalseStart,
                         ::testing::Values(FalseStartCase{138, 1}, FalseStartCase{183, 2},
                                           FalseStartCase{300, 3}, FalseStartCase{330, 4},
                                           FalseStartCase{392, 4}, FalseStartCase{393, 4}),
                         [](const auto& info) { return "Frame" + std::to_string(info.param.press); });

TEST_F(Race, TheFinishLineGoesToThePlayerFirstAndShowsNoBannerThatFrame) {
    const int cases[][3] = {{437, 437, -1}, {437, 300, -1}, {436, 437, 1}, {436, 436, 0}};
    for (const auto& [player_x, cpu_x, outcome] : cases) {
        niveau.outcome = 0;
        perso.player.x = player_x;
        perso.cpu.x = cpu_x;
        fill(screen, 0xFF000000);
        check_who_win(&general, &perso, &niveau, &anim, screen, &menu, NEXT_X, NEXT_Y, &sons);
        EXPECT_EQ(niveau.outcome, outcome) << player_x << " " << cpu_x;
        EXPECT_FALSE(banner(ANIM_WON) || banner(ANIM_LOST));
        EXPECT_EQ(sons.played_levelwin + sons.played_gameover, 0);
    }
}

TEST_F(Race, AWonRaceWaitsOnItsBannerForAFreshReturnThenPreparesTheNextLevel) {
    start_race();
    perso.player.x = 436;
    key(KEY_RIGHT);  // crosses the line
    EXPECT_EQ(niveau.outcome, -1);
    frame();
    EXPECT_TRUE(banner(ANIM_WON));
    EXPECT_EQ(sons.played_levelwin, 1);
    press(KEY_RETURN);
    general.key_consumed = 1;  // already acted on elsewhere: not fresh
    frames(11);
    EXPECT_EQ(general.level, 1);
    EXPECT_TRUE(banner(ANIM_WON));

    lift(KEY_RETURN);
    sons.played_count3 = 1;
    anim.phase = 1;
    anim.strip = 5;
    perso.malus = 1;
    key(KEY_RETURN);
    EXPECT_EQ(general.level, 2);
    EXPECT_EQ(general.screen, SCREEN_PLAY);
    EXPECT_EQ(perso.player.x, NEXT_X);
    EXPECT_EQ(perso.player.y, NEXT_Y);
    EXPECT_EQ(perso.cpu.y, NEXT_Y - 5);
    EXPECT_EQ(perso.malus + anim.phase + anim.count + anim.strip, 0);
    EXPECT_EQ(sons.played_levelwin + sons.played_count3, 0);
}

TEST_F(Race, ALostRaceGoesBackToTheMenuOnAFreshSpaceWithoutPausing) {
    start_race();
    perso.cpu.x = 436;
    menu.state = MENU_CREDITS;
    general.difficulty = 1;
    frame();
    EXPECT_EQ(niveau.outcome, 1);
    frame();
    EXPECT_TRUE(banner(ANIM_LOST));
    EXPECT_EQ(sons.played_gameover, 1);
    key(KEY_RETURN);  // not the key of this banner
    EXPECT_EQ(general.screen, SCREEN_PLAY);
    lift(KEY_RETURN);
    key(KEY_SPACE);
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level + general.difficulty, 0);
    EXPECT_EQ(menu.state, MENU_MAIN);
    EXPECT_EQ(niveau.paused + sons.played_pause, 0) << "the space was not taken as a pause";
    EXPECT_EQ(sons.played_gameover, 0);
    EXPECT_EQ(perso.player.x, 0);
    EXPECT_EQ(perso.player.y, 173);
    EXPECT_EQ(perso.cpu.y, 168);
    EXPECT_EQ(anim.phase, 0);
    EXPECT_EQ(anim.strips[0].src.h, 20);
}

TEST_F(Race, SpaceOnTheWonBannerPausesAndReturnThenReachesBothHandlers) {
    start_race();
    niveau.outcome = -1;
    key(KEY_SPACE);
    EXPECT_EQ(niveau.paused, 1);
    EXPECT_EQ(sons.played_pause, 1);
    EXPECT_TRUE(banner(ANIM_PAUSE)) << "the pause banner over the won banner";
    lift(KEY_SPACE);
    key(KEY_RETURN);
    // check_who_win moved on to level 2, then Paused left for the menu at level 1.
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level, 1);
    EXPECT_EQ(perso.player.y, NEXT_Y);
    EXPECT_EQ(anim.phase, 0);
    EXPECT_EQ(niveau.paused, 1) << "until the level is prepared again";
}

TEST_F(Race, SpacePausesAndResumesTheRaceOnlyOnceItHasStarted) {
    frames(200);  // countdown
    key(KEY_SPACE);
    EXPECT_EQ(niveau.paused, 0) << "no pause during the intro";
    lift(KEY_SPACE);
    frames(200);
    ASSERT_EQ(niveau.started, 1);
    key(KEY_RETURN);
    EXPECT_EQ(general.screen, SCREEN_PLAY) << "Return only counts in a pause";
    lift(KEY_RETURN);

    key(KEY_SPACE);
    EXPECT_EQ(niveau.paused, 1);
    EXPECT_EQ(sons.played_pause, 1);
    const int cpu_x = perso.cpu.x, timer = niveau.senti[0].timer, anim_frame = perso.frame;
    frames(30);  // the key stays down: no second toggle
    EXPECT_EQ(niveau.paused, 1);
    EXPECT_TRUE(banner(ANIM_PAUSE));
    EXPECT_EQ(perso.cpu.x, cpu_x) << "the race stands still";
    EXPECT_EQ(niveau.senti[0].timer, timer);
    EXPECT_NE(perso.frame, anim_frame) << "the runners' cycle goes on";

    lift(KEY_SPACE);
    key(KEY_SPACE);
    EXPECT_EQ(niveau.paused, 0);
    EXPECT_EQ(sons.played_pause, 0) << "ready to sound at the next pause";
    EXPECT_FALSE(banner(ANIM_PAUSE));
    lift(KEY_SPACE);
    EXPECT_GT(perso.cpu.x, cpu_x);
    key(KEY_SPACE);
    EXPECT_EQ(sons.played_pause, 1) << "the jingle again";

    lift(KEY_SPACE);
    key(KEY_RETURN);
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level, 1);
    EXPECT_EQ(niveau.paused, 1);
}

TEST_F(Race, AFreshBackspaceWinsDuringTheCountdownInAPauseAndAfterALoss) {
    frames(149);
    key(KEY_BACKSPACE);  // 150
    EXPECT_EQ(niveau.outcome, -1);
    EXPECT_EQ(sons.played_levelwin, 0) << "the banner comes from the next frame";
    frames(40);  // to 190
    EXPECT_EQ(sons.played_levelwin, 1);
    EXPECT_TRUE(banner(ANIM_WON));
    EXPECT_EQ(sons.played_count2, 1) << "the countdown went on";
    EXPECT_EQ(anim.phase, 1);
    lift(KEY_BACKSPACE);
    key(KEY_RETURN);
    EXPECT_EQ(general.level, 2);
    EXPECT_EQ(anim.phase, 0);

    // cheat itself: only a fresh key, whether paused or lost.
    const int cases[][4] = {{1, 0, 1, 0}, {1, 0, 0, -1}, {0, 1, 0, -1}};  // paused, outcome, latch, after
    for (const auto& [paused, outcome, latch, after] : cases) {
        niveau.paused = paused;
        niveau.outcome = outcome;
        press(KEY_BACKSPACE);
        general.key_consumed = latch;
        cheat(&general, &niveau);
        EXPECT_EQ(niveau.outcome, after) << "paused " << paused << " outcome " << outcome << " latch " << latch;
    }
}

}  // namespace
