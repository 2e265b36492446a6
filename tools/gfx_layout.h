// SPDX-License-Identifier: MIT
// Where the art puts what the game's tables leave open: the runner's feet in its
// frame, and the ground drawn under them. The level art and its tests read these.
#ifndef PELUNE_TOOLS_GFX_LAYOUT_H
#define PELUNE_TOOLS_GFX_LAYOUT_H

// A runner drawn at (x, y) plants its foot on row y + RUNNER_FOOT_ROW, around
// column x + RUNNER_FOOT_X (the middle of its 51-px frame).
constexpr int RUNNER_FOOT_ROW = 47;
constexpr int RUNNER_FOOT_X = 25;

// The ground's walkable top face runs from GROUND_TOP_ABOVE_FEET rows above the
// player's feet line (where the computer, 5 px higher, runs in the back lane) to
// GROUND_FACE_BELOW_FEET rows below it; the earth of the scene lies under it.
constexpr int GROUND_TOP_ABOVE_FEET = 5;
constexpr int GROUND_FACE_BELOW_FEET = 2;

// Grass, snow or sparks may poke this far above the top face, never more.
constexpr int GROUND_TUFT_MAX = 3;

#endif
