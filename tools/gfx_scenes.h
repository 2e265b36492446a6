// SPDX-License-Identifier: MIT
// The scenes behind the races: sky, scenery and the ground the runners tread,
// shared by the level backgrounds, the menu backgrounds and the endings.
#ifndef PELUNE_TOOLS_GFX_SCENES_H
#define PELUNE_TOOLS_GFX_SCENES_H

#include <array>
#include <cstdint>

#include "gfx_canvas.h"
#include "gfx_layout.h"
#include "tables.h"

constexpr int SCENE_W = 480;
constexpr int SCENE_H = 272;

// The ground of a screen: for every column, the first row of its top face.
struct Ground {
    std::array<int, SCENE_W> top{};
    // The player's feet line in this column.
    int feet(int x) const { return top[x] + GROUND_TOP_ABOVE_FEET; }
};

// The ground a level's runners follow: in column x stands a runner drawn at
// x - RUNNER_FOOT_X, whose y is the start y plus the slopes stepped so far.
Ground ground_of(const LevelRow& row);
// A gently rolling ground for still pictures, around `base` (feet line).
Ground rolling_ground(int base, float amplitude, std::uint32_t seed);

enum class Scene { Meadow, Forest, Desert, Canyon, Snow, Town, Cave, Volcano, Skyway, Code };

// The scene of each race level and of the bonus level.
Scene scene_of_level(int number);
// Paints the whole 480x272 picture: sky, scenery, ground. `sky_dy` lowers the
// sun or the moon of the meadow and the town, out of the way of a title.
void paint_scene(Image& img, Scene scene, const Ground& ground, std::uint32_t seed,
                 float sky_dy = 0.f);
// The stand a sentinel's pole is planted on: from the pole's foot down into the ground.
void paint_plinth(Image& img, Scene scene, int pole_x, int pole_y, const Ground& ground);
// The finish post and the chequered line across the track at the finish.
void paint_finish(Image& img, const Ground& ground);
// The colour of the sentinel's gaze in that scene.
Rgba beam_colour(Scene scene);

#endif
