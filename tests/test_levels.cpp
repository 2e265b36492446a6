// Levels: the prepared records, the frame's order of rules, the road through
// level 9, the ending and the bonus level, and whole games through the loop.
#include <gtest/gtest.h>

#include <filesystem>

#include "fonction.h"
#include "jeu.h"
#include "main.h"
#include "menu.h"
#include "support.h"

namespace {

// Pole positions and bands as the level design gives them, written out again
// here so that a slip in the game's table shows.
struct ExpectedLevel {
    int number;
    int band_y;
    int poles[5][2];
    int pole_count;
};
constexpr ExpectedLevel EXPECTED[] = {
    {1, 0, {{240, 113}}, 1},
    {2, 272, {{119, 122}, {304, 117}}, 2},
    {3, 544, {{129, 118}, {317, 67}}, 2},
    {4, 816, {{106, 113}, {233, 48}, {353, 105}}, 3},
    {5, 1088, {{69, 87}, {225, 84}, {349, 40}}, 3},
    {6, 1360, {{63, 94}, {181, 102}, {259, 135}, {385, 102}}, 4},
    {7, 1632, {{51, 154}, {146, 130}, {253, 21}, {345, 65}}, 4},
    {8, 1904, {{48, 109}, {139, 73}, {212, 123}, {303, 152}, {403, 101}}, 5},
    {9, 2176, {{45, 27}, {119, 18}, {205, 22}, {292, 44}, {363, 115}}, 5},
    {11, 2992, {{99, 144}, {234, 113}, {391, 72}}, 3},
};

int record_index(int level) { return level - 1; }

// A level frame's world: in-memory screen and sheets, records as the game has them.
struct World {
    World() {
        screen = make_surface(SCREEN_W, SCREEN_H);
        general.level_sheet = make_sheet(LVL_SHEET_W, LVL_SHEET_H);
        anim.sheet = make_sheet(ANIM_SHEET_W, ANIM_SHEET_H);
        perso.sheet = make_sheet(RUNNER_SHEET_W, RUNNER_SHEET_H);
        General_Init(&general);
        Anim_Init(&anim);
        Niveaux_Init(niveau);
        PlayedSong_Init(&sons);
        general.screen = SCREEN_PLAY;
    }
    ~World() {
        SDL_FreeSurface(screen);
        SDL_FreeSurface(general.level_sheet);
        SDL_FreeSurface(anim.sheet);
        SDL_FreeSurface(perso.sheet);
    }
    // Enters `level` with the race already running.
    void race(int level) {
        general.level = level;
        const LevelRow* row = level_row(level);
        Perso_Init(&perso, row->start_x, row->start_y);
        niveau[record_index(level)].started = 1;
    }
    // One level frame followed by the main loop's key latch.
    void frame() {
        using Frame = void (*)(Niveau*, General*, SDL_Surface*, Anim*, Perso*, Menu*, Sons*);
        static constexpr Frame frames[] = {Niveau1, Niveau2, Niveau3, Niveau4, Niveau5,
                                          Niveau6, Niveau7, Niveau8, Niveau9, nullptr, Niveau11};
        const int level = general.level;
        frames[level - 1](&niveau[record_index(level)], &general, screen, &anim, &perso, &menu, &sons);
        general.key_consumed = general.event.type == SDL_KEYDOWN ? 1 : 0;
    }
    General general{};
    Menu menu{};
    Anim anim{};
    Perso perso{};
    Sons sons{};
    Niveau niveau[LEVEL_COUNT]{};
    SDL_Surface* screen;
};

}  // namespace

TEST(LevelRecords, EveryLevelIsPreparedFromItsRowOfTheLevelTable) {
    Niveau niveau[LEVEL_COUNT]{};
    Niveaux_Init(niveau);
    for (const ExpectedLevel& level : EXPECTED) {
        const Niveau& record = niveau[record_index(level.number)];
        SCOPED_TRACE("level " + std::to_string(level.number));
        EXPECT_EQ(record.background.src.x, 0);
        EXPECT_EQ(record.background.src.y, level.band_y);
        EXPECT_EQ(record.background.src.w, SCREEN_W);
        EXPECT_EQ(record.background.src.h, SCREEN_H);
        EXPECT_EQ(record.background.dest.x, 0);
        EXPECT_EQ(record.background.dest.y, 0);
        for (int slot = 0; slot < SENTINEL_SLOTS; ++slot) {
            const Sentinelle& senti = record.senti[slot];
            EXPECT_EQ(senti.state, 0);
            if (slot >= level.pole_count) continue;
            const int px = level.poles[slot][0];
            const int py = level.poles[slot][1];
            EXPECT_EQ(senti.timer, 0);
            EXPECT_EQ(senti.baton.x, px);
            EXPECT_EQ(senti.baton.y, py);
            EXPECT_EQ(senti.boule.x, px - 9);
            EXPECT_EQ(senti.boule.y, py - 15);
            EXPECT_EQ(senti.vision.x, px - 88);
            EXPECT_EQ(senti.vision.y, py - 95);
            EXPECT_EQ(senti.vision.src.x, 480);
            EXPECT_EQ(senti.vision.src.y, level.band_y);
            EXPECT_EQ(senti.vision.src.w, 210);
            EXPECT_EQ(senti.vision.src.h, 210);
        }
    }
    // Level 1's sentinel as drawn: pole (240, 113), head (231, 98), cone (152, 18).
    EXPECT_EQ(niveau[0].senti[0].baton.dest.x, 240);
    EXPECT_EQ(niveau[0].senti[0].boule.dest.y, 98);
    EXPECT_EQ(niveau[0].senti[0].vision.dest.x, 152);
    EXPECT_EQ(niveau[0].senti[0].vision.dest.y, 18);
}

TEST(LevelRecords, PreparingAgainStartsALevelAfreshAndLeavesTheEndingToFinInit) {
    Niveau niveau[LEVEL_COUNT]{};
    Niveaux_Init(niveau);
    Niveau& level5 = niveau[4];
    level5.started = 1;
    level5.outcome = 1;
    level5.paused = 1;
    level5.senti[1].state = 3;
    level5.senti[1].timer = 200;
    niveau[9].started = 1;
    Niveaux_Init(niveau);
    EXPECT_EQ(level5.started, 0);
    EXPECT_EQ(level5.outcome, 0);
    EXPECT_EQ(level5.paused, 0);
    EXPECT_EQ(level5.senti[1].state, 0);
    EXPECT_EQ(level5.senti[1].timer, 0);
    EXPECT_EQ(niveau[9].started, 0);
}

TEST(LevelFrame, NothingMovesBeforeTheRaceStarts) {
    World world;
    world.general.level = 4;
    Perso_Init(&world.perso, -15, 194);
    set_key(&world.general, SDL_KEYDOWN, KEY_RIGHT);
    for (int i = 0; i < 100; ++i) world.frame();
    EXPECT_EQ(world.perso.player.x, -15);
    EXPECT_EQ(world.perso.cpu.x, -15);
    for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(world.niveau[3].senti[slot].timer, 0);
}

TEST(LevelFrame, ACaughtRunnerInLevel2LandsOnItsRespawnPointWithItsOldSlope) {
    World world;
    world.race(2);
    Sentinelle& senti = world.niveau[1].senti[0];
    senti.timer = 15 + 89;  // this frame's step makes it watch (base 15)
    world.perso.player.x = 99;  // on the uphill [84, 110)
    world.perso.player.y = 120;
    world.perso.cpu.x = 120;  // in the watched range 36..145, on the downhill [110, 171)
    world.perso.cpu.y = 100;
    world.perso.cpu.aux2 = 1;  // the nerve to go on under a watching sentinel
    set_key(&world.general, SDL_KEYDOWN, KEY_RIGHT);
    world.general.key_consumed = 1;
    world.frame();
    EXPECT_EQ(senti.state, 3);
    EXPECT_EQ(world.perso.player.x, -10);
    EXPECT_EQ(world.perso.player.y, 71 - 1) << "caught stepping uphill";
    EXPECT_EQ(world.perso.cpu.x, -10);
    EXPECT_EQ(world.perso.cpu.y, 70 + 1) << "respawn y - 1, plus its old downhill segment";
}

TEST(LevelFrame, Level1CatchesWithLastFramesStateTheOthersWithThisFrames) {
    for (int level : {1, 2, 3, 11}) {
        World world;
        world.race(level);
        const LevelRow* row = level_row(level);
        Sentinelle& senti = world.niveau[record_index(level)].senti[0];
        senti.timer = row->senti[0].base + 89;
        senti.state = 1;
        const int inside = row->senti[0].from + 2;
        world.perso.player.x = inside;
        world.perso.cpu.x = -15;
        set_key(&world.general, SDL_KEYDOWN, KEY_RIGHT);
        world.general.key_consumed = 1;
        world.frame();
        EXPECT_EQ(senti.state, 3) << "level " << level;
        if (level == 1) {
            EXPECT_EQ(world.perso.player.x, inside + 1) << "level 1 sees the warning state";
            world.frame();
            EXPECT_EQ(world.perso.player.x, row->respawn_x) << "and catches one frame later";
        } else {
            EXPECT_EQ(world.perso.player.x, row->respawn_x) << "level " << level;
        }
    }
}

TEST(LevelFrame, TheComputerAdvancesOnePixelPerRaceFrameOnOpenGround) {
    World world;
    world.race(3);
    world.perso.cpu.x = 10;
    world.perso.player.x = 10;
    for (int i = 0; i < 4; ++i) world.frame();  // sentinels of level 3 are idle this early
    EXPECT_EQ(world.perso.cpu.x, 14);
    EXPECT_EQ(world.perso.player.x, 10) << "the player moves only with Right held";
}

TEST(LevelNine, TheWinLeadsToTheBonusLevelOnlyWhenUnlockIsOne) {
    for (int unlock : {0, 1, 7}) {
        World world;
        world.race(9);
        world.general.unlock = unlock;
        world.niveau[8].outcome = -1;
        world.frame();
        EXPECT_EQ(world.sons.played_levelwin, 1) << "unlock " << unlock;
        EXPECT_TRUE(block_drawn(world.screen, BANNER_X, BANNER_Y, ANIM_WON.x, ANIM_WON.y, 40, 40));
        set_key(&world.general, SDL_KEYDOWN, KEY_RETURN);
        world.frame();
        EXPECT_EQ(world.general.level, unlock == 1 ? LEVEL_BONUS : LEVEL_ENDING) << "unlock " << unlock;
        EXPECT_EQ(world.perso.player.x, -15);
        EXPECT_EQ(world.perso.player.y, unlock == 1 ? 173 : 29);
        EXPECT_EQ(world.perso.cpu.y, unlock == 1 ? 168 : 24);
        EXPECT_EQ(world.sons.played_levelwin, 0);
    }
}

TEST(LevelNine, ALossGoesBackToTheMenuEvenWithTheBonusOpen) {
    World world;
    world.race(9);
    world.general.unlock = 1;
    world.niveau[8].outcome = 1;
    world.frame();
    set_key(&world.general, SDL_KEYDOWN, KEY_SPACE);
    world.frame();
    EXPECT_EQ(world.general.screen, SCREEN_MENU);
    EXPECT_EQ(world.general.unlock, 1) << "a lost race keeps the unlock";
}

TEST(Ending, ReturnLeavesOnlyOnceTheCurtainIsOpenAndUnlocksOnce) {
    GameDir dir(false);
    World world;
    world.general.level = LEVEL_ENDING;
    set_key(&world.general, SDL_KEYDOWN, KEY_RETURN);
    int frames = 0;
    while (world.niveau[9].started == 0 && frames < 1000) {
        EXPECT_EQ(world.general.screen, SCREEN_PLAY) << "Return during the curtain does nothing";
        Fin(&world.menu, &world.niveau[9], &world.general, world.screen, &world.anim, &world.perso,
            &world.sons);
        ++frames;
    }
    EXPECT_EQ(frames, 137) << "the ending opens without a countdown";
    // The Return held since the curtain leaves at once: no fresh press needed.
    EXPECT_EQ(world.general.screen, SCREEN_MENU);
    EXPECT_EQ(world.general.level, 1);
    EXPECT_EQ(world.general.unlock, 1);
    EXPECT_EQ(dir.read(UNLOCK_PATH), "1");

    std::filesystem::remove(dir.file(UNLOCK_PATH));
    world.general.screen = SCREEN_PLAY;
    world.general.level = LEVEL_ENDING;
    Fin(&world.menu, &world.niveau[9], &world.general, world.screen, &world.anim, &world.perso,
        &world.sons);
    EXPECT_EQ(world.general.screen, SCREEN_MENU);
    EXPECT_FALSE(dir.exists(UNLOCK_PATH)) << "the second time nothing is written";
}

TEST(Ending, ThePictureFollowsTheDifficultyAndAnOddUnlockIsLeftAlone) {
    GameDir dir(false);
    for (int difficulty : {0, 1}) {
        World world;
        world.general.difficulty = difficulty;
        world.general.unlock = 4;
        world.general.level = LEVEL_ENDING;
        world.niveau[9].started = 1;
        set_key(&world.general, SDL_KEYDOWN, KEY_RETURN);
        Fin(&world.menu, &world.niveau[9], &world.general, world.screen, &world.anim, &world.perso,
            &world.sons);
        const int band = difficulty == 0 ? 2448 : 2720;
        EXPECT_TRUE(block_drawn(world.screen, 0, 0, 0, band, SCREEN_W, SCREEN_H));
        EXPECT_EQ(world.general.unlock, 4);
        EXPECT_FALSE(dir.exists(UNLOCK_PATH));
    }
}

TEST(BonusLevel, GlyphsInsteadOfBarsAndItsWinLeadsToTheEnding) {
    World world;
    world.race(LEVEL_BONUS);
    const int glyph_y = world.general.glyphs[1].y;
    const int bar_y = world.general.bars[0].y;
    world.frame();
    EXPECT_EQ(world.general.glyphs[1].y, glyph_y + 2);
    EXPECT_EQ(world.general.bars[0].y, bar_y) << "no bars on the bonus level";
    world.niveau[10].outcome = -1;
    world.frame();
    set_key(&world.general, SDL_KEYDOWN, KEY_RETURN);
    world.frame();
    EXPECT_EQ(world.general.level, 12) << "the main loop turns this into the ending";
}
