// SPDX-License-Identifier: MIT
// The two runners: start points, drawing and the running cycle, the player's
// step and false-start penalty, the computer's nerve, and the ground's slopes.
#include "fonction.h"

static constexpr int DIFFICULTY_EASY = 0;
static constexpr int DIFFICULTY_HARD = 1;

// Rows of the runner sheet: the player's, and the computer's until the first
// drawing picks its level's row (the level's number, up to the last race level).
static constexpr int PLAYER_ROW = 0;
static constexpr int CPU_START_ROW = 1;
static constexpr int LAST_RACE_LEVEL = 9;

// The guarded zone around a sentinel, from its cone's x: 15 px to the left of the
// cone, and up to 30 px short of the cone's right edge.
static constexpr int GUARD_LEFT = 15;
static constexpr int GUARD_RIGHT_INSET = 30;

// The moving flag with which the level frame steps the computer; a nerve of
// exactly this value lets it step inside a guarded zone.
static constexpr int MOVING = 1;
static constexpr int DOWNHILL = 1;
// Difficulty 1 draws from -3 up, so four draws in five end at nerve 0.
static constexpr double HARD_NERVE_CHOICES = 5.0;
static constexpr double HARD_NERVE_SHIFT = 3.0;
static constexpr double EASY_NERVE_CHOICES = 2.0;

static void set_runner(Sprite* runner, int x, int y, int row) {
    runner->x = x;
    runner->y = y;
    runner->src = {0, static_cast<Sint16>(RUNNER_H * row), RUNNER_W, RUNNER_H};
}

static bool within(int x, int from, int to) { return from <= x && x < to; }

void Perso_Init(Perso* perso, int x, int y) {
    set_runner(&perso->player, x, y, PLAYER_ROW);
    perso->player.aux1 = 0;
    set_runner(&perso->cpu, x, y - CPU_LIFT, CPU_START_ROW);
    perso->cpu.aux1 = MOVING;
    perso->cpu.aux2 = 0;
    perso->frame = 0;
    perso->malus = 0;
    perso->malus_timer = 0;
    perso->blink = 0;
}

void Replace_position(Niveau* niveau, Perso* perso) {
    if (perso->player.x > RUNNER_MAX_X) perso->player.x = RUNNER_MAX_X;
    if (perso->cpu.x > RUNNER_MAX_X) perso->cpu.x = RUNNER_MAX_X;
    copy_position(&perso->player);
    copy_position(&perso->cpu);
    // Every slot, used or not: the last draw clipped these rectangles in place.
    for (Sentinelle& senti : niveau->senti) {
        copy_position(&senti.baton);
        copy_position(&senti.boule);
        copy_position(&senti.vision);
    }
}

void perso_anim(Perso* perso, SDL_Surface* screen, General* general) {
    if (general->level <= LAST_RACE_LEVEL) {
        perso->cpu.src.y = static_cast<Sint16>(RUNNER_H * general->level);
    } else if (general->level == LEVEL_ENDING || general->level == LEVEL_BONUS) {
        perso->cpu.src.y = RUNNER_H * RUNNER_ROW_ENDING;
    }
    // Drawn on the rectangles as Replace_position left them; the blit clips them,
    // which is what the slopes read afterwards.
    SDL_BlitSurface(perso->sheet, &perso->cpu.src, screen, &perso->cpu.dest);
    // A caught player blinks: hidden at once, then shown and hidden in turns.
    if (perso->blink == 0 || ((perso->blink - 1) / CATCH_BLINK_STEP) % 2 == 0) {
        SDL_BlitSurface(perso->sheet, &perso->player.src, screen, &perso->player.dest);
    }
    if (perso->blink > 0) perso->blink -= 1;
    perso->frame += 1;
    if (perso->frame >= RUNNER_FRAMES) perso->frame = 0;
    // Chosen now, shown next frame.
    perso->player.src.x = static_cast<Sint16>(RUNNER_W * perso->frame);
    perso->cpu.src.x = static_cast<Sint16>(RUNNER_W * perso->frame);
}

void check_malus(General* general, Perso* perso, Anim* anim, SDL_Surface* screen) {
    if (perso->malus == 1) {
        blit_at_position(anim->sheet, &anim->countdown, screen);
        anim->countdown.src.x = static_cast<Sint16>(ANIM_FALSE_START.x);
        anim->countdown.src.y = static_cast<Sint16>(ANIM_FALSE_START.y);
        perso->malus_timer += 1;
        if (perso->malus_timer >= MALUS_FRAMES) {
            perso->malus = 0;
            perso->malus_timer = 0;
        }
    }
    // Held, not fresh: the player runs for as long as the key-down stays in the event.
    if (key_down(general, KEY_RIGHT) && perso->malus == 0) {
        perso->player.x += 1;
        perso->player.aux1 = 1;
    }
}

int nerve_from_draw(int r, int difficulty) {
    if (difficulty == DIFFICULTY_EASY) {
        return static_cast<int>(EASY_NERVE_CHOICES * r / RANDOM_MAX);
    }
    if (difficulty == DIFFICULTY_HARD) {
        return static_cast<int>(HARD_NERVE_CHOICES * r / RANDOM_MAX - HARD_NERVE_SHIFT);
    }
    return NERVE_NONE;
}

void stop_cpu(General* general, Perso* perso, Niveau* niveau) {
    Sprite* cpu = &perso->cpu;
    // A new nerve on every race frame spent at x 0; otherwise it keeps the last one.
    if (cpu->x == 0) {
        const int nerve = nerve_from_draw(random_draw(), general->difficulty);
        if (nerve != NERVE_NONE) cpu->aux2 = nerve;
    }
    if (cpu->aux2 <= 0) cpu->aux2 = 0;
    for (const Sentinelle& senti : niveau->senti) {
        const int left = senti.vision.x - GUARD_LEFT;
        const int right = senti.vision.x + senti.vision.src.w - GUARD_RIGHT_INSET;
        if (senti.state > SENTINEL_IDLE && left <= cpu->x && cpu->x <= right) {
            cpu->aux1 = cpu->aux2;  // a nerve of 2 holds it back like 0
            return;
        }
    }
    cpu->aux1 = MOVING;
}

void follow_the_line(General* general, Perso* perso, int from, int to, int dy) {
    // The segment is chosen on the drawn x: the start-of-frame position, clipped at 0.
    const bool player_on = within(perso->player.dest.x, from, to);
    const bool cpu_on = within(perso->cpu.dest.x, from, to);
    const bool key_up = general->event.type == SDL_KEYUP;
    if (perso->malus == 0) {
        if (key_down(general, KEY_RIGHT) && player_on) perso->player.y += dy;
        // Difficulty 1: with the key released the player slides down a slope.
        if (general->difficulty == DIFFICULTY_HARD && dy == DOWNHILL && key_up && player_on) {
            perso->player.x += 1;
            perso->player.y += 1;
            perso->player.aux1 = 1;
        }
        const bool hard_rest =
            general->difficulty == DIFFICULTY_HARD && dy != DOWNHILL && player_on;
        const bool easy_rest = general->difficulty == DIFFICULTY_EASY && key_up;
        if (hard_rest || easy_rest) perso->player.aux1 = 0;
    }
    if (cpu_on && perso->cpu.aux1 == MOVING) perso->cpu.y += dy;
}
