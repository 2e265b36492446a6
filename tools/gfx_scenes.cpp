// SPDX-License-Identifier: MIT
#include "gfx_scenes.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "gfx_palette.h"

namespace {

// ---- Noise ----

float hash01(int i, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(i) * 374761393u + seed * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / 16777216.f;
}

// Value noise in [0, 1), smooth along x.
float noise1(float x, std::uint32_t seed) {
    const int i = static_cast<int>(std::floor(x));
    const float f = x - static_cast<float>(i);
    const float u = f * f * (3.f - 2.f * f);
    return hash01(i, seed) + (hash01(i + 1, seed) - hash01(i, seed)) * u;
}

float hash2(int x, int y, std::uint32_t seed) {
    return hash01(x * 7919 + y * 104729, seed);
}

float fbm(float x, std::uint32_t seed) {
    return (noise1(x, seed) * 4.f + noise1(x * 2.1f, seed + 1) * 2.f + noise1(x * 4.3f, seed + 2)) / 7.f;
}

int clampi(int v, int lo, int hi) {
    return std::max(lo, std::min(hi, v));
}

// ---- Ground ----

struct GroundStyle {
    Rgba edge, light, face, speck, lip;  // the top face, from its back edge to its front lip
    Rgba shadow;                         // under the lip
    Rgba body[3];                        // the earth, deeper and deeper
    Rgba pebble, pebble_light;
    int tufts;  // blades per 100 columns
    Rgba tuft, tuft_tip;
    int scallop = 0;  // cloud lumps hanging into the deeper layers, this tall
    int pebbles = 70;
};

constexpr int FACE_ROWS = GROUND_TOP_ABOVE_FEET + GROUND_FACE_BELOW_FEET + 1;  // edge to lip

void paint_ground(Image& img, const Ground& g, const GroundStyle& s, std::uint32_t seed) {
    Rng rng(seed);
    for (int x = 0; x < SCENE_W; ++x) {
        const int top = g.top[x];
        float wobble1 = 24.f + 10.f * fbm(x / 40.f, seed + 11);
        float wobble2 = 58.f + 14.f * fbm(x / 55.f, seed + 12);
        if (s.scallop > 0) {
            auto lump = [](int column, int width) {
                const float u = static_cast<float>(column % width) / (width / 2.f) - 1.f;
                return std::sqrt(std::max(0.f, 1.f - u * u));
            };
            wobble1 = 16.f + s.scallop * lump(x, 34);
            wobble2 = 44.f + s.scallop * lump(x + 13, 46);
        }
        for (int y = std::max(top, 0); y < SCENE_H; ++y) {
            const int d = y - top;
            Rgba c;
            if (d == 0)
                c = s.edge;
            else if (d <= 2)
                c = s.light;
            else if (d < FACE_ROWS - 1)
                c = hash2(x, y, seed) < 0.1f ? s.speck : s.face;
            else if (d == FACE_ROWS - 1)
                c = s.lip;
            else if (d <= FACE_ROWS + 1)
                c = s.shadow;
            else {
                const float depth = static_cast<float>(d);
                int band = 0;
                if (depth > wobble2 || (depth > wobble2 - 3 && bayer(x, y) < (depth - wobble2 + 3) / 3.f))
                    band = 2;
                else if (depth > wobble1 || (depth > wobble1 - 3 && bayer(x, y) < (depth - wobble1 + 3) / 3.f))
                    band = 1;
                c = s.body[band];
            }
            img.put(x, y, c);
        }
    }
    // Pebbles in the earth.
    for (int i = 0; i < s.pebbles; ++i) {
        const int x = rng.range(0, SCENE_W - 1);
        const int depth = rng.range(FACE_ROWS + 4, 120);
        const int y = g.top[x] + depth;
        if (y > SCENE_H + 2) continue;
        const float r = 1.f + rng.unit() * 1.8f;
        ellipse(img, x + 0.5f, y + 0.5f, r * 1.4f, r, s.pebble);
        img.put(x - static_cast<int>(r * 0.6f), y - static_cast<int>(r * 0.5f), s.pebble_light);
    }
    // Blades, snow lumps or sparks poking over the back edge.
    for (int x = 0; x < SCENE_W; ++x) {
        if (hash01(x, seed + 5) * 100.f >= static_cast<float>(s.tufts)) continue;
        const int h = 1 + static_cast<int>(hash01(x, seed + 6) * GROUND_TUFT_MAX);
        for (int k = 1; k <= h; ++k)
            img.put(x, g.top[x] - k, k == h ? s.tuft_tip : s.tuft);
    }
}

// ---- Scenery pieces ----

void ridge(Image& img, float base, float amp, float scale, std::uint32_t seed, Rgba body, Rgba rim) {
    for (int x = 0; x < SCENE_W; ++x) {
        const int h = static_cast<int>(std::lround(base - amp * fbm(x / scale, seed)));
        for (int y = std::max(h, 0); y < SCENE_H; ++y)
            img.put(x, y, y == h ? rim : body);
    }
}

void cloud(Image& img, float cx, float cy, float w, Rgba light, Rgba mid, Rgba shade, std::uint32_t seed) {
    Image puff(SCENE_W, SCENE_H);
    Rng rng(seed);
    const int lumps = 3 + static_cast<int>(w / 18.f);
    for (int i = 0; i < lumps; ++i) {
        const float t = lumps == 1 ? 0.5f : static_cast<float>(i) / static_cast<float>(lumps - 1);
        const float x = cx - w / 2 + t * w;
        const float r = w * (0.13f + 0.12f * std::sin(t * 3.14159f)) + rng.unit() * 3.f;
        disc(puff, x, cy - r * 0.45f, r, light);
    }
    // Flat underside, shaded.
    for (int y = 0; y < SCENE_H; ++y)
        for (int x = 0; x < SCENE_W; ++x) {
            if (puff.get(x, y).a == 0) continue;
            if (y > cy + 1)
                puff.put(x, y, Rgba{});
            else if (y > cy - 3)
                puff.put(x, y, shade);
            else if (y > cy - 6 && bayer(x, y) < 0.5f)
                puff.put(x, y, mid);
        }
    img.draw(puff, 0, 0);
}

void sun(Image& img, float cx, float cy, float r, Rgba core, Rgba rim, Rgba halo) {
    for (int i = 3; i >= 1; --i)
        disc(img, cx, cy, r + 5.f * i, with_alpha(halo, 26 + 10 * (3 - i)));
    disc(img, cx, cy, r, rim);
    disc(img, cx - r * 0.12f, cy - r * 0.12f, r * 0.8f, core);
}

void stars(Image& img, Rng& rng, int count, int y_max, Rgba dim, Rgba bright) {
    for (int i = 0; i < count; ++i) {
        const int x = rng.range(0, SCENE_W - 1), y = rng.range(0, y_max);
        if (rng.range(0, 9) == 0) {
            img.put(x, y, bright);
            img.put(x - 1, y, dim);
            img.put(x + 1, y, dim);
            img.put(x, y - 1, dim);
            img.put(x, y + 1, dim);
        } else {
            img.put(x, y, rng.range(0, 2) ? dim : bright);
        }
    }
}

void moon(Image& img, float cx, float cy, float r, Rgba light, Rgba shade, Rgba glow) {
    for (int i = 3; i >= 1; --i)
        disc(img, cx, cy, r + 4.f * i, with_alpha(glow, 18 + 8 * (3 - i)));
    disc(img, cx, cy, r, light);
    disc(img, cx + r * 0.3f, cy + r * 0.25f, r * 0.28f, shade);
    disc(img, cx - r * 0.35f, cy - r * 0.2f, r * 0.18f, shade);
    disc(img, cx - r * 0.1f, cy + r * 0.5f, r * 0.14f, shade);
}

void pine(Image& img, float x, int base, float h, Rgba dark, Rgba mid, Rgba light, Rgba trunk, bool snowy) {
    img.fill(static_cast<int>(x) - 1, base - static_cast<int>(h * 0.2f), 3, static_cast<int>(h * 0.2f) + 2, trunk);
    const int tiers = 3;
    for (int t = 0; t < tiers; ++t) {
        const float tb = base - h * 0.15f - t * h * 0.24f;
        const float half = h * (0.34f - t * 0.08f);
        const float tt = tb - h * 0.42f;
        polygon(img, {x, tt, x + half, tb, x - half, tb}, dark);
        polygon(img, {x, tt, x - 1.f, tb - 1.f, x - half + 1.f, tb - 1.f}, mid);
        polygon(img, {x, tt + 2.f, x - half * 0.45f, tb - 2.f, x - half * 0.6f, tb - 1.f}, light);
        if (snowy) {
            polygon(img, {x, tt, x + half * 0.35f, tt + h * 0.14f, x - half * 0.35f, tt + h * 0.14f}, pal::WHITE);
            img.fill(static_cast<int>(x - half + 1), static_cast<int>(tb) - 1, static_cast<int>(half * 2) - 1, 1,
                     pal::WHITE);
        }
    }
}

void broadleaf(Image& img, float x, int base, float size, Rgba dark, Rgba mid, Rgba light, Rgba trunk,
               std::uint32_t seed) {
    capsule(img, x, static_cast<float>(base), x, base - size * 1.1f, size * 0.12f + 1.f, trunk);
    Rng rng(seed);
    const float cy = base - size * 1.4f;
    for (int i = 0; i < 6; ++i) {
        const float a = i * 1.047f + rng.unit() * 0.5f;
        disc(img, x + std::cos(a) * size * 0.45f, cy + std::sin(a) * size * 0.3f, size * 0.45f, dark);
    }
    disc(img, x, cy, size * 0.6f, dark);
    disc(img, x - size * 0.12f, cy - size * 0.1f, size * 0.5f, mid);
    disc(img, x - size * 0.28f, cy - size * 0.3f, size * 0.26f, light);
}

void cactus(Image& img, float x, int base, float h) {
    const float r = 2.6f;
    capsule(img, x, static_cast<float>(base + 2), x, base - h, r, pal::LEAF);
    capsule(img, x - 7.f, base - h * 0.45f, x - 7.f, base - h * 0.75f, r * 0.8f, pal::LEAF);
    capsule(img, x - 7.f, base - h * 0.45f, x, base - h * 0.45f, r * 0.8f, pal::LEAF);
    capsule(img, x + 7.f, base - h * 0.3f, x + 7.f, base - h * 0.6f, r * 0.8f, pal::LEAF);
    capsule(img, x + 7.f, base - h * 0.3f, x, base - h * 0.3f, r * 0.8f, pal::LEAF);
    img.fill(static_cast<int>(x) - 1, static_cast<int>(base - h), 1, static_cast<int>(h), pal::GRASS);
    img.fill(static_cast<int>(x) + 1, static_cast<int>(base - h) + 2, 1, static_cast<int>(h) - 2, pal::FOREST);
}

void mesa(Image& img, float x, int base, float w, float h, Rgba body, Rgba rim, Rgba shade) {
    // A butte: sheer cliffs on a skirt of fallen rock.
    const float top = base - h, foot = static_cast<float>(base), cliff = top + h * 0.6f;
    const float half = w * 0.5f;
    polygon(img,
            {x - half, top, x + half, top, x + half + w * 0.08f, cliff, x + w * 0.95f, foot, x - w * 0.95f, foot,
             x - half - w * 0.08f, cliff},
            body);
    polygon(img,
            {x + half * 0.35f, top, x + half, top, x + half + w * 0.08f, cliff, x + w * 0.95f, foot, x + half * 0.5f,
             foot, x + half * 0.45f, cliff},
            shade);
    img.fill(static_cast<int>(x - half), static_cast<int>(top), static_cast<int>(w), 2, rim);
    for (int k = 1; k < 3; ++k) {
        const float y = top + k * h * 0.2f;
        line(img, static_cast<int>(x - half - w * 0.04f * k), static_cast<int>(y), static_cast<int>(x + half * 0.3f),
             static_cast<int>(y), shade);
    }
}

void building(Image& img, int x, int w, int top, Rgba body, Rgba edge, Rgba lit, Rgba dark_window, std::uint32_t seed) {
    img.fill(x, top, w, SCENE_H - top, body);
    img.fill(x, top, w, 1, edge);
    img.fill(x, top, 1, SCENE_H - top, edge);
    for (int wy = top + 5; wy < SCENE_H; wy += 9)
        for (int wx = x + 4; wx + 4 <= x + w - 3; wx += 8) {
            const bool on = hash2(wx, wy, seed) < 0.42f;
            img.fill(wx, wy, 4, 5, on ? lit : dark_window);
            if (on) img.fill(wx, wy + 4, 4, 1, pal::AMBER);
        }
}

void stalactite(Image& img, float x, float len, float w, Rgba body, Rgba light) {
    polygon(img, {x - w, -1.f, x + w, -1.f, x, len}, body);
    polygon(img, {x - w, -1.f, x - w * 0.4f, -1.f, x - 0.5f, len - 2.f}, light);
}

void crystal(Image& img, float x, int base, float h, Rgba dark, Rgba mid, Rgba glow) {
    disc(img, x, base - h * 0.4f, h * 0.9f, with_alpha(glow, 28));
    polygon(img,
            {x - 3.f, static_cast<float>(base), x - 3.f, base - h * 0.7f, x, base - h, x + 3.f, base - h * 0.7f,
             x + 3.f, static_cast<float>(base)},
            mid);
    polygon(img,
            {x, static_cast<float>(base), x, base - h, x + 3.f, base - h * 0.7f, x + 3.f, static_cast<float>(base)},
            dark);
    img.fill(static_cast<int>(x) - 2, base - static_cast<int>(h * 0.65f), 1, static_cast<int>(h * 0.45f), glow);
}

void bird(Image& img, int x, int y, Rgba c) {
    img.put(x - 2, y - 1, c);
    img.put(x - 1, y, c);
    img.put(x, y + 1, c);
    img.put(x + 1, y, c);
    img.put(x + 2, y - 1, c);
}

// ---- The scenes ----

const GroundStyle MEADOW_GROUND = {
    .edge = pal::SPRING, .light = pal::LIME, .face = pal::GRASS, .speck = pal::LIME, .lip = pal::LEAF,
    .shadow = pal::SOIL, .body = {pal::CLAY, pal::EARTH, pal::SOIL},
    .pebble = pal::TAN, .pebble_light = pal::SAND,
    .tufts = 14, .tuft = pal::GRASS, .tuft_tip = pal::LIME};

void meadow(Image& img, const Ground& g, std::uint32_t seed, float sky_dy) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::SKY, pal::AIR, pal::ICE});
    sun(img, 428.f, 40.f + sky_dy, 17.f, pal::CREAM, pal::GOLD, pal::WHITE);
    cloud(img, 80.f, 48.f, 70.f, pal::WHITE, pal::PALE, pal::ICE, seed + 1);
    cloud(img, 230.f, 30.f, 46.f, pal::WHITE, pal::PALE, pal::ICE, seed + 2);
    cloud(img, 330.f, 74.f, 58.f, pal::WHITE, pal::PALE, pal::ICE, seed + 3);
    ridge(img, 150.f, 60.f, 90.f, seed + 4, pal::AQUA, pal::FOAM);
    ridge(img, 185.f, 50.f, 60.f, seed + 5, pal::TEAL, pal::AQUA);
    for (int i = 0; i < 7; ++i) {
        const int x = 30 + i * 68 + rng.range(-10, 10);
        broadleaf(img, static_cast<float>(x), g.top[clampi(x, 0, SCENE_W - 1)] + 2, 9.f + rng.unit() * 5.f, pal::FOREST,
                  pal::LEAF, pal::GRASS, pal::EARTH, seed + 10 + i);
    }
    paint_ground(img, g, MEADOW_GROUND, seed + 20);
    // Flowers on the grass.
    for (int x = 2; x < SCENE_W - 2; x += 1) {
        if (hash01(x, seed + 30) > 0.07f) continue;
        const int y = g.top[x] + 2 + static_cast<int>(hash01(x, seed + 31) * 4.f);
        const Rgba petal = hash01(x, seed + 32) < 0.5f ? pal::WHITE : pal::PINK;
        img.put(x, y, pal::GOLD);
        img.put(x - 1, y, petal);
        img.put(x + 1, y, petal);
        img.put(x, y - 1, petal);
    }
}

const GroundStyle FOREST_GROUND = {
    .edge = pal::LIME, .light = pal::GRASS, .face = pal::LEAF, .speck = pal::GRASS, .lip = pal::FOREST,
    .shadow = pal::INK, .body = {pal::EARTH, pal::SOIL, pal::NIGHT},
    .pebble = pal::CLAY, .pebble_light = pal::TAN,
    .tufts = 22, .tuft = pal::LEAF, .tuft_tip = pal::GRASS};

void forest(Image& img, const Ground& g, std::uint32_t seed) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::AQUA, pal::FOAM, pal::SPRING});
    // Far pines in haze, then nearer darker ones.
    ridge(img, 120.f, 40.f, 70.f, seed + 1, pal::TEAL, pal::AQUA);
    for (int i = 0; i < 26; ++i) {
        const float x = static_cast<float>(i * 19 + rng.range(-5, 5));
        const int base = 150 + rng.range(-30, 10);
        pine(img, x, base, 50.f + rng.unit() * 30.f, pal::ABYSS, pal::TEAL, pal::TEAL, pal::ABYSS, false);
    }
    for (int i = 0; i < 12; ++i) {
        const int x = clampi(20 + i * 40 + rng.range(-8, 8), 0, SCENE_W - 1);
        pine(img, static_cast<float>(x), g.top[x] + 3, 60.f + rng.unit() * 40.f, pal::PINE, pal::FOREST, pal::TEAL,
             pal::SOIL, false);
    }
    // Sun rays through the trees.
    for (int i = 0; i < 4; ++i) {
        const float x = 60.f + i * 120.f;
        polygon(img, {x, 0.f, x + 18.f, 0.f, x + 80.f, 272.f, x + 50.f, 272.f}, with_alpha(pal::CREAM, 34));
    }
    paint_ground(img, g, FOREST_GROUND, seed + 20);
    // Mushrooms on the moss.
    for (int x = 6; x < SCENE_W - 6; ++x) {
        if (hash01(x, seed + 40) > 0.025f) continue;
        const int y = g.top[x] + 4;
        img.fill(x, y - 1, 1, 3, pal::WHITE);
        img.fill(x - 2, y - 2, 5, 1, pal::RED);
        img.fill(x - 1, y - 3, 3, 1, pal::RED);
        img.put(x - 1, y - 2, pal::WHITE);
    }
}

const GroundStyle DESERT_GROUND = {
    .edge = pal::CREAM, .light = pal::DUNE, .face = pal::SAND, .speck = pal::DUNE, .lip = pal::TAN,
    .shadow = pal::CLAY, .body = {pal::TAN, pal::CLAY, pal::EARTH},
    .pebble = pal::EARTH, .pebble_light = pal::SAND,
    .tufts = 0, .tuft = pal::SAND, .tuft_tip = pal::DUNE};

void desert(Image& img, const Ground& g, std::uint32_t seed) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::SKY, pal::AIR, pal::ICE, pal::PALE});
    sun(img, 96.f, 46.f, 22.f, pal::WHITE, pal::CREAM, pal::GOLD);
    ridge(img, 160.f, 40.f, 110.f, seed + 1, pal::PINK, pal::WHITE);
    ridge(img, 190.f, 45.f, 80.f, seed + 2, pal::ORCHID, pal::PINK);
    for (int i = 0; i < 6; ++i) {
        const int x = clampi(40 + i * 80 + rng.range(-15, 15), 0, SCENE_W - 1);
        cactus(img, static_cast<float>(x), g.top[x] + 1, 20.f + rng.unit() * 14.f);
    }
    for (int i = 0; i < 3; ++i)
        bird(img, 300 + i * 14, 40 + (i % 2) * 5, pal::DUSK);
    paint_ground(img, g, DESERT_GROUND, seed + 20);
    // Ripples in the sand.
    for (int x = 0; x < SCENE_W; ++x)
        for (int d = FACE_ROWS + 6; d < 200; d += 9)
            if (std::sin(x * 0.15f + d) > 0.6f) img.put(x, g.top[x] + d, pal::SAND);
}

const GroundStyle CANYON_GROUND = {
    .edge = pal::SAND, .light = pal::TAN, .face = pal::CLAY, .speck = pal::TAN, .lip = pal::EARTH,
    .shadow = pal::SOIL, .body = {pal::BRICK, pal::WINE, pal::SOIL},
    .pebble = pal::CLAY, .pebble_light = pal::TAN,
    .tufts = 6, .tuft = pal::CLAY, .tuft_tip = pal::TAN};

void canyon(Image& img, const Ground& g, std::uint32_t seed) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::PLUM, pal::VIOLET, pal::ORCHID, pal::ORANGE, pal::AMBER});
    sun(img, 360.f, 150.f, 26.f, pal::CREAM, pal::GOLD, pal::AMBER);
    // Far buttes in the haze, then tall spires nearer.
    const float buttes[][4] = {{52, 205, 70, 105}, {168, 205, 46, 128}, {292, 212, 96, 96}, {424, 205, 58, 140}};
    for (const auto& b : buttes)
        mesa(img, b[0], static_cast<int>(b[1]), b[2], b[3], pal::VIOLET, pal::ORCHID, pal::PLUM);
    const float spires[][4] = {{112, 250, 24, 130}, {236, 250, 18, 110}, {352, 255, 30, 150}};
    for (const auto& sp : spires)
        mesa(img, sp[0], static_cast<int>(sp[1]), sp[2], sp[3], pal::WINE, pal::BRICK, pal::INK);
    for (int i = 0; i < 3; ++i)
        bird(img, 200 + i * 16 + rng.range(0, 4), 50 + (i % 2) * 4, pal::NIGHT);
    paint_ground(img, g, CANYON_GROUND, seed + 20);
    // Layered rock: thin bands parallel to the surface.
    for (int x = 0; x < SCENE_W; ++x)
        for (int d = FACE_ROWS + 12; d < 260; d += 14) {
            const int y = g.top[x] + d + static_cast<int>(3.f * noise1(x / 25.f, seed + d));
            img.put(x, y, pal::RED);
        }
}

const GroundStyle SNOW_GROUND = {
    .edge = pal::WHITE, .light = pal::WHITE, .face = pal::PALE, .speck = pal::MIST, .lip = pal::MIST,
    .shadow = pal::SLATE, .body = {pal::STONE, pal::SLATE, pal::DUSK},
    .pebble = pal::MIST, .pebble_light = pal::WHITE,
    .tufts = 10, .tuft = pal::PALE, .tuft_tip = pal::WHITE};

void snow(Image& img, const Ground& g, std::uint32_t seed) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::BLUE, pal::SKY, pal::AIR});
    // Mountains with icy caps.
    const float peaks[][3] = {{60, 40, 90}, {170, 20, 110}, {290, 50, 90}, {400, 25, 100}, {480, 60, 80}};
    for (const auto& p : peaks) {
        polygon(img, {p[0], p[1], p[0] + p[2], 230.f, p[0] - p[2], 230.f}, pal::DEEP);
        polygon(img, {p[0], p[1], p[0] + p[2], 230.f, p[0] + p[2] * 0.2f, 230.f}, pal::NAVY);
        polygon(img,
                {p[0], p[1], p[0] + p[2] * 0.3f, p[1] + 28.f, p[0] + 4.f, p[1] + 22.f, p[0] - 5.f, p[1] + 30.f,
                 p[0] - p[2] * 0.3f, p[1] + 26.f},
                pal::ICE);
    }
    ridge(img, 190.f, 30.f, 60.f, seed + 1, pal::BLUE, pal::AIR);
    for (int i = 0; i < 10; ++i) {
        const int x = clampi(25 + i * 48 + rng.range(-10, 10), 0, SCENE_W - 1);
        pine(img, static_cast<float>(x), g.top[x] + 3, 36.f + rng.unit() * 26.f, pal::PINE, pal::FOREST, pal::LEAF,
             pal::SOIL, true);
    }
    paint_ground(img, g, SNOW_GROUND, seed + 20);
    // Falling flakes above the snow line only.
    for (int i = 0; i < 160; ++i) {
        const int x = rng.range(0, SCENE_W - 1), y = rng.range(0, SCENE_H - 1);
        if (y < g.top[x] - 14) img.put(x, y, pal::ICE);
    }
}

const GroundStyle TOWN_GROUND = {
    .edge = pal::MIST, .light = pal::STONE, .face = pal::SLATE, .speck = pal::STONE, .lip = pal::DUSK,
    .shadow = pal::INK, .body = {pal::BRICK, pal::WINE, pal::NIGHT},
    .pebble = pal::WINE, .pebble_light = pal::RED,
    .tufts = 0, .tuft = pal::STONE, .tuft_tip = pal::MIST};

void town(Image& img, const Ground& g, std::uint32_t seed, float sky_dy) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::INK, pal::NAVY, pal::DEEP, pal::VIOLET});
    stars(img, rng, 140, 150, pal::SLATE, pal::PALE);
    moon(img, 428.f, 46.f + sky_dy, 20.f, pal::CREAM, pal::SAND, pal::CREAM);
    // Far towers, then near houses.
    for (int x = -10; x < SCENE_W; x += rng.range(22, 40)) {
        const int w = rng.range(18, 34);
        building(img, x, w, rng.range(70, 140), pal::NAVY, pal::DEEP, pal::BLUE, pal::NAVY, seed + x + 100);
    }
    for (int x = -6; x < SCENE_W; x += rng.range(30, 48)) {
        const int w = rng.range(26, 40);
        const int top = std::min(g.top[clampi(x + w / 2, 0, SCENE_W - 1)] - rng.range(20, 60), 220);
        building(img, x, w, top, pal::NIGHT, pal::DUSK, pal::GOLD, pal::DUSK, seed + x + 300);
        // A pointed roof.
        polygon(img,
                {static_cast<float>(x - 2), static_cast<float>(top), static_cast<float>(x + w + 2),
                 static_cast<float>(top), static_cast<float>(x + w / 2), static_cast<float>(top - 10)},
                pal::DUSK);
    }
    paint_ground(img, g, TOWN_GROUND, seed + 20);
    // Brick courses under the rooftop.
    for (int x = 0; x < SCENE_W; ++x)
        for (int d = FACE_ROWS + 2; g.top[x] + d < SCENE_H; ++d) {
            const int course = (d - FACE_ROWS - 2) / 5;
            const bool mortar = (d - FACE_ROWS - 2) % 5 == 4 || (x + course * 6) % 12 == 0;
            if (mortar) img.put(x, g.top[x] + d, pal::SOIL);
        }
    // Street lamps along the roofs.
    for (int x = 40; x < SCENE_W - 20; x += 110) {
        const int base = g.top[x];
        img.fill(x, base - 30, 2, 30, pal::DUSK);
        img.fill(x - 2, base - 33, 6, 3, pal::SLATE);
        disc(img, x + 1.f, base - 28.f, 10.f, with_alpha(pal::GOLD, 40));
        img.fill(x - 1, base - 30, 4, 2, pal::CREAM);
    }
}

const GroundStyle CAVE_GROUND = {
    .edge = pal::FOAM, .light = pal::AQUA, .face = pal::TEAL, .speck = pal::AQUA, .lip = pal::ABYSS,
    .shadow = pal::INK, .body = {pal::DUSK, pal::NIGHT, pal::INK},
    .pebble = pal::SLATE, .pebble_light = pal::STONE,
    .tufts = 8, .tuft = pal::TEAL, .tuft_tip = pal::AQUA};

void cave(Image& img, const Ground& g, std::uint32_t seed) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::INK, pal::NIGHT, pal::DUSK, pal::NIGHT});
    // A glow from a far opening.
    for (int i = 5; i >= 1; --i)
        disc(img, 250.f, 120.f, 14.f * i, with_alpha(pal::VIOLET, 22));
    // Rock pillars in the gloom.
    for (int i = 0; i < 7; ++i) {
        const float x = 30.f + i * 70.f + rng.range(-10, 10);
        polygon(img, {x - 10.f, 0.f, x + 12.f, 0.f, x + 18.f, 272.f, x - 16.f, 272.f}, pal::NIGHT);
        polygon(img, {x - 10.f, 0.f, x - 6.f, 0.f, x - 10.f, 272.f, x - 16.f, 272.f}, pal::DUSK);
    }
    for (int i = 0; i < 20; ++i) {
        const float x = static_cast<float>(rng.range(0, SCENE_W - 1));
        stalactite(img, x, 14.f + rng.unit() * 34.f, 3.f + rng.unit() * 5.f, pal::DUSK, pal::SLATE);
    }
    for (int i = 0; i < 9; ++i) {
        const int x = clampi(20 + i * 53 + rng.range(-10, 10), 0, SCENE_W - 1);
        crystal(img, static_cast<float>(x), g.top[x] + 2, 10.f + rng.unit() * 14.f, pal::PLUM, pal::ORCHID, pal::PINK);
    }
    // Glow motes.
    for (int i = 0; i < 40; ++i) {
        const int x = rng.range(0, SCENE_W - 1), y = rng.range(0, SCENE_H - 1);
        if (y < g.top[x] - 14) img.put(x, y, rng.range(0, 1) ? pal::PINK : pal::VIOLET);
    }
    paint_ground(img, g, CAVE_GROUND, seed + 20);
    // Crystals shining in the rock.
    for (int i = 0; i < 40; ++i) {
        const int x = rng.range(0, SCENE_W - 1);
        const int y = g.top[x] + rng.range(FACE_ROWS + 6, 100);
        img.put(x, y, pal::AQUA);
        img.put(x, y - 1, pal::FOAM);
        img.put(x + 1, y, pal::TEAL);
    }
}

const GroundStyle VOLCANO_GROUND = {
    .edge = pal::ORANGE, .light = pal::SLATE, .face = pal::DUSK, .speck = pal::STONE, .lip = pal::NIGHT,
    .shadow = pal::INK, .body = {pal::DUSK, pal::NIGHT, pal::INK},
    .pebble = pal::SLATE, .pebble_light = pal::STONE,
    .tufts = 5, .tuft = pal::RED, .tuft_tip = pal::AMBER};

void volcano(Image& img, const Ground& g, std::uint32_t seed) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::INK, pal::WINE, pal::BRICK, pal::RED});
    // The mountain and its fire.
    polygon(img, {170.f, 250.f, 262.f, 70.f, 300.f, 70.f, 420.f, 250.f}, pal::PLUM);
    polygon(img, {270.f, 70.f, 300.f, 70.f, 420.f, 250.f, 350.f, 250.f}, pal::WINE);
    for (int i = 0; i < 6; ++i)
        disc(img, 281.f + rng.range(-8, 8), 60.f - i * 9.f, 9.f + i * 2.f, with_alpha(pal::DUSK, 150));
    polygon(img, {262.f, 70.f, 300.f, 70.f, 292.f, 78.f, 282.f, 120.f, 276.f, 84.f, 266.f, 78.f}, pal::ORANGE);
    polygon(img, {274.f, 70.f, 290.f, 70.f, 282.f, 100.f}, pal::GOLD);
    for (int i = 4; i >= 1; --i)
        disc(img, 281.f, 66.f, 10.f * i, with_alpha(pal::ORANGE, 20));
    ridge(img, 215.f, 40.f, 70.f, seed + 1, pal::NIGHT, pal::PLUM);
    // Embers.
    for (int i = 0; i < 90; ++i) {
        const int x = rng.range(0, SCENE_W - 1), y = rng.range(0, SCENE_H - 1);
        if (y < g.top[x] - 14) img.put(x, y, rng.range(0, 2) ? pal::AMBER : pal::GOLD);
    }
    paint_ground(img, g, VOLCANO_GROUND, seed + 20);
    // Lava veins in the basalt.
    for (int v = 0; v < 9; ++v) {
        int x = rng.range(0, SCENE_W - 1);
        int y = g.top[x] + FACE_ROWS + rng.range(4, 30);
        for (int step = 0; step < 60 && x < SCENE_W; ++step) {
            img.put(x, y, step % 7 == 0 ? pal::GOLD : pal::ORANGE);
            img.put(x, y + 1, pal::RED);
            x += 1;
            y += rng.range(-1, 1);
            y = std::max(y, g.top[std::min(x, SCENE_W - 1)] + FACE_ROWS + 2);
        }
    }
}

const GroundStyle SKYWAY_GROUND = {
    .edge = pal::WHITE, .light = pal::WHITE, .face = pal::PALE, .speck = pal::WHITE, .lip = pal::MIST,
    .shadow = pal::MIST, .body = {pal::PALE, pal::MIST, pal::AIR},
    .pebble = pal::WHITE, .pebble_light = pal::WHITE,
    .tufts = 30, .tuft = pal::WHITE, .tuft_tip = pal::PALE,
    .scallop = 12, .pebbles = 0};

void skyway(Image& img, const Ground& g, std::uint32_t seed) {
    Rng rng(seed);
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::DEEP, pal::BLUE, pal::SKY, pal::AIR});
    stars(img, rng, 40, 50, pal::SKY, pal::ICE);
    // A rainbow arch far away.
    const Rgba bows[] = {pal::RED, pal::ORANGE, pal::GOLD, pal::GRASS, pal::SKY, pal::VIOLET};
    for (int b = 0; b < 6; ++b)
        for (int x = 0; x < SCENE_W; ++x) {
            const float dx = (x - 300.f) / 200.f;
            if (std::fabs(dx) >= 1.f) continue;
            const int y = 230 - static_cast<int>(150.f * std::sqrt(1.f - dx * dx)) + b * 3;
            img.blend_fill(x, y, 1, 3, with_alpha(bows[b], 90));
        }
    // Far cloud banks in the sky's own blues.
    for (int i = 0; i < 8; ++i)
        cloud(img, 30.f + i * 64.f + rng.range(-10, 10), 150.f + rng.range(-40, 40), 50.f + rng.unit() * 40.f, pal::ICE,
              pal::AIR, pal::SKY, seed + 50 + i);
    for (int i = 0; i < 4; ++i)
        bird(img, 60 + i * 90 + rng.range(0, 10), 30 + rng.range(0, 30), pal::NAVY);
    paint_ground(img, g, SKYWAY_GROUND, seed + 20);
}

const GroundStyle CODE_GROUND = {
    .edge = pal::CODE_GLOW, .light = pal::CODE_BRIGHT, .face = pal::CODE, .speck = pal::CODE_BRIGHT, .lip = pal::CODE_DIM,
    .shadow = pal::INK, .body = {pal::CODE_DARK, pal::CODE_DARK, pal::INK},
    .pebble = pal::CODE_DIM, .pebble_light = pal::CODE,
    .tufts = 0, .tuft = pal::CODE_BRIGHT, .tuft_tip = pal::CODE_GLOW};

void code(Image& img, const Ground& g, std::uint32_t seed) {
    dither_ramp(img, 0, 0, SCENE_W - 1, SCENE_H - 1, {pal::INK, pal::CODE_DARK, pal::CODE_DARK});
    // A faint grid receding into the dark.
    for (int x = 0; x < SCENE_W; x += 24)
        img.blend_fill(x, 0, 1, SCENE_H, with_alpha(pal::CODE_DIM, 120));
    for (int y = 8; y < SCENE_H; y += 24)
        img.blend_fill(0, y, SCENE_W, 1, with_alpha(pal::CODE_DIM, 120));
    paint_ground(img, g, CODE_GROUND, seed + 20);
    // Circuit traces in the ground, parallel to its top.
    for (int x = 0; x < SCENE_W; ++x)
        for (int d = FACE_ROWS + 8; g.top[x] + d < SCENE_H; d += 12)
            if ((x / 6 + d) % 5 != 0) img.put(x, g.top[x] + d, pal::CODE_DIM);
    for (int x = 12; x < SCENE_W; x += 36)
        for (int d = FACE_ROWS + 8; g.top[x] + d < SCENE_H; ++d)
            img.put(x, g.top[x] + d, pal::CODE_DIM);
}

}  // namespace

Ground ground_of(const LevelRow& row) {
    auto dy_at = [&row](int x) {
        const int drawn = std::max(x, 0);  // the game counts a negative x as 0
        for (int i = 0; i < row.segment_count; ++i)
            if (drawn >= row.segments[i].from && drawn < row.segments[i].to) return row.segments[i].dy;
        return 0;
    };
    Ground g;
    int runner_x = row.start_x, runner_y = row.start_y;
    for (int x = 0; x < SCENE_W; ++x) {
        const int wanted = x - RUNNER_FOOT_X;
        while (runner_x < wanted)
            runner_y += dy_at(runner_x++);
        g.top[x] = runner_y + RUNNER_FOOT_ROW - GROUND_TOP_ABOVE_FEET;
    }
    return g;
}

Ground rolling_ground(int base, float amplitude, std::uint32_t seed) {
    Ground g;
    for (int x = 0; x < SCENE_W; ++x)
        g.top[x] =
            base - GROUND_TOP_ABOVE_FEET + static_cast<int>(std::lround(amplitude * (fbm(x / 70.f, seed) - 0.5f)));
    return g;
}

Scene scene_of_level(int number) {
    switch (number) {
        case 1:
            return Scene::Meadow;
        case 2:
            return Scene::Forest;
        case 3:
            return Scene::Desert;
        case 4:
            return Scene::Canyon;
        case 5:
            return Scene::Snow;
        case 6:
            return Scene::Town;
        case 7:
            return Scene::Cave;
        case 8:
            return Scene::Volcano;
        case 9:
            return Scene::Skyway;
        default:
            return Scene::Code;
    }
}

void paint_scene(Image& img, Scene scene, const Ground& ground, std::uint32_t seed, float sky_dy) {
    switch (scene) {
        case Scene::Meadow:
            meadow(img, ground, seed, sky_dy);
            break;
        case Scene::Forest:
            forest(img, ground, seed);
            break;
        case Scene::Desert:
            desert(img, ground, seed);
            break;
        case Scene::Canyon:
            canyon(img, ground, seed);
            break;
        case Scene::Snow:
            snow(img, ground, seed);
            break;
        case Scene::Town:
            town(img, ground, seed, sky_dy);
            break;
        case Scene::Cave:
            cave(img, ground, seed);
            break;
        case Scene::Volcano:
            volcano(img, ground, seed);
            break;
        case Scene::Skyway:
            skyway(img, ground, seed);
            break;
        case Scene::Code:
            code(img, ground, seed);
            break;
    }
}

void paint_plinth(Image& img, Scene scene, int pole_x, int pole_y, const Ground& ground) {
    struct Stone {
        Rgba cap, side, dark;
    };
    Stone s = {pal::PALE, pal::MIST, pal::STONE};
    switch (scene) {
        case Scene::Forest:
            s = {pal::SAND, pal::TAN, pal::CLAY};
            break;
        case Scene::Desert:
            s = {pal::WHITE, pal::MIST, pal::STONE};
            break;
        case Scene::Canyon:
            s = {pal::DUNE, pal::SAND, pal::TAN};
            break;
        case Scene::Snow:
            s = {pal::ICE, pal::AIR, pal::SKY};
            break;
        case Scene::Town:
            s = {pal::GOLD, pal::AMBER, pal::ORANGE};
            break;
        case Scene::Cave:
            s = {pal::MIST, pal::STONE, pal::SLATE};
            break;
        case Scene::Volcano:
            s = {pal::STONE, pal::SLATE, pal::DUSK};
            break;
        case Scene::Skyway:
            s = {pal::GOLD, pal::AMBER, pal::ORANGE};
            break;
        case Scene::Code:
            s = {pal::CODE_GLOW, pal::CODE_BRIGHT, pal::CODE};
            break;
        default:
            break;
    }
    // The pole's post is centred on column pole_x + 16.5; its foot ends on row pole_y + 55.
    const int top = pole_y + LVL_POLE.h;
    const int centre = clampi(pole_x + 16, 0, SCENE_W - 1);
    const int bottom = std::max(top + 4, ground.top[centre] + GROUND_TOP_ABOVE_FEET + 1);
    const int body_x = pole_x + 9, body_w = 16;
    const int cap_x = pole_x + 7, cap_w = 20;
    img.fill(body_x - 1, top + 2, body_w + 2, bottom - top - 1, pal::INK);
    img.fill(body_x, top + 2, body_w, bottom - top - 2, s.side);
    img.fill(body_x + body_w - 4, top + 2, 4, bottom - top - 2, s.dark);
    img.fill(body_x + 1, top + 3, 1, bottom - top - 4, s.cap);
    img.fill(cap_x - 1, top - 1, cap_w + 2, 4, pal::INK);
    img.fill(cap_x, top, cap_w, 2, s.cap);
    img.fill(cap_x, top + 2, cap_w, 1, s.dark);
}

void paint_finish(Image& img, const Ground& ground) {
    const int line_x = FINISH_X + RUNNER_FOOT_X;
    // Chequered band across the top face.
    for (int x = line_x - 2; x < line_x + 4; ++x)
        for (int d = 0; d < FACE_ROWS; ++d) {
            const bool white = ((x - line_x + 2) / 2 + d / 2) % 2 == 0;
            img.put(x, ground.top[x] + d, white ? pal::WHITE : pal::INK);
        }
    // The post behind the track, with its flag.
    const int post_x = line_x + 7;
    const int base = ground.top[post_x];
    img.fill(post_x - 1, base - 44, 4, 44, pal::INK);
    img.fill(post_x, base - 43, 2, 43, pal::MIST);
    img.fill(post_x, base - 43, 1, 43, pal::WHITE);
    disc(img, post_x + 1.f, base - 45.f, 2.5f, pal::GOLD);
    const int flag_x = post_x - 15, flag_y = base - 41;
    img.fill(flag_x - 1, flag_y - 1, 16, 12, pal::INK);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x)
            img.put(flag_x + x, flag_y + y, ((x / 3 + y / 3) % 2 == 0) ? pal::WHITE : pal::INK);
}

Rgba beam_colour(Scene scene) {
    // A colour that stands out from the scene's own ground and sky.
    switch (scene) {
        case Scene::Desert:
            return pal::RED;
        case Scene::Canyon:
            return pal::AQUA;
        case Scene::Snow:
            return pal::ORANGE;
        case Scene::Town:
        case Scene::Volcano:
            return pal::CREAM;
        case Scene::Cave:
            return pal::FOAM;
        case Scene::Code:
            return pal::CODE_GLOW;
        default:
            return pal::GOLD;
    }
}
