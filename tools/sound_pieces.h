// SPDX-License-Identifier: MIT
// The game's music and sound chunks, each rendered into a buffer ready to write.
#ifndef PELUNE_TOOLS_SOUND_PIECES_H
#define PELUNE_TOOLS_SOUND_PIECES_H

#include "sound_synth.h"

// Loudest samples, of full scale. The mixer adds a chunk to the music at full
// volume, so the two peaks together stay under full scale: no jingle can clip
// however it falls on the music, and the jingles stand out over it.
constexpr double MUSIC_PEAK = 0.36;
constexpr double CHUNK_PEAK = 0.56;
static_assert(MUSIC_PEAK + CHUNK_PEAK < 0.95, "room for the encoder's overshoot");

// The looping track: a wrapping buffer whose end runs on into its start.
Mix make_music();

Mix make_jingle();       // pelune.wav: start-up
Mix make_count();        // 3.wav, 2.wav, 1.wav: one countdown step
Mix make_go();           // start.wav: the last countdown step
Mix make_false_start();  // earlystart.wav
Mix make_pause();        // pause.wav
Mix make_level_win();    // levelwin.wav
Mix make_game_over();    // gameover.wav
Mix make_caught();       // caught.wav: a sentinel sends the player back

#endif
