// SPDX-License-Identifier: MIT
// The generator's little chip synthesiser: band-limited pulse, triangle and
// noise voices with simple envelopes, mixed into a stereo float buffer, plus
// the drum kit and the helpers that read note lines written tracker-style.
//
// Everything here uses plain arithmetic only (no sin, exp or pow), and the noise
// comes from the buffer's own seeded generator, so the same calls always give
// the same samples, bit for bit.
#ifndef PELUNE_TOOLS_SOUND_SYNTH_H
#define PELUNE_TOOLS_SOUND_SYNTH_H

#include <cstdint>
#include <string>
#include <vector>

constexpr int SOUND_RATE = 22050;  // frames per second: the game's mixer rate

enum class Wave { Pulse, Triangle, Noise };

// How one voice sounds. Times in seconds, levels 0..1, pan -1 (left) to 1 (right).
struct Instrument {
    Wave wave = Wave::Pulse;
    double duty = 0.5;     // Pulse: fraction of the period spent high
    double volume = 1.0;
    double pan = 0.0;
    double attack = 0.002;
    double decay = 0.0;    // from full level down to `sustain`
    double sustain = 1.0;
    double release = 0.02;
    double vibrato_depth = 0.0;  // fraction of the frequency
    double vibrato_rate = 0.0;   // Hz
    double vibrato_delay = 0.0;  // seconds of steady pitch before the vibrato fades in
    double highpass = 0.0;       // Noise: one-pole high-pass coefficient, 0 = off
};

// A stereo buffer. A wrapping buffer is a loop: sound that runs past its end
// goes on at its start, so the end flows into the beginning without a seam.
struct Mix {
    std::vector<float> left, right;
    bool wrap = false;
    std::uint32_t noise_state = 0x2545F491u;  // xorshift32 state, never 0

    explicit Mix(int frames, bool wrapping = false);
    int frames() const { return static_cast<int>(left.size()); }
};

// Equal-tempered frequency of a MIDI note (69 = A4 = 440 Hz).
double note_freq(int midi);
// "C5", "F#4", "Bb3" -> MIDI note number (C4 = 60); -1 when `name` is not a note.
int parse_note(const std::string& name);

// One sound of `length` frames (the key held; the release follows) from frame
// `start`. For pulse and triangle `freq` is the pitch in Hz and the pitch slides
// to `freq_end` over the held part when that is not 0; for noise `freq` is how
// many new random values a second it draws.
void add_note(Mix& mix, const Instrument& instrument, int start, int length, double freq,
              double gain = 1.0, double freq_end = 0.0);

// The drum kit, `gain` 0..1.
void add_kick(Mix& mix, int start, double gain);
void add_snare(Mix& mix, int start, double gain);
void add_hat(Mix& mix, int start, double gain, bool open);
void add_crash(Mix& mix, int start, double gain);

// One note of a written line: its first step, how many steps it lasts, its token.
struct LineNote {
    int step;
    int steps;
    std::string token;
};
// Reads a line written one token per slot, each slot `slot_steps` steps long:
// a note ("C5") or any other word starts a note, "-" holds the one before,
// "." is silence.
std::vector<LineNote> read_line(const std::string& text, int slot_steps = 1);
// Plays a line of absolute notes, one slot every `slot_frames` frames from
// `start`; each note is let go `gap` of a slot before its end.
void play_line(Mix& mix, const Instrument& instrument, const std::string& text, int start,
               int slot_frames, double gap, double gain = 1.0);

// Ping-pong echo of `send` (taken as mono) into `mix`: the first repeat `delay`
// frames later on the left, then alternating sides, each `feedback` times the last.
void add_echo(Mix& mix, const Mix& send, int delay, double feedback, double level);
// Adds `other` into `mix` (same length).
void add_mix(Mix& mix, const Mix& other, double level);

// Scales the buffer so that its loudest sample is `peak` (of full scale).
void normalise(Mix& mix, double peak);
// Interleaved signed 16-bit frames, left first.
std::vector<std::int16_t> to_pcm16(const Mix& mix);

#endif
