// SPDX-License-Identifier: MIT
// The generated pictures in data/gfx, ico.bmp and icons/: the committed files are
// what the generator draws, every picture the game cuts from a sheet is there,
// the icons have clear corners, and the level art stands the runners and the
// sentinels on the ground that the level table makes them walk.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../tools/gfx_layout.h"
#include "support.h"
#include "tables.h"

namespace {

using Picture = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;
const char *const MENU = "data/gfx/menu.png", *const LVL = "data/gfx/lvl.png",
                  *const ANIM = "data/gfx/anim.png", *const RUNNERS = "data/gfx/joueur.png";
// clang-format off
const std::map<std::string, int> ICONS = {{"ico.bmp", 32}, {"icons/pelune_32.png", 32},
    {"icons/pelune_48.png", 48}, {"icons/pelune_64.png", 64}, {"icons/pelune_128.png", 128},
    {"icons/pelune_256.png", 256}};
// clang-format on

// Loads a PNG or BMP of the repository (or of `root`) as 32-bit ARGB, alpha as it is.
Picture load(const std::string& file, const std::string& root = PELUNE_SOURCE_DIR) {
    const std::string path = root + "/" + file;
    const Picture raw(IMG_Load(path.c_str()), SDL_FreeSurface);
    const Picture argb(make_surface(1, 1), SDL_FreeSurface);  // the pixel format wanted
    Picture out(raw ? SDL_ConvertSurface(raw.get(), argb->format, 0) : nullptr, SDL_FreeSurface);
    if (!out) ADD_FAILURE() << path << ": cannot load";
    return out;
}

// How many pixels (x, y) of the region pass the test.
template <class Test>
int count(const SheetRect& r, Test test) {
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) n += test(x, y) ? 1 : 0;
    return n;
}

// How many pixels of region a of s differ from the same-sized region at b of t.
int differing(SDL_Surface* s, const SheetRect& a, SDL_Surface* t, int bx, int by) {
    return count(a, [&](int x, int y) {
        return pixel_at(s, x, y) != pixel_at(t, x - a.x + bx, y - a.y + by);
    });
}

// The runner's y when its x reaches `x`, stepping from the start as the game does:
// each step adds the dy of the segment that holds x (a negative x counts as 0).
int runner_y(const LevelRow& row, int x) {
    int y = row.start_y;
    for (int at = row.start_x; at < x; ++at)
        for (const Segment* s = row.segments; s < row.segments + row.segment_count; ++s)
            if (std::max(at, 0) >= s->from && std::max(at, 0) < s->to) y += s->dy;
    return y;
}

}  // namespace

#ifdef PELUNE_ASSET_GENERATOR
TEST(GraphicsAssets, CommittedPicturesAreWhatTheGeneratorDraws) {
    std::vector<std::string> files = {MENU, LVL, ANIM, RUNNERS};
    for (const auto& [icon, size] : ICONS) files.push_back(icon);
    for (const std::string& file : files) {
        const Picture fresh = load(file, generated_assets()), kept = load(file);
        ASSERT_TRUE(fresh && kept && fresh->w == kept->w && fresh->h == kept->h) << file;
        EXPECT_EQ(differing(fresh.get(), {0, 0, kept->w, kept->h}, kept.get(), 0, 0), 0)
            << file << ": run pelune_assets on the repository and commit the pictures";
    }
}
#endif

// What a cut region must hold. SEE_THROUGH: not fully opaque; CONE: some pixels
// translucent, some clear (the watched ground shows through); GLAZE: none opaque.
enum Look { DRAWN, OPAQUE, SEE_THROUGH, CONE, GLAZE };

TEST(GraphicsAssets, EverySheetHoldsEveryCutItsPicturesDrawnAndTellingApart) {
    // clang-format off
    struct Group { const char* file; Look look; bool distinct; std::vector<SheetRect> cuts; };
    std::vector<Group> groups = {  // distinct: no two pictures of the group alike (all one size)
        {MENU, OPAQUE, false, {MENU_PAGE}}, {MENU, OPAQUE, true, {}}, {MENU, DRAWN, true, {}},
        {LVL, OPAQUE, false, {}}, {LVL, CONE, false, {}},
        {LVL, DRAWN, false, {LVL_POLE}}, {LVL, DRAWN, true, {LVL_HEAD[0], LVL_HEAD[1], LVL_HEAD[2]}},
        {LVL, DRAWN, true, {LVL_GLYPH[0], LVL_GLYPH[1]}},
        {LVL, GLAZE, false, {LVL_BAR[0], LVL_BAR[1], LVL_BAR[2]}}, {ANIM, OPAQUE, false, {ANIM_CURTAIN}},
        {ANIM, SEE_THROUGH, false, {ANIM_PAUSE, ANIM_DROP}},  // the others all the banners' size:
        {ANIM, SEE_THROUGH, true, {ANIM_COUNT1, ANIM_COUNT2, ANIM_COUNT3, ANIM_GO, ANIM_WON, ANIM_LOST,
                                   ANIM_FALSE_START}}};
    for (int k = 0; k < MENU_BG_SLOTS; ++k) groups[1].cuts.push_back({MENU_BG_X, MENU_BG_H * k, 480, MENU_BG_H});
    for (int y = MENU_MAIN_PANEL_Y; y <= MENU_CREDITS_PANEL_Y; y += MENU_PANEL_H)  // all panels, in a row
        groups[2].cuts.push_back({0, y, MENU_PANEL_W, MENU_PANEL_H});
    for (int band = 0; band < BAND_COUNT; ++band) groups[3].cuts.push_back({0, band_y(band), 480, BAND_H});
    for (const LevelRow& row : LEVEL_TABLE) groups[4].cuts.push_back({CONE_SHEET_X, band_y(row.band), CONE_SIZE, CONE_SIZE});
    // clang-format on
    std::map<std::string, Picture> sheets;
    for (const char* file : {MENU, LVL, ANIM}) sheets.emplace(file, load(file));
    for (const Group& group : groups) {
        SDL_Surface* s = sheets.at(group.file).get();
        for (const SheetRect& r : group.cuts) {
            ASSERT_TRUE(s && s->w >= r.x + r.w && s->h >= r.y + r.h) << group.file << " " << r.y;
            auto with = [&](Uint32 a) {
                return count(r, [&](int x, int y) { return pixel_at(s, x, y) >> 24 == a; });
            };
            const int opaque = with(255), clear = with(0), translucent = r.w * r.h - opaque - clear;
            const bool looks_right[] = {true, clear + translucent == 0, clear + translucent > 0,
                                        translucent > 0 && clear > 0, opaque == 0};  // by Look
            EXPECT_TRUE(opaque + translucent > 0 && looks_right[group.look])
                << group.file << " at y " << r.y << ": " << opaque << " opaque, " << clear;
            for (const SheetRect& o : group.cuts)
                EXPECT_TRUE(!group.distinct || &o == &r || differing(s, r, s, o.x, o.y))
                    << group.file << ": the same picture at y " << r.y << " and " << o.y;
        }
    }
}

TEST(GraphicsAssets, RunnerSheetHoldsARunningCycleForEveryRowStandingOnTheFootRow) {
    const Picture runners = load(RUNNERS);
    ASSERT_TRUE(runners && runners->w >= RUNNER_SHEET_W && runners->h >= RUNNER_SHEET_H);
    SDL_Surface* s = runners.get();
    auto drawn = [s](int x, int y) { return pixel_at(s, x, y) >> 24 != 0; };
    for (int row = 0; row < RUNNER_ROWS; ++row) {
        for (int f = 0; f < RUNNER_FRAMES; ++f) {
            const SheetRect r = {RUNNER_W * f, RUNNER_H * row, RUNNER_W, RUNNER_H};
            // Half a stride on, the legs have swapped: another picture.
            EXPECT_GT(differing(s, r, s, (r.x + RUNNER_SHEET_W / 2) % RUNNER_SHEET_W, r.y), 0);
            // A planted foot on the foot row, the ink outline one row under it, nothing lower.
            const int foot = r.y + RUNNER_FOOT_ROW + 1;
            EXPECT_TRUE(count({r.x, foot, r.w, 1}, drawn) > 0 &&
                        count({r.x, foot + 1, r.w, r.y + r.h - foot - 1}, drawn) == 0)
                << "row " << row << " frame " << f << " floats or sinks";
        }
    }
}

TEST(GraphicsAssets, IconsHaveClearCornersAndTheWindowIconKeepsItsAlphaThroughSDL) {
    const Picture bmp(SDL_LoadBMP((std::string(PELUNE_SOURCE_DIR) + "/ico.bmp").c_str()),
                      SDL_FreeSurface);
    ASSERT_TRUE(bmp);
    EXPECT_NE(bmp->format->Amask, 0u) << "SDL reads ico.bmp without its alpha";
    for (const auto& [file, size] : ICONS) {
        const Picture icon = load(file);
        ASSERT_TRUE(icon && icon->w == size && icon->h == size) << file;
        for (int corner = 0, far = size - 1; corner < 4; ++corner)
            EXPECT_EQ(pixel_at(icon.get(), corner % 2 * far, corner / 2 * far) >> 24, 0u) << file;
        EXPECT_EQ(pixel_at(icon.get(), size / 2, size / 2) >> 24, 255u) << file;
    }
}

TEST(GraphicsAssets, LevelGroundLiesUnderTheRunnersAndThePoles) {
    const Picture lvl = load(LVL);
    ASSERT_TRUE(lvl);
    auto at = [&lvl](int column, int y) { return pixel_at(lvl.get(), column, y); };
    for (const LevelRow& row : LEVEL_TABLE) {
        const int top = band_y(row.band);
        // Along the whole race, no colour just under the feet shows over the
        // runner's knees, a little above the ground's back edge.
        std::map<Uint32, int> ground, above;  // colour -> a column showing it
        for (int x = row.start_x; x <= FINISH_X; ++x) {
            const int column = x + RUNNER_FOOT_X, feet = top + runner_y(row, x) + RUNNER_FOOT_ROW;
            const auto pole_here = [column](const SentinelRow& p) {
                return column >= p.pole_x && column < p.pole_x + LVL_POLE.w;
            };
            if (column < 0 || column >= FINISH_X + RUNNER_FOOT_X - 4 ||
                std::any_of(row.senti, row.senti + row.sentinel_count, pole_here))
                continue;
            ground.emplace(at(column, feet + 1), column);
            above.emplace(at(column, feet - GROUND_TOP_ABOVE_FEET - GROUND_TUFT_MAX - 4), column);
        }
        for (const auto& [colour, column] : ground)
            EXPECT_FALSE(above.contains(colour)) << "level " << row.number << ", column " << column;
        // Each pole stands on something: from its foot down to the ground's back
        // edge the column under it is not the backdrop seen beside it.
        for (int s = 0; s < row.sentinel_count; ++s) {
            const int c = row.senti[s].pole_x + LVL_POLE.w / 2;
            const int edge =
                runner_y(row, c - RUNNER_FOOT_X) + RUNNER_FOOT_ROW - GROUND_TOP_ABOVE_FEET;
            for (int y = top + row.senti[s].pole_y + LVL_POLE.h; y < top + edge; ++y)
                EXPECT_FALSE(at(c, y) == at(c - 24, y) && at(c, y) == at(c + 24, y))
                    << "level " << row.number << ": sentinel " << s << " floats at row " << y - top;
        }
    }
}
