// SPDX-License-Identifier: MIT
// The generated pictures in data/gfx, ico.bmp and icons/: the committed files are
// what the generator draws, the icons have clear corners, and the art stands the
// runners and the sentinels on the ground that the tables make them walk (the
// pictures themselves are pinned by the golden frames, test_golden.cpp).
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
const char *const LVL = "data/gfx/lvl.png", *const RUNNERS = "data/gfx/joueur.png";
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
    std::vector<std::string> files = {"data/gfx/menu.png", LVL, "data/gfx/anim.png", RUNNERS};
    for (const auto& [icon, size] : ICONS) files.push_back(icon);
    for (const std::string& file : files) {
        const Picture fresh = load(file, generated_assets()), kept = load(file);
        ASSERT_TRUE(fresh && kept && fresh->w == kept->w && fresh->h == kept->h) << file;
        EXPECT_EQ(count({0, 0, kept->w, kept->h}, [&](int x, int y) {
                      return pixel_at(fresh.get(), x, y) != pixel_at(kept.get(), x, y);
                  }), 0)
            << file << ": run pelune_assets on the repository and commit the pictures";
    }
}
#endif

TEST(GraphicsAssets, EveryRunnerPictureStandsOnTheFootRow) {
    const Picture runners = load(RUNNERS);
    ASSERT_TRUE(runners && runners->w >= RUNNER_SHEET_W && runners->h >= RUNNER_SHEET_H);
    SDL_Surface* s = runners.get();
    auto drawn = [s](int x, int y) { return pixel_at(s, x, y) >> 24 != 0; };
    for (int row = 0; row < RUNNER_ROWS; ++row)
        for (int f = 0; f < RUNNER_FRAMES; ++f) {
            const SheetRect r = {RUNNER_W * f, RUNNER_H * row, RUNNER_W, RUNNER_H};
            // A planted foot on the foot row, the ink outline one row under it, nothing lower.
            const int foot = r.y + RUNNER_FOOT_ROW + 1;
            EXPECT_TRUE(count({r.x, foot, r.w, 1}, drawn) > 0 &&
                        count({r.x, foot + 1, r.w, r.y + r.h - foot - 1}, drawn) == 0)
                << "row " << row << " frame " << f << " floats or sinks";
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
