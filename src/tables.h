// SPDX-License-Identifier: MIT
// The game's data tables: every level's numbers and the layout of the sprite
// sheets. The game code and the asset generator (tools/) both read them, so the
// art always matches the rules. Plain data, no SDL.
#ifndef PELUNE_TABLES_H
#define PELUNE_TABLES_H

struct SheetRect {
    int x, y, w, h;
};

// ---- Runner sheet: data/gfx/joueur.png ----
constexpr int RUNNER_W = 51;
constexpr int RUNNER_H = 50;
constexpr int RUNNER_FRAMES = 16;
constexpr int RUNNER_ROWS = 10;  // row 0 the player, row n the computer of level n
constexpr int RUNNER_SHEET_W = RUNNER_W * RUNNER_FRAMES;
constexpr int RUNNER_SHEET_H = RUNNER_H * RUNNER_ROWS;
constexpr int RUNNER_ROW_ENDING = 2;  // the computer's row on the ending and bonus level
constexpr int CPU_LIFT = 5;           // the computer stands this much above the start point

// ---- Anim sheet: data/gfx/anim.png ----
constexpr SheetRect ANIM_COUNT1 = {0, 0, 345, 131};
constexpr SheetRect ANIM_COUNT2 = {345, 0, 345, 131};
constexpr SheetRect ANIM_COUNT3 = {690, 0, 345, 131};
constexpr SheetRect ANIM_GO = {1035, 0, 345, 131};
constexpr SheetRect ANIM_PAUSE = {0, 131, 345, 120};
constexpr SheetRect ANIM_WON = {345, 131, 345, 131};
constexpr SheetRect ANIM_LOST = {690, 131, 345, 131};
constexpr SheetRect ANIM_FALSE_START = {1035, 131, 345, 131};
constexpr SheetRect ANIM_CURTAIN = {0, 262, 480, 20};
constexpr SheetRect ANIM_DROP = {480, 262, 9, 9};
// The volume picture: a plate with a speaker, one notch per step (lit up to the
// volume), and the speaker struck through while muted.
constexpr SheetRect ANIM_VOLUME_PLATE = {490, 262, 110, 20};
constexpr SheetRect ANIM_VOLUME_LIT = {602, 262, 8, 12};
constexpr SheetRect ANIM_VOLUME_DIM = {612, 262, 8, 12};
constexpr SheetRect ANIM_VOLUME_MUTED = {622, 262, 18, 14};
constexpr int VOLUME_STEPS = 8;
constexpr int VOLUME_NOTCH_X = 27;  // in the plate: the first notch, then one every 10 px
constexpr int VOLUME_NOTCH_PITCH = 10;
constexpr int VOLUME_NOTCH_Y = 4;
constexpr int VOLUME_SPEAKER_X = 5;  // in the plate: where the struck-through speaker goes
constexpr int VOLUME_SPEAKER_Y = 3;
constexpr int VOLUME_SCREEN_X = 480 - ANIM_VOLUME_PLATE.w - 6;  // the plate on screen, top right
constexpr int VOLUME_SCREEN_Y = 6;
constexpr int BANNER_X = 62;  // every banner is drawn here
constexpr int BANNER_Y = 71;
constexpr int ANIM_SHEET_W = 1380;
constexpr int ANIM_SHEET_H = 282;

// ---- Menu sheet: data/gfx/menu.png ----
constexpr SheetRect MENU_PAGE = {0, 0, 480, 272};  // the full-screen "how to play" page
constexpr int MENU_BG_X = 480;                     // background k at (480, 272 k)
constexpr int MENU_BG_H = 272;
constexpr int MENU_BG_SLOTS = 4;
constexpr int MENU_PANEL_W = 480;
constexpr int MENU_PANEL_H = 90;
constexpr int MENU_PANEL_Y = 180;       // where the panels are drawn on screen
constexpr int MENU_MAIN_PANEL_Y = 272;  // item k highlighted at 272 + 90 (k - 1)
constexpr int MENU_MAIN_ITEMS = 4;
constexpr int MENU_DIFFICULTY_PANEL_Y = 632;
constexpr int MENU_DIFFICULTY_ITEMS = 3;
constexpr int MENU_CREDITS_PANEL_Y = 902;
constexpr int MENU_SHEET_W = 960;
constexpr int MENU_SHEET_H = 1088;

// ---- Level sheet: data/gfx/lvl.png ----
constexpr int BAND_H = 272;  // band k: rows 272 k .. 272 k + 271
constexpr int BAND_ENDING_EASY = 9;
constexpr int BAND_ENDING_HARD = 10;
constexpr int BAND_BONUS = 11;
constexpr int BAND_COUNT = 12;
constexpr int CONE_SHEET_X = 480;  // each band's cone at (480, band y)
constexpr int CONE_SIZE = 210;
constexpr SheetRect LVL_POLE = {480, 216, 32, 56};
constexpr SheetRect LVL_HEAD[3] = {{512, 219, 52, 53}, {563, 219, 52, 53}, {614, 219, 52, 53}};
constexpr int HEAD_DX = -9;  // the head is drawn at the pole position plus these
constexpr int HEAD_DY = -15;
constexpr int CONE_DX = -88;  // the cone is drawn at the pole position plus these
constexpr int CONE_DY = -95;
constexpr SheetRect LVL_GLYPH[2] = {{480, 3255, 7, 9}, {487, 3255, 7, 9}};
constexpr SheetRect LVL_BAR[3] = {{0, 3264, 480, 57}, {0, 3321, 480, 37}, {0, 3358, 480, 24}};
constexpr int LVL_SHEET_W = 690;
constexpr int LVL_SHEET_H = 3382;

constexpr int band_y(int band) { return BAND_H * band; }

// ---- The level table ----
constexpr int START_X = -15;       // every level starts its runners here
constexpr int START_Y_MENU = 173;  // level 1's start point y, set while the menu shows
constexpr int FINISH_X = 437;      // the first runner to pass 436 wins

struct SentinelRow {
    int pole_x, pole_y;  // where the pole stands
    int base;            // shifts the sentinel's cycle (frames)
    int from, to;        // watched range, both ends included
};

struct Segment {
    int from, to;  // drawn x from `from` included to `to` excluded
    int dy;        // -1 uphill, 0 flat, +1 downhill, per pixel of advance
};

enum class VisionOrder {
    AfterCatch,  // level 1: the catch test sees the previous frame's states
    BeforeStop,  // the others: sentinels step before the computer decides
};

enum class LevelEnd {
    Plain,       // check_who_win, Paused, cheat
    BonusRoute,  // level 9: Paused, then the road to the bonus level, then cheat
};

struct LevelRow {
    int number;  // General.level that plays it
    int band;    // band of the level sheet
    int start_x, start_y;
    int next_x, next_y;        // start point of the following level
    int respawn_x, respawn_y;  // where a caught runner goes
    int sentinel_count;
    SentinelRow senti[5];
    int segment_count;
    const Segment* segments;  // contiguous from -20 to 480, in call order
    VisionOrder vision_order;
    LevelEnd end;
    bool glyph_field;  // the bonus level: glyphs instead of bars
};

// clang-format off
constexpr Segment SLOPES_1[] = {
    {-20, 16, 0}, {16, 41, -1},   {41, 73, 0},    {73, 89, 1},   {89, 158, -1},  {158, 187, 0},
    {187, 224, 1}, {224, 294, 0}, {294, 309, -1}, {309, 332, 1}, {332, 410, -1}, {410, 480, 0}};
constexpr Segment SLOPES_2[] = {
    {-20, 84, 1}, {84, 110, -1}, {110, 171, 1}, {171, 204, -1}, {204, 232, 0}, {232, 252, -1},
    {252, 268, 0}, {268, 284, -1}, {284, 324, 0}, {324, 376, -1}, {376, 400, 1}, {400, 480, 0}};
constexpr Segment SLOPES_3[] = {
    {-20, 16, 0}, {16, 38, -1}, {38, 97, 1}, {97, 118, -1}, {118, 141, 1}, {141, 215, -1},
    {215, 229, 1}, {229, 241, -1}, {241, 306, 0}, {306, 428, 1}, {428, 480, 0}};
constexpr Segment SLOPES_4[] = {
    {-20, 8, 0}, {8, 26, -1}, {26, 38, 1}, {38, 192, -1}, {192, 222, 1}, {222, 240, -1},
    {240, 266, 1}, {266, 290, 0}, {290, 336, 1}, {336, 378, 0}, {378, 398, 1}, {398, 480, 0}};
constexpr Segment SLOPES_5[] = {
    {-20, 19, 0}, {19, 41, 1}, {41, 73, -1}, {73, 133, 1}, {133, 163, -1}, {163, 193, 0},
    {193, 299, -1}, {299, 402, 1}, {402, 424, -1}, {424, 480, 0}};
constexpr Segment SLOPES_6[] = {
    {-20, 45, 0}, {45, 56, -1}, {56, 92, 1}, {92, 120, -1}, {120, 193, 0}, {193, 204, -1},
    {204, 284, 1}, {284, 344, -1}, {344, 358, 1}, {358, 377, -1}, {377, 480, 0}};
constexpr Segment SLOPES_7[] = {
    {-20, 21, 0}, {21, 74, 1}, {74, 245, -1}, {245, 268, 0}, {268, 294, 1}, {294, 311, 0},
    {311, 334, 1}, {334, 353, 0}, {353, 369, 1}, {369, 390, 0}, {390, 424, 1}, {424, 480, 0}};
constexpr Segment SLOPES_8[] = {
    {-20, 23, 0}, {23, 39, 1}, {39, 65, 0}, {65, 101, -1}, {101, 128, 0}, {128, 178, 1},
    {178, 202, 0}, {202, 223, -1}, {223, 244, 0}, {244, 294, 1}, {294, 319, 0}, {319, 374, -1},
    {374, 394, 0}, {394, 408, -1}, {408, 480, 0}};
constexpr Segment SLOPES_9[] = {
    {-20, 21, 0}, {21, 36, 1}, {36, 51, 0}, {51, 63, -1}, {63, 118, 0}, {118, 132, 1},
    {132, 188, 0}, {188, 207, -1}, {207, 249, 0}, {249, 410, 1}, {410, 480, 0}};

template <int N>
constexpr int count_of(const Segment (&)[N]) { return N; }

// Rows for levels 1-9 and the bonus level (level 11), in that order.
// number, band, start, next start, respawn, sentinels (pole, base, watched range), slopes.
constexpr int LEVEL_ROWS = 10;
constexpr LevelRow LEVEL_TABLE[] = {
    {1, 0, -15, 173, -15, 71, 0, 173, 1,
     {{240, 113, 20, 155, 295}},
     count_of(SLOPES_1), SLOPES_1, VisionOrder::AfterCatch, LevelEnd::Plain, false},
    {2, 1, -15, 71, -15, 117, -10, 71, 2,
     {{119, 122, 15, 36, 145}, {304, 117, 120, 245, 363}},
     count_of(SLOPES_2), SLOPES_2, VisionOrder::BeforeStop, LevelEnd::Plain, false},
    {3, 2, -15, 117, -15, 194, -15, 117, 2,
     {{129, 118, 15, 48, 192}, {317, 67, 120, 242, 343}},
     count_of(SLOPES_3), SLOPES_3, VisionOrder::BeforeStop, LevelEnd::Plain, false},
    {4, 3, -15, 194, -15, 95, -15, 194, 3,
     {{106, 113, 15, 58, 158}, {233, 48, 130, 160, 286}, {353, 105, 30, 274, 400}},
     count_of(SLOPES_4), SLOPES_4, VisionOrder::BeforeStop, LevelEnd::Plain, false},
    {5, 4, -15, 95, -15, 119, -15, 95, 3,
     {{69, 87, 50, -10, 111}, {225, 84, 150, 158, 277}, {349, 40, 230, 271, 378}},
     count_of(SLOPES_5), SLOPES_5, VisionOrder::BeforeStop, LevelEnd::Plain, false},
    {6, 5, -15, 119, -15, 155, -15, 119, 4,
     {{63, 94, 100, -10, 118}, {181, 102, 200, 109, 233}, {259, 135, 270, 177, 320},
      {385, 102, 350, 323, 442}},
     count_of(SLOPES_6), SLOPES_6, VisionOrder::BeforeStop, LevelEnd::Plain, false},
    {7, 6, -15, 155, -15, 111, -15, 155, 4,
     {{51, 154, 50, -10, 110}, {146, 130, 175, 98, 198}, {253, 21, 250, 205, 303},
      {345, 65, 375, 266, 397}},
     count_of(SLOPES_7), SLOPES_7, VisionOrder::BeforeStop, LevelEnd::Plain, false},
    {8, 7, -15, 111, -15, 29, -15, 111, 5,
     {{48, 109, 0, -10, 110}, {139, 73, 400, 77, 165}, {212, 123, 300, 135, 270},
      {303, 152, 500, 224, 365}, {403, 101, 600, 345, 450}},
     count_of(SLOPES_8), SLOPES_8, VisionOrder::BeforeStop, LevelEnd::Plain, false},
    {9, 8, -15, 29, -15, 29, -15, 29, 5,
     {{45, 27, 0, -10, 107}, {119, 18, 400, 47, 176}, {205, 22, 300, 125, 264},
      {292, 44, 500, 212, 322}, {363, 115, 600, 290, 393}},
     count_of(SLOPES_9), SLOPES_9, VisionOrder::BeforeStop, LevelEnd::BonusRoute, false},
    {11, BAND_BONUS, -15, 173, -15, 95, -15, 173, 3,
     {{99, 144, 30, 22, 153}, {234, 113, 100, 154, 295}, {391, 72, 250, 344, 450}},
     count_of(SLOPES_1), SLOPES_1, VisionOrder::BeforeStop, LevelEnd::Plain, true},
};
static_assert(sizeof(LEVEL_TABLE) / sizeof(LEVEL_TABLE[0]) == LEVEL_ROWS,
              "one row for each of levels 1-9 and the bonus level");
// clang-format on

// The row of a level number (1-9 or 11), or nullptr.
constexpr const LevelRow* level_row(int number) {
    for (const LevelRow& row : LEVEL_TABLE) {
        if (row.number == number) return &row;
    }
    return nullptr;
}

// Each sheet's file, in the order the game takes them (SheetIndex), and the
// least size its layout cuts from; the desktop and the browser check it alike.
struct SheetShape {
    const char* path;  // as the game names it in its messages
    int w, h;          // what the layout cuts from it
};
constexpr SheetShape SHEET_SHAPES[] = {
    {"data/gfx/menu.png", MENU_SHEET_W, MENU_SHEET_H},
    {"data/gfx/lvl.png", LVL_SHEET_W, LVL_SHEET_H},
    {"data/gfx/anim.png", ANIM_SHEET_W, ANIM_SHEET_H},
    {"./data/gfx/joueur.png", RUNNER_SHEET_W, RUNNER_SHEET_H},
};

// A sheet must hold every picture cut from it; one more than twice as wide or
// as high as that is not a sheet of this game, and would only cost memory.
constexpr int SHEET_SLACK = 2;

constexpr bool Sheet_Fits(const SheetShape& shape, int w, int h) {
    return w >= shape.w && h >= shape.h && w <= SHEET_SLACK * shape.w && h <= SHEET_SLACK * shape.h;
}

#endif
