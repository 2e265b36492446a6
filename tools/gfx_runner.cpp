// SPDX-License-Identifier: MIT
// The runners: a 16-frame running cycle per row, the player on row 0 and one
// differently dressed rival per level below; and the window icon.
#include <algorithm>
#include <cmath>

#include "gfx_layout.h"
#include "gfx_palette.h"
#include "gfx_sheets.h"
#include "tables.h"

namespace {

struct Outfit {
    Rgba shirt_dark, shirt, shirt_light;
    Rgba shorts;
    Rgba band;  // headband and its tail
    Rgba hair;
    Rgba shoes;
};

// Row 0 the player; row n the computer of level n (row 2 also races the bonus
// level and stands on the endings). Each rival's shirt stands out from its
// level's scene: warm on green and blue, cool on sand and rock, light on dark.
const Outfit OUTFITS[RUNNER_ROWS] = {
    {pal::DEEP, pal::BLUE, pal::SKY, pal::NAVY, pal::GOLD, pal::EARTH, pal::WHITE},
    {pal::BRICK, pal::RED, pal::ORANGE, pal::WINE, pal::WHITE, pal::SOIL, pal::INK},      // meadow
    {pal::BRICK, pal::ORANGE, pal::AMBER, pal::WINE, pal::WHITE, pal::SOIL, pal::WHITE},  // forest
    {pal::ABYSS, pal::TEAL, pal::AQUA, pal::NAVY, pal::PINK, pal::EARTH, pal::WHITE},     // desert
    {pal::LEAF, pal::GRASS, pal::LIME, pal::FOREST, pal::GOLD, pal::INK, pal::PALE},      // canyon
    {pal::BRICK, pal::RED, pal::PINK, pal::NAVY, pal::GOLD, pal::SOIL, pal::WHITE},       // snow
    {pal::ORCHID, pal::PINK, pal::WHITE, pal::PLUM, pal::AQUA, pal::GOLD, pal::DUSK},     // town
    {pal::AMBER, pal::GOLD, pal::CREAM, pal::CLAY, pal::RED, pal::SOIL, pal::BRICK},      // cave
    {pal::MIST, pal::PALE, pal::WHITE, pal::DEEP, pal::RED, pal::INK, pal::AQUA},         // volcano
    {pal::PLUM, pal::VIOLET, pal::ORCHID, pal::NIGHT, pal::GOLD, pal::INK, pal::GOLD},    // skyway
};

struct Point {
    float x, y;
};

Point along(Point from, float angle, float length) {
    // Angles are measured from straight down, positive towards the front (+x).
    return {from.x + length * std::sin(angle), from.y + length * std::cos(angle)};
}

struct Leg {
    Point hip, knee, ankle, toe;
};

// A leg at its phase of the stride: the thigh swings forward and back; while it
// swings forward the knee folds (heel up behind), while it pushes back it is
// nearly straight.
Leg leg_pose(Point hip, float phase, float s) {
    const float thigh = 0.62f * std::sin(phase);
    const float fold = 0.22f + 1.35f * std::max(0.f, std::cos(phase));
    const float shin = thigh - fold;
    Leg leg;
    leg.hip = hip;
    leg.knee = along(hip, thigh, 10.f * s);
    leg.ankle = along(leg.knee, shin, 10.f * s);
    // The foot points forward, tipping with the shin.
    const float tip = 0.55f * shin + 1.45f;
    leg.toe = along(leg.ankle, tip, 4.5f * s);
    return leg;
}

struct Pose {
    Leg near_leg, far_leg;
    Point neck, head, near_shoulder, far_shoulder;
    Point near_elbow, near_hand, far_elbow, far_hand;
    float band_wave;
};

Pose pose(float phase, float s, float lift) {
    Pose p;
    const Point hip = {0.f, -lift};
    p.near_leg = leg_pose(hip, phase, s);
    p.far_leg = leg_pose(hip, phase + 3.14159265f, s);
    const float lean = 0.22f;
    p.neck = {hip.x + 12.f * s * std::sin(lean), hip.y - 12.f * s * std::cos(lean)};
    p.head = {p.neck.x + 1.6f * s, p.neck.y - 5.2f * s};
    p.near_shoulder = {p.neck.x - 0.5f * s, p.neck.y + 1.5f * s};
    p.far_shoulder = {p.neck.x + 0.5f * s, p.neck.y + 1.2f * s};
    // Arms swing against the legs, elbows bent.
    const float near_arm = -0.95f * std::sin(phase);
    const float far_arm = -0.95f * std::sin(phase + 3.14159265f);
    p.near_elbow = along(p.near_shoulder, near_arm, 6.5f * s);
    p.near_hand = along(p.near_elbow, near_arm + 1.75f, 6.f * s);
    p.far_elbow = along(p.far_shoulder, far_arm, 6.5f * s);
    p.far_hand = along(p.far_elbow, far_arm + 1.75f, 6.f * s);
    p.band_wave = std::sin(phase * 2.f);
    return p;
}

float lowest_foot(const Pose& p, float s) {
    const float r = 1.5f * s;
    return std::max({p.near_leg.ankle.y, p.near_leg.toe.y, p.far_leg.ankle.y, p.far_leg.toe.y}) + r;
}

Point at(Point origin, Point p) { return {origin.x + p.x, origin.y + p.y}; }

void limb(Image& img, Point o, Point a, Point b, float r, Rgba c) {
    const Point p = at(o, a), q = at(o, b);
    capsule(img, p.x, p.y, q.x, q.y, r, c);
}

void draw_leg(Image& img, Point o, const Leg& leg, float s, const Outfit& fit, bool near_side) {
    const Rgba skin = near_side ? pal::SKIN : pal::SKIN_SHADE;
    const Rgba shorts = near_side ? fit.shorts : mix(fit.shorts, pal::INK, 0.4f);
    const Rgba shoes = near_side ? fit.shoes : mix(fit.shoes, pal::INK, 0.35f);
    limb(img, o, leg.knee, leg.ankle, 1.55f * s, skin);
    limb(img, o, leg.hip, leg.knee, 2.0f * s, skin);
    // Shorts cover the upper part of the thigh.
    const Point mid = {leg.hip.x + (leg.knee.x - leg.hip.x) * 0.55f,
                       leg.hip.y + (leg.knee.y - leg.hip.y) * 0.55f};
    limb(img, o, leg.hip, mid, 2.4f * s, shorts);
    limb(img, o, leg.ankle, leg.toe, 1.5f * s, shoes);
}

void draw_arm(Image& img, Point o, Point shoulder, Point elbow, Point hand, float s,
              const Outfit& fit, bool near_side) {
    const Rgba skin = near_side ? pal::SKIN : pal::SKIN_SHADE;
    const Rgba sleeve = near_side ? fit.shirt : fit.shirt_dark;
    limb(img, o, elbow, hand, 1.3f * s, skin);
    limb(img, o, shoulder, elbow, 1.45f * s, skin);
    const Point mid = {shoulder.x + (elbow.x - shoulder.x) * 0.5f,
                       shoulder.y + (elbow.y - shoulder.y) * 0.5f};
    limb(img, o, shoulder, mid, 1.8f * s, sleeve);
}

}  // namespace

void draw_runner(Image& img, float foot_x, float foot_row, float s, int frame, int outfit_row) {
    const Outfit& fit = OUTFITS[outfit_row];
    const float phase = 6.2831853f * static_cast<float>(frame) / RUNNER_FRAMES;
    Pose p = pose(phase, s, 0.f);
    // Plant the lowest foot on the foot row, so the runner bobs as its legs fold.
    const float drop = static_cast<float>(foot_row) + 1.f - lowest_foot(p, s);
    const Point o = {foot_x, drop};

    Image body(img.w(), img.h());
    // Far side first, in shade.
    draw_arm(body, o, p.far_shoulder, p.far_elbow, p.far_hand, s, fit, false);
    draw_leg(body, o, p.far_leg, s, fit, false);
    // Torso: shirt with a light stripe down the front.
    limb(body, o, p.near_leg.hip, p.neck, 3.3f * s, fit.shirt);
    limb(body, o, {p.near_leg.hip.x + 1.8f * s, p.near_leg.hip.y - 2.f * s},
         {p.neck.x + 1.6f * s, p.neck.y + 1.5f * s}, 1.0f * s, fit.shirt_light);
    limb(body, o, {p.near_leg.hip.x - 1.5f * s, p.near_leg.hip.y - 1.f * s},
         {p.neck.x - 2.f * s, p.neck.y + 2.f * s}, 1.0f * s, fit.shirt_dark);
    draw_leg(body, o, p.near_leg, s, fit, true);
    // Head: hair at the back, face in front, an eye, the headband and its tail.
    const Point head = at(o, p.head);
    disc(body, head.x, head.y, 4.6f * s, pal::SKIN);
    disc(body, head.x - 1.3f * s, head.y - 1.1f * s, 4.0f * s, fit.hair);
    disc(body, head.x + 1.0f * s, head.y + 0.6f * s, 3.4f * s, pal::SKIN);
    body.put(static_cast<int>(head.x + 2.6f * s), static_cast<int>(head.y - 0.2f * s), pal::INK);
    capsule(body, head.x - 4.f * s, head.y - 1.9f * s, head.x + 3.8f * s, head.y - 2.4f * s,
            0.9f * s, fit.band);
    const float wave = p.band_wave * 1.6f * s;
    capsule(body, head.x - 4.f * s, head.y - 2.f * s, head.x - 8.5f * s, head.y - 1.f * s + wave,
            0.8f * s, fit.band);
    capsule(body, head.x - 4.f * s, head.y - 1.5f * s, head.x - 7.5f * s,
            head.y + 1.2f * s + wave * 0.6f, 0.7f * s, mix(fit.band, pal::INK, 0.25f));
    draw_arm(body, o, p.near_shoulder, p.near_elbow, p.near_hand, s, fit, true);
    outline(body, pal::INK);
    img.draw(body, 0, 0);
}

Image runner_sheet() {
    Image sheet(RUNNER_SHEET_W, RUNNER_SHEET_H);
    for (int row = 0; row < RUNNER_ROWS; ++row)
        for (int f = 0; f < RUNNER_FRAMES; ++f) {
            Image frame(RUNNER_W, RUNNER_H);
            draw_runner(frame, static_cast<float>(RUNNER_FOOT_X),
                        static_cast<float>(RUNNER_FOOT_ROW), 1.f, f, row);
            sheet.copy(frame, RUNNER_W * f, RUNNER_H * row);
        }
    return sheet;
}

Image icon_picture(int size) {
    // Drawn afresh at 32, 48 and 64 px; the larger icons are the 64-px one
    // enlarged pixel for pixel, so they keep the game's pixel-art look.
    if (size > 64) {
        const Image small = icon_picture(64);
        const int k = size / 64;
        Image big(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) big.put(x, y, small.get(x / k, y / k));
        return big;
    }
    const float u = static_cast<float>(size) / 32.f;
    const int cut = static_cast<int>(std::lround(5.f * u));
    // A rounded badge on a transparent square: ink rim, white line, sunset inside.
    Image icon(size, size);
    round_rect(icon, 0, 0, size, size, cut + 1, pal::INK);
    round_rect(icon, 1, 1, size - 2, size - 2, cut, pal::WHITE);
    const int inner = std::max(2, static_cast<int>(std::lround(2.f * u)));
    Image inside(size, size);
    round_rect(inside, inner, inner, size - 2 * inner, size - 2 * inner, cut - 1, pal::INK);
    Image scene(size, size);
    dither_ramp(scene, 0, 0, size - 1, size * 5 / 8, {pal::ORANGE, pal::AMBER});
    disc(scene, 22.f * u, 12.f * u, 6.5f * u, pal::GOLD);
    disc(scene, 22.f * u, 12.f * u, 5.f * u, pal::CREAM);
    for (int x = 0; x < size; ++x) {
        const int top = static_cast<int>(std::lround((25.5f + 1.5f * std::sin(x / u * 0.25f)) * u));
        for (int y = size * 5 / 8; y < size; ++y)
            scene.put(x, y,
                      y < top                            ? pal::AMBER
                      : y < top + std::max(1, size / 32) ? pal::LIME
                                                         : pal::GRASS);
    }
    draw_runner(scene, 15.f * u, 27.f * u, 0.58f * u, 3, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (inside.get(x, y).a) icon.put(x, y, scene.get(x, y));
    return icon;
}
