// Race flow: the intro to the frame, false starts, the outcome banners and their
// keys, the pause and the win key, driven through level-1 frames.
#include <gtest/gtest.h>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

constexpr int NEXT_X = -15;  // level 2's start point
constexpr int NEXT_Y = 71;

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
        SDL_FreeSurface(screen);
        SDL_FreeSurface(general.level_sheet);
        SDL_FreeSurface(anim.sheet);
        SDL_FreeSurface(perso.sheet);
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
    void release(SDLKey key) { set_key(&general, SDL_KEYUP, key); }
    bool banner(SheetRect r) { return block_drawn(screen, BANNER_X, BANNER_Y, r.x, r.y, r.w, r.h); }
    // The countdown picture now on screen, 0 when none of them is.
    int countdown_shown() {
        const SheetRect pictures[] = {ANIM_COUNT3, ANIM_COUNT2, ANIM_COUNT1, ANIM_GO,
                                      ANIM_FALSE_START};
        for (int i = 0; i < 5; ++i) {
            if (banner(pictures[i])) return i + 1;
        }
        return 0;
    }
    bool curtain_row(int y) {
        return pixel_at(screen, 400, y) == sheet_pixel(400, ANIM_CURTAIN.y + y % ANIM_CURTAIN.h);
    }
    // Straight to the race, as the intro leaves it.
    void start_race() {
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

enum Shown { NONE, THREE, TWO, ONE, GO, FALSE_START };

bool placed(const Sprite& sprite, int x, int y, SheetRect src) {
    return sprite.dest.x == x && sprite.dest.y == y && sprite.src.x == src.x &&
           sprite.src.y == src.y && sprite.src.w == src.w && sprite.src.h == src.h;
}

TEST_F(Race, AnimInitRestoresCurtainBannersAndCounters) {
    SDL_Surface* sheet = anim.sheet;
    frames(200);
    Anim_Init(&anim);
    for (int i = 0; i < CURTAIN_STRIPS; ++i) {
        EXPECT_TRUE(placed(anim.strips[i], 0, 20 * i, {0, 262, 480, 20})) << "strip " << i;
    }
    EXPECT_TRUE(placed(anim.lose, 62, 71, {690, 131, 345, 131}));
    EXPECT_TRUE(placed(anim.win, 62, 71, {345, 131, 345, 131}));
    EXPECT_TRUE(placed(anim.countdown, 62, 71, {0, 0, 345, 131}));
    EXPECT_TRUE(placed(anim.pause, 62, 71, {0, 131, 345, 120}));
    EXPECT_EQ(anim.phase + anim.strip + anim.count, 0);
    EXPECT_EQ(anim.sheet, sheet);
}

TEST_F(Race, TheIntroRunsToTheFrame) {
    int closed[CURTAIN_STRIPS] = {};
    int phase_switch = 0, started = 0;
    int count3 = 0, count2 = 0, count1 = 0, go = 0;
    for (int f = 1; f <= 400; ++f) {
        const int was_started = niveau.started;
        frame();
        for (int i = 0; i < CURTAIN_STRIPS; ++i) {
            if (closed[i] == 0 && anim.strips[i].src.h == 0) closed[i] = f;
        }
        if (phase_switch == 0 && anim.phase == 1) phase_switch = f;
        if (started == 0 && niveau.started == 1) started = f;
        if (count3 == 0 && sons.played_count3 == 1) count3 = f;
        if (count2 == 0 && sons.played_count2 == 1) count2 = f;
        if (count1 == 0 && sons.played_count1 == 1) count1 = f;
        if (go == 0 && sons.played_start == 1) go = f;

        // What the frame shows.
        const int shown = countdown_shown();
        if (f <= 137 || f >= 394) {
            ASSERT_EQ(shown, NONE) << "frame " << f;
        } else if (f <= 183) {
            ASSERT_EQ(shown, THREE) << "frame " << f;
        } else if (f <= 253) {
            ASSERT_EQ(shown, TWO) << "frame " << f;
        } else if (f <= 323) {
            ASSERT_EQ(shown, ONE) << "frame " << f;
        } else {
            ASSERT_EQ(shown, GO) << "frame " << f;
        }
        if (f == 1) {
            EXPECT_TRUE(curtain_row(0) && curtain_row(19) && curtain_row(20) && curtain_row(259));
        }
        if (f == 2) {
            EXPECT_TRUE(curtain_row(17));
            EXPECT_FALSE(curtain_row(18)) << "the first strip lost two rows";
        }
        if (f == 127) {
            EXPECT_TRUE(curtain_row(260)) << "strip 13 is drawn a last time";
        }
        if (f == 128) {
            EXPECT_FALSE(curtain_row(260));
        }
        // The race rules run from the frame in which the intro ends.
        if (was_started == 0 && niveau.started == 0) {
            ASSERT_EQ(niveau.senti[0].timer, 0) << "frame " << f;
            ASSERT_EQ(perso.cpu.x, START_X) << "frame " << f;
        }
    }
    for (int i = 0; i <= 14; ++i) EXPECT_EQ(closed[i], 10 + 9 * i) << "strip " << i;
    EXPECT_EQ(closed[15], 0) << "the countdown stops the curtain";
    EXPECT_EQ(phase_switch, 137);
    EXPECT_EQ(count3, 138);
    EXPECT_EQ(count2, 183);
    EXPECT_EQ(count1, 253);
    EXPECT_EQ(go, 323);
    EXPECT_EQ(started, 393);
    EXPECT_EQ(sons.played_earlystart, 0);
    // Frames 393 to 400 were race frames.
    EXPECT_EQ(niveau.senti[0].timer, 8);
    EXPECT_EQ(perso.cpu.x, START_X + 8);
}

TEST_F(Race, TheEndingStartsAtTheCurtainsEndWithoutACountdown) {
    general.level = LEVEL_ENDING;
    int started = 0;
    for (int f = 1; f <= 300; ++f) {
        intro_anim(&perso, &general, &niveau, &anim, screen, &sons);
        if (started == 0 && niveau.started == 1) started = f;
    }
    EXPECT_EQ(started, 137);
    EXPECT_EQ(anim.phase, 0);
    EXPECT_EQ(sons.played_count3 + sons.played_count2 + sons.played_count1 + sons.played_start, 0);
}

// The frame of a press of Right during the countdown, and how many countdown
// chunks had sounded by then (1: three; 2: three and two; ...).
struct FalseStartCase {
    int press;
    int sounded;
};

struct FalseStart : Race, ::testing::WithParamInterface<FalseStartCase> {};

TEST_P(FalseStart, SilencesTheRestOfTheCountdownAndCostsAHundredRaceFrames) {
    const FalseStartCase c = GetParam();
    for (int f = 1; f <= 500; ++f) {
        if (f == c.press) press(KEY_RIGHT);  // and held from then on
        frame();
        const int shown = countdown_shown();
        if (f == c.press) {
            ASSERT_EQ(perso.malus, 1);
            ASSERT_EQ(sons.played_earlystart, 0);
        }
        if (f == c.press + 1) {
            ASSERT_EQ(sons.played_earlystart, 1);
            // Before the race the picture still lags a frame; in frame 393 check_malus
            // draws the banner again after the intro has changed it.
            if (f < 393) {
                ASSERT_NE(shown, FALSE_START);
            }
        }
        if (f >= c.press + 2 && f <= 492) {
            ASSERT_EQ(shown, FALSE_START) << "frame " << f;
        }
        if (f == 493) {
            ASSERT_EQ(shown, NONE);
        }
        // No step in the first 99 race frames; the 100th, frame 492, steps.
        if (f < 492) {
            ASSERT_EQ(perso.player.x, START_X) << "frame " << f;
        }
    }
    EXPECT_EQ(sons.played_count3, 1);
    EXPECT_EQ(sons.played_count2, c.sounded >= 2 ? 1 : 0);
    EXPECT_EQ(sons.played_count1, c.sounded >= 3 ? 1 : 0);
    EXPECT_EQ(sons.played_start, c.sounded >= 4 ? 1 : 0);
    EXPECT_EQ(perso.player.x, START_X + 9);  // frames 492 to 500
    EXPECT_EQ(perso.malus, 0);
}

INSTANTIATE_TEST_SUITE_P(Countdown, FalseStart,
                         ::testing::Values(FalseStartCase{138, 1}, FalseStartCase{150, 1},
                                           FalseStartCase{183, 2}, FalseStartCase{200, 2},
                                           FalseStartCase{300, 3}, FalseStartCase{330, 4},
                                           FalseStartCase{392, 4}));

TEST_F(Race, AFalseStartInTheLastCountdownFrameShowsTheStartPictureOnceMore) {
    frames(392);
    press(KEY_RIGHT);
    frame();  // 393: the countdown ends, the press still counts
    EXPECT_EQ(niveau.started, 1);
    EXPECT_EQ(perso.malus, 1);
    EXPECT_EQ(perso.player.x, START_X) << "no step in that frame";
    EXPECT_EQ(countdown_shown(), GO);
    frame();  // 394
    EXPECT_EQ(countdown_shown(), FALSE_START);
    EXPECT_EQ(sons.played_earlystart, 0) << "the intro no longer runs";
    frames(97);  // 395 to 491
    EXPECT_EQ(perso.player.x, START_X);
    frame();  // 492: the hundredth race frame of the penalty
    EXPECT_EQ(perso.player.x, START_X + 1);
    EXPECT_EQ(perso.malus, 0);
}

TEST_F(Race, ARightPressedDuringTheCurtainIsNoFalseStart) {
    frames(99);
    press(KEY_RIGHT);  // frame 100, held through the countdown
    frames(293);       // to 392
    EXPECT_EQ(perso.malus, 0);
    EXPECT_EQ(perso.player.x, START_X);
    frame();  // 393: the first race frame steps at once
    EXPECT_EQ(perso.player.x, START_X + 1);
    EXPECT_EQ(sons.played_start, 1);
    EXPECT_EQ(sons.played_earlystart, 0);
}

TEST_F(Race, TheFinishLineGoesToThePlayerFirstAndShowsNoBannerThatFrame) {
    struct Case {
        int player_x, cpu_x, outcome;
    };
    const Case cases[] = {{437, 437, -1}, {437, 300, -1}, {436, 437, 1}, {436, 436, 0}};
    for (const Case& c : cases) {
        niveau.outcome = 0;
        perso.player.x = c.player_x;
        perso.cpu.x = c.cpu_x;
        fill(screen, 0xFF000000);
        check_who_win(&general, &perso, &niveau, &anim, screen, &menu, NEXT_X, NEXT_Y, &sons);
        EXPECT_EQ(niveau.outcome, c.outcome) << c.player_x << " " << c.cpu_x;
        EXPECT_FALSE(banner(ANIM_WON) || banner(ANIM_LOST));
        EXPECT_EQ(sons.played_levelwin + sons.played_gameover, 0);
    }
}

TEST_F(Race, AWonRaceWaitsOnItsBannerForAFreshReturn) {
    start_race();
    perso.player.x = 436;
    press(KEY_RIGHT);
    frame();  // crosses the line
    EXPECT_EQ(niveau.outcome, -1);
    frame();
    EXPECT_TRUE(banner(ANIM_WON));
    EXPECT_EQ(sons.played_levelwin, 1);
    press(KEY_RETURN);
    general.key_consumed = 1;  // already acted on elsewhere: not fresh
    frame();
    frames(10);
    EXPECT_EQ(general.level, 1);
    EXPECT_TRUE(banner(ANIM_WON));

    release(KEY_RETURN);
    frame();
    sons.played_count3 = 1;
    anim.phase = 1;
    perso.malus = 1;
    press(KEY_RETURN);
    frame();
    EXPECT_EQ(general.level, 2);
    EXPECT_EQ(general.screen, SCREEN_PLAY);
    EXPECT_EQ(perso.player.x, NEXT_X);
    EXPECT_EQ(perso.player.y, NEXT_Y);
    EXPECT_EQ(perso.cpu.y, NEXT_Y - 5);
    EXPECT_EQ(perso.malus, 0);
    EXPECT_EQ(anim.phase, 0);
    EXPECT_EQ(anim.count, 0);
    EXPECT_EQ(sons.played_levelwin, 0);
    EXPECT_EQ(sons.played_count3, 0);
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
    press(KEY_RETURN);  // not the key of this banner
    frame();
    EXPECT_EQ(general.screen, SCREEN_PLAY);
    release(KEY_RETURN);
    frame();
    press(KEY_SPACE);
    frame();
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level, 0);
    EXPECT_EQ(general.difficulty, 0);
    EXPECT_EQ(menu.state, MENU_MAIN);
    EXPECT_EQ(niveau.paused, 0) << "the space was not taken as a pause";
    EXPECT_EQ(sons.played_pause, 0);
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
    press(KEY_SPACE);
    frame();
    EXPECT_EQ(niveau.paused, 1);
    EXPECT_EQ(sons.played_pause, 1);
    EXPECT_TRUE(banner(ANIM_PAUSE)) << "the pause banner over the won banner";
    release(KEY_SPACE);
    frame();
    press(KEY_RETURN);
    frame();
    // check_who_win moved on to level 2, then Paused left for the menu at level 1.
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level, 1);
    EXPECT_EQ(perso.player.y, NEXT_Y);
    EXPECT_EQ(anim.phase, 0);
    EXPECT_EQ(niveau.paused, 1) << "until the level is prepared again";
}

TEST_F(Race, SpacePausesAndResumesTheRaceOnlyOnceItHasStarted) {
    frames(200);  // countdown
    press(KEY_SPACE);
    frame();
    EXPECT_EQ(niveau.paused, 0) << "no pause during the intro";
    release(KEY_SPACE);
    frames(200);
    ASSERT_EQ(niveau.started, 1);
    press(KEY_RETURN);
    frame();
    EXPECT_EQ(general.screen, SCREEN_PLAY) << "Return only counts in a pause";
    release(KEY_RETURN);
    frame();

    press(KEY_SPACE);
    frame();
    EXPECT_EQ(niveau.paused, 1);
    EXPECT_EQ(sons.played_pause, 1);
    EXPECT_TRUE(banner(ANIM_PAUSE));
    const int cpu_x = perso.cpu.x;
    const int timer = niveau.senti[0].timer;
    const int anim_frame = perso.frame;
    frames(30);  // the key stays down: no second toggle
    EXPECT_EQ(niveau.paused, 1);
    EXPECT_EQ(perso.cpu.x, cpu_x) << "the race stands still";
    EXPECT_EQ(niveau.senti[0].timer, timer);
    EXPECT_NE(perso.frame, anim_frame) << "the runners' cycle goes on";
    EXPECT_TRUE(banner(ANIM_PAUSE));

    release(KEY_SPACE);
    frame();
    press(KEY_SPACE);
    frame();
    EXPECT_EQ(niveau.paused, 0);
    EXPECT_EQ(sons.played_pause, 0) << "ready to sound at the next pause";
    EXPECT_FALSE(banner(ANIM_PAUSE));
    release(KEY_SPACE);
    frame();
    EXPECT_GT(perso.cpu.x, cpu_x);
    press(KEY_SPACE);
    frame();
    EXPECT_EQ(sons.played_pause, 1) << "the jingle again";

    release(KEY_SPACE);
    frame();
    press(KEY_RETURN);
    frame();
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level, 1);
    EXPECT_EQ(niveau.paused, 1);
}

TEST_F(Race, BackspaceDuringTheCountdownWinsWhileTheCountdownGoesOn) {
    frames(149);
    press(KEY_BACKSPACE);
    frame();  // 150
    EXPECT_EQ(niveau.outcome, -1);
    EXPECT_EQ(sons.played_levelwin, 0) << "the banner comes from the next frame";
    frames(40);  // to 190
    EXPECT_EQ(sons.played_levelwin, 1);
    EXPECT_TRUE(banner(ANIM_WON));
    EXPECT_EQ(sons.played_count2, 1) << "the countdown went on";
    EXPECT_EQ(anim.phase, 1);
    release(KEY_BACKSPACE);
    frame();
    press(KEY_RETURN);
    frame();
    EXPECT_EQ(general.level, 2);
    EXPECT_EQ(anim.phase, 0);
}

TEST_F(Race, BackspaceWinsInAPauseAndTurnsALossButOnlyWhenFresh) {
    start_race();
    niveau.paused = 1;
    press(KEY_BACKSPACE);
    general.key_consumed = 1;
    cheat(&general, &niveau);
    EXPECT_EQ(niveau.outcome, 0);
    general.key_consumed = 0;
    cheat(&general, &niveau);
    EXPECT_EQ(niveau.outcome, -1);

    niveau.paused = 0;
    niveau.outcome = 1;
    cheat(&general, &niveau);
    EXPECT_EQ(niveau.outcome, -1);
}

}  // namespace
