// SPDX-License-Identifier: MIT
// The ten sound chunks: short phrases on the music's voices, in its key of C
// and, where they have a beat, at its tempo (a sixteenth is 0.1 s).
#include "sound_pieces.h"

static constexpr int STEP_FRAMES = SOUND_RATE / 10;  // a sixteenth at 150 beats a minute

static int frames_of(double seconds) { return static_cast<int>(seconds * SOUND_RATE); }

static Instrument bright_lead() {
    Instrument voice;
    voice.duty = 0.25;
    voice.volume = 0.5;
    voice.attack = 0.003;
    voice.decay = 0.12;
    voice.sustain = 0.7;
    voice.release = 0.08;
    voice.vibrato_depth = 0.007;
    voice.vibrato_rate = 6.0;
    voice.vibrato_delay = 0.2;
    return voice;
}

static Instrument soft_square(double pan) {
    Instrument voice;
    voice.duty = 0.5;
    voice.volume = 0.25;
    voice.pan = pan;
    voice.attack = 0.003;
    voice.decay = 0.15;
    voice.sustain = 0.6;
    voice.release = 0.08;
    return voice;
}

static Instrument bass_triangle() {
    Instrument voice;
    voice.wave = Wave::Triangle;
    voice.volume = 0.6;
    voice.attack = 0.003;
    voice.release = 0.06;
    return voice;
}

Mix make_jingle() {
    Mix mix(frames_of(2.0));
    play_line(mix, bright_lead(), "C5 E5 G5 C6 . . G5 C6 E6 - - - - - - .", 0, STEP_FRAMES, 0.15);
    play_line(mix, soft_square(0.4), ". . . . . . E5 G5 C6 - - - - - - .", 0, STEP_FRAMES, 0.2);
    play_line(mix, soft_square(-0.4), ". . . . . . C5 E5 G5 - - - - - - .", 0, STEP_FRAMES, 0.2);
    play_line(mix, bass_triangle(), "C3 - - . . . G2 - C3 - - - - - - .", 0, STEP_FRAMES, 0.3);
    add_kick(mix, 0, 0.8);
    add_snare(mix, 4 * STEP_FRAMES, 0.4);
    add_kick(mix, 6 * STEP_FRAMES, 0.7);
    add_kick(mix, 8 * STEP_FRAMES, 1.0);
    add_crash(mix, 8 * STEP_FRAMES, 0.7);
    normalise(mix, CHUNK_PEAK);
    return mix;
}

Mix make_count() {
    Mix mix(frames_of(0.24));
    Instrument beep;
    beep.duty = 0.5;
    beep.volume = 0.5;
    beep.attack = 0.002;
    beep.decay = 0.1;
    beep.sustain = 0.55;
    beep.release = 0.05;
    add_note(mix, beep, 0, frames_of(0.16), note_freq(parse_note("A5")));
    Instrument body = bass_triangle();
    body.volume = 0.35;
    body.release = 0.05;
    add_note(mix, body, 0, frames_of(0.16), note_freq(parse_note("A4")));
    normalise(mix, CHUNK_PEAK);
    return mix;
}

Mix make_go() {
    Mix mix(frames_of(0.8));
    Instrument high;
    high.duty = 0.25;
    high.volume = 0.45;
    high.attack = 0.002;
    high.decay = 0.3;
    high.sustain = 0.55;
    high.release = 0.15;
    high.vibrato_depth = 0.006;
    high.vibrato_rate = 7.0;
    high.vibrato_delay = 0.15;
    const int held = frames_of(0.55);
    add_note(mix, high, 0, held, note_freq(parse_note("A6")));
    Instrument low = high;
    low.duty = 0.5;
    low.volume = 0.3;
    add_note(mix, low, 0, held, note_freq(parse_note("A5")));
    Instrument body = bass_triangle();
    body.volume = 0.35;
    body.release = 0.15;
    add_note(mix, body, 0, held, note_freq(parse_note("A4")));
    normalise(mix, CHUNK_PEAK);
    return mix;
}

Mix make_false_start() {
    Mix mix(frames_of(0.85));
    Instrument buzz;
    buzz.duty = 0.5;
    buzz.volume = 0.35;
    buzz.attack = 0.003;
    buzz.release = 0.04;
    buzz.pan = -0.2;
    Instrument rasp = buzz;
    rasp.duty = 0.25;
    rasp.pan = 0.2;
    Instrument grit;
    grit.wave = Wave::Noise;
    grit.volume = 0.12;
    grit.attack = 0.003;
    grit.release = 0.04;
    // Two falling blasts of slightly detuned voices that beat against each other.
    const int first = frames_of(0.22);
    add_note(mix, buzz, 0, first, 233.0, 1.0, 207.0);
    add_note(mix, rasp, 0, first, 237.5, 1.0, 211.0);
    add_note(mix, grit, 0, first, 2500.0);
    const int second_start = frames_of(0.3);
    const int second = frames_of(0.45);
    add_note(mix, buzz, second_start, second, 220.0, 1.0, 110.0);
    add_note(mix, rasp, second_start, second, 224.0, 1.0, 112.0);
    add_note(mix, grit, second_start, second, 2000.0);
    normalise(mix, CHUNK_PEAK);
    return mix;
}

Mix make_pause() {
    Mix mix(frames_of(0.3));
    Instrument blip;
    blip.duty = 0.5;
    blip.volume = 0.5;
    blip.attack = 0.002;
    blip.decay = 0.08;
    blip.sustain = 0.35;
    blip.release = 0.04;
    add_note(mix, blip, 0, frames_of(0.07), note_freq(parse_note("E6")));
    add_note(mix, blip, frames_of(0.09), frames_of(0.12), note_freq(parse_note("B6")));
    normalise(mix, CHUNK_PEAK);
    return mix;
}

Mix make_level_win() {
    Mix mix(frames_of(2.4));
    play_line(mix, bright_lead(), "G5 . G5 . G5 . C6 - - - A5 - C6 - - - - - - .", 0, STEP_FRAMES,
              0.2);
    play_line(mix, soft_square(0.4), "E5 . E5 . E5 . E5 - - - F5 - E5 - - - - - - .", 0,
              STEP_FRAMES, 0.2);
    play_line(mix, bass_triangle(), "C3 . C3 . C3 . C3 - - - F2 - C3 - - - - - - .", 0,
              STEP_FRAMES, 0.3);
    for (const int step : {0, 2, 4}) add_snare(mix, step * STEP_FRAMES, 0.45);
    for (const int step : {6, 12}) {
        add_kick(mix, step * STEP_FRAMES, 1.0);
        add_crash(mix, step * STEP_FRAMES, 0.6);
    }
    normalise(mix, CHUNK_PEAK);
    return mix;
}

Mix make_game_over() {
    Mix mix(frames_of(2.15));
    Instrument moan;
    moan.duty = 0.5;
    moan.volume = 0.45;
    moan.attack = 0.005;
    moan.decay = 0.2;
    moan.sustain = 0.6;
    moan.release = 0.12;
    moan.vibrato_depth = 0.012;
    moan.vibrato_rate = 5.0;
    moan.vibrato_delay = 0.25;
    Instrument bass = bass_triangle();
    bass.release = 0.12;
    // Four steps down by semitones, each sagging a little, the last one long.
    const char* const tops[] = {"G4", "F#4", "F4", "E4"};
    const char* const bottoms[] = {"C3", "B2", "Bb2", "A2"};
    const int step = frames_of(0.36);
    for (int i = 0; i < 4; ++i) {
        const bool last = i == 3;
        const int held = last ? frames_of(0.85) : frames_of(0.3);
        const double top = note_freq(parse_note(tops[i]));
        add_note(mix, moan, i * step, held, top, 1.0, top * (last ? 0.97 : 0.985));
        add_note(mix, bass, i * step, held, note_freq(parse_note(bottoms[i])));
    }
    normalise(mix, CHUNK_PEAK);
    return mix;
}

Mix make_caught() {
    Mix mix(frames_of(0.55));
    // A whistle blown twice, then the runner whisked back: a quick slide down.
    Instrument whistle;
    whistle.duty = 0.25;
    whistle.volume = 0.4;
    whistle.attack = 0.002;
    whistle.release = 0.02;
    whistle.vibrato_depth = 0.02;
    whistle.vibrato_rate = 28.0;
    const double pitch = note_freq(parse_note("E6"));
    add_note(mix, whistle, 0, frames_of(0.07), pitch);
    add_note(mix, whistle, frames_of(0.1), frames_of(0.09), pitch);
    Instrument whisk;
    whisk.duty = 0.5;
    whisk.volume = 0.35;
    whisk.attack = 0.003;
    whisk.release = 0.06;
    add_note(mix, whisk, frames_of(0.22), frames_of(0.24), note_freq(parse_note("C5")), 1.0,
             note_freq(parse_note("C3")));
    Instrument hiss;
    hiss.wave = Wave::Noise;
    hiss.volume = 0.1;
    hiss.release = 0.05;
    add_note(mix, hiss, frames_of(0.22), frames_of(0.2), 6000.0);
    normalise(mix, CHUNK_PEAK);
    return mix;
}
