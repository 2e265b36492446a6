// The generated pictures in data/gfx and ico.bmp: the committed files are what
// the generator draws, every picture the game cuts from a sheet is there, and
// the level art stands the runners and the sentinels on the ground that the
// level table makes them walk.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../tools/gfx_layout.h"
#include "support.h"
#include "tables.h"

namespace {

struct FreeSurface {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Picture = std::unique_ptr<SDL_Surface, FreeSurface>;

const char* const FILES[] = {"data/gfx/menu.png", "data/gfx/lvl.png", "data/gfx/anim.png", "data/gfx/joueur.png",
                             "ico.bmp"};

// Loads a PNG or BMP as 32-bit ARGB, alpha copied as it is.
Picture load(const std::string& path) {
    const bool bmp = path.ends_with(".bmp");
    const Picture raw(bmp ? SDL_LoadBMP(path.c_str()) : IMG_Load(path.c_str()));
    const Picture argb(make_surface(1, 1));
    Picture out(raw ? SDL_ConvertSurface(raw.get(), argb->format, SDL_SWSURFACE) : nullptr);
    if (!out) ADD_FAILURE() << path << ": cannot load";
    return out;
}

std::string repo(const std::string& relative) { return std::string(PELUNE_SOURCE_DIR) + "/" + relative; }

struct Coverage {
    int opaque = 0, translucent = 0, clear = 0;
    int drawn() const { return opaque + translucent; }
};

Coverage coverage(SDL_Surface* s, const SheetRect& r) {
    Coverage c;
    for (int y = r.y; y < r.y + r.h; ++y) {
        for (int x = r.x; x < r.x + r.w; ++x) {
            const Uint32 a = pixel_at(s, x, y) >> 24;
            ++(a == 255 ? c.opaque : a == 0 ? c.clear : c.translucent);
        }
    }
    return c;
}

bool same_picture(SDL_Surface* s, const SheetRect& a, const SheetRect& b) {
    for (int y = 0; y < a.h; ++y) {
        for (int x = 0; x < a.w; ++x) {
            if (pixel_at(s, a.x + x, a.y + y) != pixel_at(s, b.x + x, b.y + y)) return false;
        }
    }
    return true;
}

// The runner's y when its x reaches `x`, stepping from the start as the game does:
// each step from x to x + 1 adds the dy of the segment that holds x (a negative x
// counts as 0).
int runner_y(const LevelRow& row, int x) {
    int y = row.start_y;
    for (int at = row.start_x; at < x; ++at) {
        const int drawn = std::max(at, 0);
        for (int s = 0; s < row.segment_count; ++s) {
            if (drawn >= row.segments[s].from && drawn < row.segments[s].to) y += row.segments[s].dy;
        }
    }
    return y;
}

}  // namespace

#ifdef PELUNE_ASSET_GENERATOR
TEST(GraphicsAssets, CommittedPicturesAreWhatTheGeneratorDraws) {
    const std::string dir = generated_assets();
    ASSERT_FALSE(dir.empty());
    for (const std::string file : FILES) {
        SCOPED_TRACE(file);
        const Picture fresh = load(dir + "/" + file), committed = load(repo(file));
        ASSERT_TRUE(fresh && committed);
        ASSERT_EQ(fresh->w, committed->w);
        ASSERT_EQ(fresh->h, committed->h);
        int differing = 0, first_x = -1, first_y = -1;
        for (int y = 0; y < fresh->h; ++y) {
            for (int x = 0; x < fresh->w; ++x) {
                if (pixel_at(fresh.get(), x, y) == pixel_at(committed.get(), x, y) || differing++ > 0) continue;
                first_x = x;
                first_y = y;
            }
        }
        EXPECT_EQ(differing, 0) << "first difference at (" << first_x << ", " << first_y
                                << "): run pelune_assets on the repository and commit the pictures";
    }
}
#endif

// What each cut region must hold.
// SEE_THROUGH: not fully opaque; CONE: some pixels translucent, some clear; GLAZE: none opaque.
enum Look { DRAWN, OPAQUE, SEE_THROUGH, CONE, GLAZE };

struct Cut {
    SheetRect r;
    Look look;
    std::string what;
};

struct Sheet {
    const char* file;
    int w, h;  // the size the game's sheet layout assumes
    std::vector<Cut> cuts;
    std::vector<std::vector<SheetRect>> distinct;  // groups of pictures that must all differ
};

std::vector<Sheet> sheets() {
    Sheet menu{"data/gfx/menu.png", MENU_SHEET_W, MENU_SHEET_H, {{MENU_PAGE, OPAQUE, "the how-to-play page"}},
               {{}, {}, {}}};  // backgrounds, main panels, difficulty panels
    for (int k = 0; k < MENU_BG_SLOTS; ++k) menu.distinct[0].push_back({MENU_BG_X, MENU_BG_H * k, 480, MENU_BG_H});
    for (int i = 0; i < MENU_MAIN_ITEMS; ++i)
        menu.distinct[1].push_back({0, MENU_MAIN_PANEL_Y + MENU_PANEL_H * i, MENU_PANEL_W, MENU_PANEL_H});
    for (int i = 0; i < MENU_DIFFICULTY_ITEMS; ++i)
        menu.distinct[2].push_back({0, MENU_DIFFICULTY_PANEL_Y + MENU_PANEL_H * i, MENU_PANEL_W, MENU_PANEL_H});
    for (const SheetRect& r : menu.distinct[0]) menu.cuts.push_back({r, OPAQUE, "a menu background"});
    for (const SheetRect& r : menu.distinct[1]) menu.cuts.push_back({r, DRAWN, "a main panel"});
    for (const SheetRect& r : menu.distinct[2]) menu.cuts.push_back({r, DRAWN, "a difficulty panel"});
    menu.cuts.push_back({{0, MENU_CREDITS_PANEL_Y, MENU_PANEL_W, MENU_PANEL_H}, DRAWN, "the credits panel"});

    Sheet lvl{"data/gfx/lvl.png", LVL_SHEET_W, LVL_SHEET_H, {{LVL_POLE, DRAWN, "the pole"}},
              {{LVL_HEAD[0], LVL_HEAD[1], LVL_HEAD[2]}, {LVL_GLYPH[0], LVL_GLYPH[1]}}};
    for (int i = 0; i < 3; ++i) {
        lvl.cuts.push_back({LVL_HEAD[i], DRAWN, "head " + std::to_string(i)});
        lvl.cuts.push_back({LVL_BAR[i], GLAZE, "bar " + std::to_string(i)});
    }
    for (const SheetRect& g : LVL_GLYPH) lvl.cuts.push_back({g, DRAWN, "a glyph"});
    for (int band = 0; band < BAND_COUNT; ++band)
        lvl.cuts.push_back({{0, band_y(band), 480, BAND_H}, OPAQUE, "background of band " + std::to_string(band)});
    for (const LevelRow& row : LEVEL_TABLE)  // the gaze lets the watched ground show through
        lvl.cuts.push_back({{CONE_SHEET_X, band_y(row.band), CONE_SIZE, CONE_SIZE}, CONE,
                            "the cone of level " + std::to_string(row.number)});

    Sheet anim{"data/gfx/anim.png", ANIM_SHEET_W, ANIM_SHEET_H,
               {{ANIM_CURTAIN, OPAQUE, "the curtain band"}, {ANIM_DROP, SEE_THROUGH, "the rain drop"}},
               {{ANIM_COUNT1, ANIM_COUNT2, ANIM_COUNT3, ANIM_GO, ANIM_WON, ANIM_LOST, ANIM_FALSE_START}}};
    for (const SheetRect& r : anim.distinct[0]) anim.cuts.push_back({r, SEE_THROUGH, "a banner"});
    anim.cuts.push_back({ANIM_PAUSE, SEE_THROUGH, "the pause banner"});

    Sheet runners{"data/gfx/joueur.png", RUNNER_SHEET_W, RUNNER_SHEET_H, {}, {}};
    return {menu, lvl, anim, runners};
}

TEST(GraphicsAssets, EverySheetHoldsEveryCutItsPicturesDrawnAndTellingApart) {
    for (const Sheet& sheet : sheets()) {
        SCOPED_TRACE(sheet.file);
        const Picture p = load(repo(sheet.file));
        ASSERT_TRUE(p);
        EXPECT_GE(p->w, sheet.w);
        EXPECT_GE(p->h, sheet.h);
        for (const Cut& cut : sheet.cuts) {
            const SheetRect& r = cut.r;
            SCOPED_TRACE(cut.what + " at (" + std::to_string(r.x) + ", " + std::to_string(r.y) + ")");
            ASSERT_TRUE(p->w >= r.x + r.w && p->h >= r.y + r.h) << "outside the sheet";
            const Coverage c = coverage(p.get(), r);
            const bool looks_right[] = {true, c.opaque == r.w * r.h, c.clear + c.translucent > 0,
                                        c.translucent > 0 && c.clear > 0, c.opaque == 0};  // by Look
            EXPECT_TRUE(c.drawn() > 0 && looks_right[cut.look])
                << "look " << cut.look << ": " << c.opaque << " opaque, " << c.translucent << " translucent, "
                << c.clear << " clear pixels";
        }
        for (const auto& group : sheet.distinct) {
            for (size_t i = 0; i < group.size(); ++i) {
                for (size_t j = i + 1; j < group.size(); ++j) {
                    EXPECT_FALSE(same_picture(p.get(), group[i], group[j]))
                        << "(" << group[i].x << ", " << group[i].y << ") and (" << group[j].x << ", "
                        << group[j].y << ")";
                }
            }
        }
    }
}

TEST(GraphicsAssets, RunnerSheetHoldsARunningCycleForEveryRowStandingOnTheFootRow) {
    const Picture runners = load(repo("data/gfx/joueur.png"));
    ASSERT_TRUE(runners && runners->w >= RUNNER_SHEET_W && runners->h >= RUNNER_SHEET_H);
    auto frame = [](int row, int f) { return SheetRect{RUNNER_W * f, RUNNER_H * row, RUNNER_W, RUNNER_H}; };
    for (int row = 0; row < RUNNER_ROWS; ++row) {
        EXPECT_TRUE(row == 0 || !same_picture(runners.get(), frame(0, 0), frame(row, 0)))
            << "row " << row << " looks like the player";
        for (int f = 0; f < RUNNER_FRAMES; ++f) {
            SCOPED_TRACE("row " + std::to_string(row) + " frame " + std::to_string(f));
            const SheetRect r = frame(row, f);
            const Coverage c = coverage(runners.get(), r);
            EXPECT_GT(c.opaque, 100) << "(nearly) empty";
            EXPECT_GT(c.clear, RUNNER_W * RUNNER_H / 2) << "no background";
            // Half a stride later the legs have swapped: a different picture.
            EXPECT_FALSE(same_picture(runners.get(), r, frame(row, (f + RUNNER_FRAMES / 2) % RUNNER_FRAMES)));
            // A planted foot touches the foot row in every frame, the ink outline one row under it.
            int lowest = -1;
            for (int y = 0; y < r.h; ++y) {
                for (int x = 0; x < r.w; ++x) {
                    if (pixel_at(runners.get(), r.x + x, r.y + y) >> 24 != 0) lowest = y;
                }
            }
            EXPECT_EQ(lowest, RUNNER_FOOT_ROW + 1) << "the runner floats or sinks";
        }
    }
}

TEST(GraphicsAssets, IconIsA32PixelPicture) {
    const Picture icon = load(repo("ico.bmp"));
    ASSERT_TRUE(icon);
    EXPECT_TRUE(icon->w == 32 && icon->h == 32);
    std::set<Uint32> colours;
    for (int y = 0; y < icon->h; ++y) {
        for (int x = 0; x < icon->w; ++x) colours.insert(pixel_at(icon.get(), x, y));
    }
    EXPECT_GT(colours.size(), 8u) << "the icon is not a picture";
}

TEST(GraphicsAssets, LevelGroundLiesUnderTheRunnersAndThePoles) {
    const Picture lvl = load(repo("data/gfx/lvl.png"));
    ASSERT_TRUE(lvl);
    auto at = [&lvl](int column, int y) { return pixel_at(lvl.get(), column, y); };
    for (const LevelRow& row : LEVEL_TABLE) {
        SCOPED_TRACE("level " + std::to_string(row.number));
        const int top = band_y(row.band);
        auto under_a_pole = [&row](int column) {
            for (int s = 0; s < row.sentinel_count; ++s) {
                if (column >= row.senti[s].pole_x && column < row.senti[s].pole_x + LVL_POLE.w) return true;
            }
            return false;
        };
        // Along the whole race, what lies just under the feet and what lies over
        // the runner's knees, a little above the ground's back edge.
        std::map<Uint32, int> ground, above;  // colour -> a column showing it
        for (int x = row.start_x; x <= FINISH_X; ++x) {
            const int column = x + RUNNER_FOOT_X;
            if (column < 0 || column >= FINISH_X + RUNNER_FOOT_X - 4 || under_a_pole(column)) continue;
            const int feet = runner_y(row, x) + RUNNER_FOOT_ROW;
            const int over = feet - GROUND_TOP_ABOVE_FEET - GROUND_TUFT_MAX - 4;
            ASSERT_TRUE(over >= 0 && feet + 1 < BAND_H);
            ground.emplace(at(column, top + feet + 1), column);
            above.emplace(at(column, top + over), column);
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
            for (int y = top + pole.pole_y + LVL_POLE.h; y < top + back_edge; ++y) {
                bare += at(column, y) == at(column - 24, y) && at(column, y) == at(column + 24, y) ? 1 : 0;
            }
            EXPECT_EQ(bare, 0) << "sentinel " << s << " floats over the ground at row " << back_edge;
        }
    }
}
