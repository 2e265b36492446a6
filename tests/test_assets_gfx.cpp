// The generated pictures in data/gfx and ico.bmp: the committed files are what
// the generator draws, every picture the game cuts from a sheet is there, and
// the level art stands the runners and the sentinels on the ground that the
// level table makes them walk.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../tools/gfx_layout.h"
#include "tables.h"

namespace {

struct FreeSurface {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Picture = std::unique_ptr<SDL_Surface, FreeSurface>;

const char* const SHEETS[] = {"data/gfx/menu.png", "data/gfx/lvl.png", "data/gfx/anim.png", "data/gfx/joueur.png"};

// Loads a PNG or BMP as 32-bit ARGB, alpha copied as it is.
Picture load(const std::string& path) {
    const bool bmp = path.size() > 4 && path.compare(path.size() - 4, 4, ".bmp") == 0;
    Picture raw(bmp ? SDL_LoadBMP(path.c_str()) : IMG_Load(path.c_str()));
    if (!raw) {
        ADD_FAILURE() << path << ": cannot load";
        return nullptr;
    }
    SDL_PixelFormat argb = *raw->format;
    argb.palette = nullptr;
    argb.BitsPerPixel = 32;
    argb.BytesPerPixel = 4;
    argb.Amask = 0xFF000000u;
    argb.Rmask = 0x00FF0000u;
    argb.Gmask = 0x0000FF00u;
    argb.Bmask = 0x000000FFu;
    argb.Ashift = 24;
    argb.Rshift = 16;
    argb.Gshift = 8;
    argb.Bshift = 0;
    argb.Aloss = argb.Rloss = argb.Gloss = argb.Bloss = 0;
    Picture out(SDL_ConvertSurface(raw.get(), &argb, SDL_SWSURFACE));
    if (!out) ADD_FAILURE() << path << ": cannot convert";
    // A BMP has no alpha: every pixel counts as opaque.
    if (out && bmp) {
        for (int y = 0; y < out->h; ++y) {
            Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(out->pixels) + y * out->pitch);
            for (int x = 0; x < out->w; ++x)
                row[x] |= 0xFF000000u;
        }
    }
    return out;
}

Uint32 pixel(const SDL_Surface* s, int x, int y) {
    return reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch)[x];
}
int alpha(Uint32 argb) {
    return static_cast<int>(argb >> 24);
}

std::string repo(const std::string& relative) {
    return std::string(PELUNE_SOURCE_DIR) + "/" + relative;
}

struct Coverage {
    int opaque = 0, translucent = 0, clear = 0;
    int drawn() const { return opaque + translucent; }
};

Coverage coverage(const SDL_Surface* s, const SheetRect& r) {
    Coverage c;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const int a = alpha(pixel(s, x, y));
            if (a == 255)
                ++c.opaque;
            else if (a == 0)
                ++c.clear;
            else
                ++c.translucent;
        }
    return c;
}

bool same_picture(const SDL_Surface* s, const SheetRect& a, const SheetRect& b) {
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x)
            if (pixel(s, a.x + x, a.y + y) != pixel(s, b.x + x, b.y + y)) return false;
    return true;
}

// The sheet must hold every rectangle the game cuts from it.
void expect_holds(const SDL_Surface* s, const std::vector<SheetRect>& rects, const char* name) {
    for (const SheetRect& r : rects) {
        EXPECT_GE(s->w, r.x + r.w) << name << " is too narrow for (" << r.x << ", " << r.y << ")";
        EXPECT_GE(s->h, r.y + r.h) << name << " is too short for (" << r.x << ", " << r.y << ")";
    }
}

void expect_drawn(const SDL_Surface* s, const SheetRect& r, const std::string& what) {
    EXPECT_GT(coverage(s, r).drawn(), 0) << what << " at (" << r.x << ", " << r.y << ") is empty";
}

void expect_opaque(const SDL_Surface* s, const SheetRect& r, const std::string& what) {
    const Coverage c = coverage(s, r);
    EXPECT_EQ(c.opaque, r.w * r.h) << what << " at (" << r.x << ", " << r.y << ") has " << c.clear + c.translucent
                                   << " see-through pixels";
}

SheetRect band_background(int band) {
    return {0, band_y(band), 480, BAND_H};
}
SheetRect band_cone(int band) {
    return {CONE_SHEET_X, band_y(band), CONE_SIZE, CONE_SIZE};
}

// The runner's y when its x reaches `x`, stepping from the start as the game does:
// each step from x to x + 1 adds the dy of the segment that holds x (a negative x
// counts as 0).
int runner_y(const LevelRow& row, int x) {
    int y = row.start_y;
    for (int at = row.start_x; at < x; ++at) {
        const int drawn = std::max(at, 0);
        for (int s = 0; s < row.segment_count; ++s)
            if (drawn >= row.segments[s].from && drawn < row.segments[s].to) y += row.segments[s].dy;
    }
    return y;
}

}  // namespace

#ifdef PELUNE_ASSET_GENERATOR
TEST(GraphicsAssets, CommittedPicturesAreWhatTheGeneratorDraws) {
    char pattern[] = "/tmp/pelune-gfx-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string command = std::string("\"") + PELUNE_ASSET_GENERATOR + "\" \"" + dir + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::vector<std::string> files(std::begin(SHEETS), std::end(SHEETS));
    files.push_back("ico.bmp");
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const Picture fresh = load(dir + "/" + file);
        const Picture committed = load(repo(file));
        ASSERT_TRUE(fresh && committed);
        ASSERT_EQ(fresh->w, committed->w);
        ASSERT_EQ(fresh->h, committed->h);
        int differing = 0, first_x = -1, first_y = -1;
        for (int y = 0; y < fresh->h; ++y)
            for (int x = 0; x < fresh->w; ++x)
                if (pixel(fresh.get(), x, y) != pixel(committed.get(), x, y)) {
                    if (differing++ == 0) {
                        first_x = x;
                        first_y = y;
                    }
                }
        EXPECT_EQ(differing, 0) << "first difference at (" << first_x << ", " << first_y
                                << "): run pelune_assets on the repository and commit the pictures";
    }
    std::filesystem::remove_all(dir);
}
#endif

TEST(GraphicsAssets, MenuSheetHoldsThePageBackgroundsAndPanels) {
    const Picture menu = load(repo("data/gfx/menu.png"));
    ASSERT_TRUE(menu);
    EXPECT_GE(menu->w, MENU_SHEET_W);
    EXPECT_GE(menu->h, MENU_SHEET_H);
    std::vector<SheetRect> backgrounds, main_panels, difficulty_panels;
    for (int k = 0; k < MENU_BG_SLOTS; ++k)
        backgrounds.push_back({MENU_BG_X, MENU_BG_H * k, 480, MENU_BG_H});
    for (int i = 0; i < MENU_MAIN_ITEMS; ++i)
        main_panels.push_back({0, MENU_MAIN_PANEL_Y + MENU_PANEL_H * i, MENU_PANEL_W, MENU_PANEL_H});
    for (int i = 0; i < MENU_DIFFICULTY_ITEMS; ++i)
        difficulty_panels.push_back({0, MENU_DIFFICULTY_PANEL_Y + MENU_PANEL_H * i, MENU_PANEL_W, MENU_PANEL_H});
    const SheetRect credits = {0, MENU_CREDITS_PANEL_Y, MENU_PANEL_W, MENU_PANEL_H};
    expect_holds(menu.get(), backgrounds, "menu.png");
    expect_holds(menu.get(), main_panels, "menu.png");
    expect_holds(menu.get(), difficulty_panels, "menu.png");
    expect_holds(menu.get(), {MENU_PAGE, credits}, "menu.png");

    expect_opaque(menu.get(), MENU_PAGE, "the how-to-play page");
    for (const SheetRect& r : backgrounds)
        expect_opaque(menu.get(), r, "a menu background");
    for (const SheetRect& r : main_panels)
        expect_drawn(menu.get(), r, "a main panel");
    for (const SheetRect& r : difficulty_panels)
        expect_drawn(menu.get(), r, "a difficulty panel");
    expect_drawn(menu.get(), credits, "the credits panel");
    // Each item's panel lights a different item.
    for (size_t i = 0; i < main_panels.size(); ++i)
        for (size_t j = i + 1; j < main_panels.size(); ++j)
            EXPECT_FALSE(same_picture(menu.get(), main_panels[i], main_panels[j]))
                << "main items " << i + 1 << ", " << j + 1;
    for (size_t i = 0; i < difficulty_panels.size(); ++i)
        for (size_t j = i + 1; j < difficulty_panels.size(); ++j)
            EXPECT_FALSE(same_picture(menu.get(), difficulty_panels[i], difficulty_panels[j]))
                << "difficulty items " << i + 1 << ", " << j + 1;
    for (size_t i = 0; i < backgrounds.size(); ++i)
        for (size_t j = i + 1; j < backgrounds.size(); ++j)
            EXPECT_FALSE(same_picture(menu.get(), backgrounds[i], backgrounds[j])) << "backgrounds " << i << ", " << j;
}

TEST(GraphicsAssets, LevelSheetHoldsBandsConesSentinelGlyphsAndBars) {
    const Picture lvl = load(repo("data/gfx/lvl.png"));
    ASSERT_TRUE(lvl);
    std::vector<SheetRect> cut = {LVL_POLE,     LVL_HEAD[0], LVL_HEAD[1], LVL_HEAD[2], LVL_GLYPH[0],
                                  LVL_GLYPH[1], LVL_BAR[0],  LVL_BAR[1],  LVL_BAR[2]};
    for (int band = 0; band < BAND_COUNT; ++band)
        cut.push_back(band_background(band));
    for (const LevelRow& row : LEVEL_TABLE)
        cut.push_back(band_cone(row.band));
    expect_holds(lvl.get(), cut, "lvl.png");

    for (int band = 0; band < BAND_COUNT; ++band)
        expect_opaque(lvl.get(), band_background(band), "background of band " + std::to_string(band));
    for (const LevelRow& row : LEVEL_TABLE) {
        // The gaze lets the watched ground show through.
        const Coverage c = coverage(lvl.get(), band_cone(row.band));
        EXPECT_GT(c.translucent, 0) << "the cone of level " << row.number << " is not see-through";
        EXPECT_GT(c.clear, 0) << "the cone of level " << row.number << " fills its square";
    }
    expect_drawn(lvl.get(), LVL_POLE, "the pole");
    for (int state = 0; state < 3; ++state)
        expect_drawn(lvl.get(), LVL_HEAD[state], "head " + std::to_string(state));
    // Idle and the two warning pictures tell apart.
    EXPECT_FALSE(same_picture(lvl.get(), LVL_HEAD[0], LVL_HEAD[1]));
    EXPECT_FALSE(same_picture(lvl.get(), LVL_HEAD[1], LVL_HEAD[2]));
    EXPECT_FALSE(same_picture(lvl.get(), LVL_HEAD[0], LVL_HEAD[2]));
    for (const SheetRect& g : LVL_GLYPH)
        expect_drawn(lvl.get(), g, "a glyph");
    EXPECT_FALSE(same_picture(lvl.get(), LVL_GLYPH[0], LVL_GLYPH[1]));
    for (const SheetRect& bar : LVL_BAR) {
        const Coverage c = coverage(lvl.get(), bar);
        EXPECT_GT(c.drawn(), 0) << "a bar at y " << bar.y << " is empty";
        EXPECT_EQ(c.opaque, 0) << "a bar at y " << bar.y << " hides the race";
    }
}

TEST(GraphicsAssets, AnimSheetHoldsCountdownBannersCurtainAndDrop) {
    const Picture anim = load(repo("data/gfx/anim.png"));
    ASSERT_TRUE(anim);
    const SheetRect banners[] = {ANIM_COUNT1, ANIM_COUNT2, ANIM_COUNT3, ANIM_GO,
                                 ANIM_PAUSE,  ANIM_WON,    ANIM_LOST,   ANIM_FALSE_START};
    std::vector<SheetRect> cut(std::begin(banners), std::end(banners));
    cut.push_back(ANIM_CURTAIN);
    cut.push_back(ANIM_DROP);
    expect_holds(anim.get(), cut, "anim.png");
    for (const SheetRect& r : banners) {
        const Coverage c = coverage(anim.get(), r);
        EXPECT_GT(c.drawn(), 0) << "banner at (" << r.x << ", " << r.y << ") is empty";
        EXPECT_GT(c.clear + c.translucent, 0) << "banner at (" << r.x << ", " << r.y << ") hides the whole race";
    }
    for (size_t i = 0; i < std::size(banners); ++i)
        for (size_t j = i + 1; j < std::size(banners); ++j)
            if (banners[i].h == banners[j].h) {
                EXPECT_FALSE(same_picture(anim.get(), banners[i], banners[j])) << "banners " << i << " and " << j;
            }
    expect_opaque(anim.get(), ANIM_CURTAIN, "the curtain band");
    expect_drawn(anim.get(), ANIM_DROP, "the rain drop");
    EXPECT_GT(coverage(anim.get(), ANIM_DROP).clear, 0) << "the drop is a square";
}

TEST(GraphicsAssets, RunnerSheetHoldsARunningCycleForEveryRow) {
    const Picture runners = load(repo("data/gfx/joueur.png"));
    ASSERT_TRUE(runners);
    EXPECT_GE(runners->w, RUNNER_SHEET_W);
    EXPECT_GE(runners->h, RUNNER_SHEET_H);
    auto frame = [](int row, int f) { return SheetRect{RUNNER_W * f, RUNNER_H * row, RUNNER_W, RUNNER_H}; };
    for (int row = 0; row < RUNNER_ROWS; ++row) {
        for (int f = 0; f < RUNNER_FRAMES; ++f) {
            const Coverage c = coverage(runners.get(), frame(row, f));
            EXPECT_GT(c.opaque, 100) << "row " << row << " frame " << f << " is (nearly) empty";
            EXPECT_GT(c.clear, RUNNER_W * RUNNER_H / 2) << "row " << row << " frame " << f << " has no background";
            // Half a stride later the legs have swapped: a different picture.
            if (f < RUNNER_FRAMES / 2) {
                EXPECT_FALSE(same_picture(runners.get(), frame(row, f), frame(row, f + RUNNER_FRAMES / 2)))
                    << "row " << row << " frame " << f;
            }
        }
        if (row > 0) {
            EXPECT_FALSE(same_picture(runners.get(), frame(0, 0), frame(row, 0)))
                << "row " << row << " looks like the player";
        }
    }
    // A planted foot touches the foot row in every frame: no runner floats or sinks.
    for (int row = 0; row < RUNNER_ROWS; ++row)
        for (int f = 0; f < RUNNER_FRAMES; ++f) {
            const SheetRect r = frame(row, f);
            int lowest = -1;
            for (int y = 0; y < r.h; ++y)
                for (int x = 0; x < r.w; ++x)
                    if (alpha(pixel(runners.get(), r.x + x, r.y + y)) != 0) lowest = std::max(lowest, y);
            // The ink outline runs one row under the foot.
            EXPECT_EQ(lowest, RUNNER_FOOT_ROW + 1) << "row " << row << " frame " << f;
        }
}

TEST(GraphicsAssets, IconIsA32PixelPicture) {
    const Picture icon = load(repo("ico.bmp"));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->w, 32);
    EXPECT_EQ(icon->h, 32);
    std::set<Uint32> colours;
    for (int y = 0; y < icon->h; ++y)
        for (int x = 0; x < icon->w; ++x)
            colours.insert(pixel(icon.get(), x, y));
    EXPECT_GT(colours.size(), 8u) << "the icon is not a picture";
}

TEST(GraphicsAssets, LevelGroundLiesUnderTheRunnersAndThePoles) {
    const Picture lvl = load(repo("data/gfx/lvl.png"));
    ASSERT_TRUE(lvl);
    const int finish_column = FINISH_X + RUNNER_FOOT_X;
    for (const LevelRow& row : LEVEL_TABLE) {
        SCOPED_TRACE("level " + std::to_string(row.number));
        const int top = band_y(row.band);
        auto under_a_pole = [&row](int column) {
            for (int s = 0; s < row.sentinel_count; ++s)
                if (column >= row.senti[s].pole_x && column < row.senti[s].pole_x + LVL_POLE.w) return true;
            return false;
        };
        // Along the whole race, what lies just under the feet and what lies over
        // the runner's knees, a little above the ground's back edge.
        std::map<Uint32, int> ground, above;  // colour -> a column showing it
        for (int x = row.start_x; x <= FINISH_X; ++x) {
            const int column = x + RUNNER_FOOT_X;
            if (column < 0 || column >= finish_column - 4 || under_a_pole(column)) continue;
            const int feet = runner_y(row, x) + RUNNER_FOOT_ROW;
            const int over = feet - GROUND_TOP_ABOVE_FEET - GROUND_TUFT_MAX - 4;
            ASSERT_GE(over, 0);
            ASSERT_LT(feet + 1, BAND_H);
            ground.emplace(pixel(lvl.get(), column, top + feet + 1), column);
            above.emplace(pixel(lvl.get(), column, top + over), column);
        }
        ASSERT_FALSE(ground.empty());
        for (const auto& [colour, column] : ground) {
            const auto clash = above.find(colour);
            EXPECT_TRUE(clash == above.end())
                << std::hex << "colour " << colour << std::dec << " is under the feet at column " << column
                << " and above the ground at column " << (clash == above.end() ? -1 : clash->second);
        }
        // Each pole stands on something: from its foot down to the ground's back
        // edge the column under it is not the backdrop seen beside it at the same rows.
        for (int s = 0; s < row.sentinel_count; ++s) {
            const SentinelRow& pole = row.senti[s];
            const int column = pole.pole_x + LVL_POLE.w / 2;
            const int back_edge = runner_y(row, column - RUNNER_FOOT_X) + RUNNER_FOOT_ROW - GROUND_TOP_ABOVE_FEET;
            int bare = 0;
            for (int y = pole.pole_y + LVL_POLE.h; y < back_edge; ++y) {
                const Uint32 c = pixel(lvl.get(), column, top + y);
                if (c == pixel(lvl.get(), column - 24, top + y) && c == pixel(lvl.get(), column + 24, top + y)) ++bare;
            }
            EXPECT_EQ(bare, 0) << "sentinel " << s << " floats over the ground at row " << back_edge;
        }
    }
}
