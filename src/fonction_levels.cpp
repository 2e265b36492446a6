// SPDX-License-Identifier: MIT
// Preparing the level records from the level table, before each game.
#include "fonction.h"

void Init_background(Niveau* niveau, int x, int y) {
    niveau->background.dest.x = 0;
    niveau->background.dest.y = 0;
    niveau->background.src = {static_cast<Sint16>(x), static_cast<Sint16>(y), SCREEN_W, SCREEN_H};
}

void Niveau_Prepare(Niveau* niveau, const LevelRow* row) {
    const int sheet_y = band_y(row->band);
    Senti_Activation_Init(niveau);
    // Head and cone are placed from the pole, so every pole goes first.
    for (int slot = 0; slot < row->sentinel_count; ++slot) {
        Init_baton(&niveau->senti[slot], row->senti[slot].pole_x, row->senti[slot].pole_y);
    }
    for (int slot = 0; slot < row->sentinel_count; ++slot) Init_boule(&niveau->senti[slot]);
    for (int slot = 0; slot < row->sentinel_count; ++slot) {
        Init_vision(&niveau->senti[slot], CONE_SHEET_X, sheet_y);
    }
    Init_background(niveau, 0, sheet_y);
    niveau->started = 0;
    niveau->outcome = 0;
    niveau->paused = 0;
}

void Niveau1_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(1)); }
void Niveau2_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(2)); }
void Niveau3_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(3)); }
void Niveau4_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(4)); }
void Niveau5_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(5)); }
void Niveau6_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(6)); }
void Niveau7_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(7)); }
void Niveau8_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(8)); }
void Niveau9_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(9)); }
void Niveau11_init(Niveau* niveau) { Niveau_Prepare(niveau, level_row(LEVEL_BONUS)); }

void Fin_Init(Niveau* niveau) { niveau->started = 0; }

void Niveaux_Init(Niveau niveau[LEVEL_COUNT]) {
    Niveau1_init(&niveau[0]);
    Niveau2_init(&niveau[1]);
    Niveau3_init(&niveau[2]);
    Niveau4_init(&niveau[3]);
    Niveau5_init(&niveau[4]);
    Niveau6_init(&niveau[5]);
    Niveau7_init(&niveau[6]);
    Niveau8_init(&niveau[7]);
    Niveau9_init(&niveau[8]);
    Fin_Init(&niveau[LEVEL_ENDING - 1]);
    Niveau11_init(&niveau[LEVEL_BONUS - 1]);
}
