// SPDX-License-Identifier: MIT
// The chip synthesiser behind the game's music and sound chunks.
#include "sound_synth.h"

#include <algorithm>
#include <cmath>
#include <sstream>

// 2^(k/12) for k = 0..11: octaves are then exact doublings (ldexp).
static constexpr double SEMITONE_RATIOS[12] = {
    1.0,
    1.0594630943592953,
    1.1224620483093730,
    1.1892071150027210,
    1.2599210498948732,
    1.3348398541700344,
    1.4142135623730951,
    1.4983070768766815,
    1.5874010519681994,
    1.6817928305074290,
    1.7817974362806785,
    1.8877486253633868,
};

Mix::Mix(int frames, bool wrapping)
    : left(static_cast<std::size_t>(frames), 0.0f),
      right(static_cast<std::size_t>(frames), 0.0f),
      wrap(wrapping) {}

double note_freq(int midi) {
    const int from_a4 = midi - 69;
    const int octave = from_a4 >= 0 ? from_a4 / 12 : -((11 - from_a4) / 12);
    const int semitone = from_a4 - octave * 12;
    return std::ldexp(440.0 * SEMITONE_RATIOS[semitone], octave);
}

int parse_note(const std::string& name) {
    static constexpr int LETTER_PITCH[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return -1;
    int pitch = LETTER_PITCH[name[0] - 'A'];
    std::size_t at = 1;
    if (name[at] == '#') { ++pitch; ++at; }
    else if (name[at] == 'b') { --pitch; ++at; }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9') return -1;
    return (name[at] - '0' + 1) * 12 + pitch;
}

static std::uint32_t next_random(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// A value from -1 to 1.
static double random_level(std::uint32_t& state) {
    return static_cast<double>(next_random(state) >> 8) / 8388608.0 - 1.0;
}

// Smoothing of a pulse's jump at phase 0, `dt` being the phase step per frame.
static double blep(double phase, double dt) {
    if (phase < dt) {
        const double x = phase / dt;
        return x + x - x * x - 1.0;
    }
    if (phase > 1.0 - dt) {
        const double x = (phase - 1.0) / dt;
        return x * x + x + x + 1.0;
    }
    return 0.0;
}

// A pulse with its jumps smoothed, its average (2 duty - 1) taken out.
static double pulse(double phase, double duty, double dt) {
    double fall = phase - duty;
    if (fall < 0.0) fall += 1.0;
    const double raw = phase < duty ? 1.0 : -1.0;
    return raw + blep(phase, dt) - blep(fall, dt) - (2.0 * duty - 1.0);
}

// A triangle that starts at 0 and rises.
static double triangle(double phase) {
    if (phase < 0.25) return 4.0 * phase;
    if (phase < 0.75) return 2.0 - 4.0 * phase;
    return 4.0 * phase - 4.0;
}

// The envelope while the key is held, `t` seconds after the start.
static double held_level(const Instrument& instrument, double t) {
    if (t < instrument.attack) return t / instrument.attack;
    const double after = t - instrument.attack;
    if (after < instrument.decay) {
        const double left = 1.0 - after / instrument.decay;
        return instrument.sustain + (1.0 - instrument.sustain) * left * left;
    }
    return instrument.sustain;
}

void add_note(Mix& mix, const Instrument& instrument, int start, int length, double freq,
              double gain, double freq_end) {
    const int frames = mix.frames();
    if (frames == 0 || length <= 0) return;
    const int release = static_cast<int>(instrument.release * SOUND_RATE);
    const int total = length + release;
    const double held_seconds = static_cast<double>(length) / SOUND_RATE;
    const double level_at_release = held_level(instrument, held_seconds);
    const double amplitude = instrument.volume * gain;
    const double left_gain = amplitude * (instrument.pan > 0.0 ? 1.0 - instrument.pan : 1.0);
    const double right_gain = amplitude * (instrument.pan < 0.0 ? 1.0 + instrument.pan : 1.0);

    double phase = 0.0;
    double lfo_phase = 0.0;
    double noise = random_level(mix.noise_state);
    double noise_before = noise;
    double filtered = 0.0;
    for (int i = 0; i < total; ++i) {
        int at = start + i;
        if (at >= frames) {
            if (!mix.wrap) break;
            at %= frames;
        }
        const double t = static_cast<double>(i) / SOUND_RATE;
        double level;
        if (i < length) {
            level = held_level(instrument, t);
        } else {
            const double left = 1.0 - static_cast<double>(i - length) / release;
            level = level_at_release * left * left;
        }

        double value = 0.0;
        if (instrument.wave == Wave::Noise) {
            phase += freq / SOUND_RATE;
            if (phase >= 1.0) {
                phase -= std::floor(phase);
                noise = random_level(mix.noise_state);
            }
            if (instrument.highpass > 0.0) {
                filtered = instrument.highpass * (filtered + noise - noise_before);
                noise_before = noise;
                value = filtered;
            } else {
                value = noise;
            }
        } else {
            double f = freq;
            if (freq_end > 0.0) {
                const double rest = 1.0 - std::min(1.0, static_cast<double>(i) / length);
                f = freq_end + (freq - freq_end) * rest * rest;
            }
            if (instrument.vibrato_depth > 0.0 && t > instrument.vibrato_delay) {
                const double fade = std::min(1.0, (t - instrument.vibrato_delay) / 0.15);
                lfo_phase += instrument.vibrato_rate / SOUND_RATE;
                if (lfo_phase >= 1.0) lfo_phase -= 1.0;
                f *= 1.0 + instrument.vibrato_depth * fade * triangle(lfo_phase);
            }
            const double dt = f / SOUND_RATE;
            value = instrument.wave == Wave::Pulse ? pulse(phase, instrument.duty, dt)
                                                   : triangle(phase);
            phase += dt;
            if (phase >= 1.0) phase -= 1.0;
        }
        mix.left[at] += static_cast<float>(value * level * left_gain);
        mix.right[at] += static_cast<float>(value * level * right_gain);
    }
}

void add_kick(Mix& mix, int start, double gain) {
    Instrument body;
    body.wave = Wave::Triangle;
    body.volume = 0.75;
    body.attack = 0.001;
    body.decay = 0.16;
    body.sustain = 0.0;
    body.release = 0.03;
    add_note(mix, body, start, SOUND_RATE * 12 / 100, 165.0, gain, 44.0);
    Instrument click;
    click.wave = Wave::Noise;
    click.volume = 0.25;
    click.attack = 0.0005;
    click.decay = 0.008;
    click.sustain = 0.0;
    click.release = 0.004;
    add_note(mix, click, start, SOUND_RATE / 100, 11025.0, gain);
}

void add_snare(Mix& mix, int start, double gain) {
    Instrument rattle;
    rattle.wave = Wave::Noise;
    rattle.volume = 0.55;
    rattle.pan = -0.1;
    rattle.attack = 0.001;
    rattle.decay = 0.16;
    rattle.sustain = 0.0;
    rattle.release = 0.02;
    rattle.highpass = 0.85;
    add_note(mix, rattle, start, SOUND_RATE * 15 / 100, 22050.0, gain);
    Instrument body;
    body.wave = Wave::Triangle;
    body.volume = 0.45;
    body.attack = 0.001;
    body.decay = 0.07;
    body.sustain = 0.0;
    body.release = 0.015;
    add_note(mix, body, start, SOUND_RATE * 7 / 100, 220.0, gain, 160.0);
}

void add_hat(Mix& mix, int start, double gain, bool open) {
    Instrument hat;
    hat.wave = Wave::Noise;
    hat.volume = 0.42;
    hat.pan = 0.3;
    hat.attack = 0.0008;
    hat.decay = open ? 0.2 : 0.04;
    hat.sustain = 0.0;
    hat.release = 0.01;
    hat.highpass = 0.4;
    add_note(mix, hat, start, static_cast<int>(hat.decay * SOUND_RATE), 22050.0, gain);
}

void add_crash(Mix& mix, int start, double gain) {
    Instrument crash;
    crash.wave = Wave::Noise;
    crash.volume = 0.38;
    crash.attack = 0.001;
    crash.decay = 1.1;
    crash.sustain = 0.0;
    crash.release = 0.05;
    crash.highpass = 0.55;
    const int length = SOUND_RATE * 11 / 10;
    // Two independent noises, one a side, make it wide.
    crash.pan = -0.7;
    add_note(mix, crash, start, length, 17000.0, gain);
    crash.pan = 0.7;
    add_note(mix, crash, start, length, 15500.0, gain);
}

std::vector<LineNote> read_line(const std::string& text, int slot_steps) {
    std::vector<LineNote> notes;
    std::istringstream words(text);
    std::string word;
    bool sounding = false;
    for (int slot = 0; words >> word; ++slot) {
        if (word == "-") {
            if (sounding) notes.back().steps += slot_steps;
        } else if (word == ".") {
            sounding = false;
        } else {
            notes.push_back({slot * slot_steps, slot_steps, word});
            sounding = true;
        }
    }
    return notes;
}

void play_line(Mix& mix, const Instrument& instrument, const std::string& text, int start,
               int slot_frames, double gap, double gain) {
    for (const LineNote& note : read_line(text)) {
        const int midi = parse_note(note.token);
        if (midi < 0) continue;
        const int length = static_cast<int>((note.steps - gap) * slot_frames);
        add_note(mix, instrument, start + note.step * slot_frames, length, note_freq(midi), gain);
    }
}

void add_echo(Mix& mix, const Mix& send, int delay, double feedback, double level) {
    const int frames = mix.frames();
    if (delay <= 0 || delay >= frames) return;
    std::vector<double> left(static_cast<std::size_t>(frames), 0.0);
    std::vector<double> right(static_cast<std::size_t>(frames), 0.0);
    // On a loop the first pass leaves the start without the echoes of the end;
    // a second pass over the settled end puts them in.
    const int passes = mix.wrap ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int n = 0; n < frames; ++n) {
            int m = n - delay;
            if (m < 0) {
                if (!mix.wrap) continue;
                m += frames;
            }
            const double input = 0.5 * (static_cast<double>(send.left[m]) + send.right[m]);
            left[n] = input + feedback * right[m];
            right[n] = feedback * left[m];
        }
    }
    for (int n = 0; n < frames; ++n) {
        mix.left[n] += static_cast<float>(level * left[n]);
        mix.right[n] += static_cast<float>(level * right[n]);
    }
}

void add_mix(Mix& mix, const Mix& other, double level) {
    for (int n = 0; n < mix.frames() && n < other.frames(); ++n) {
        mix.left[n] += static_cast<float>(level * other.left[n]);
        mix.right[n] += static_cast<float>(level * other.right[n]);
    }
}

void normalise(Mix& mix, double peak) {
    float loudest = 0.0f;
    for (int n = 0; n < mix.frames(); ++n) {
        loudest = std::max({loudest, std::fabs(mix.left[n]), std::fabs(mix.right[n])});
    }
    if (loudest == 0.0f) return;
    const double scale = peak / loudest;
    for (int n = 0; n < mix.frames(); ++n) {
        mix.left[n] = static_cast<float>(mix.left[n] * scale);
        mix.right[n] = static_cast<float>(mix.right[n] * scale);
    }
}

std::vector<std::int16_t> to_pcm16(const Mix& mix) {
    std::vector<std::int16_t> pcm;
    pcm.reserve(static_cast<std::size_t>(mix.frames()) * 2);
    for (int n = 0; n < mix.frames(); ++n) {
        for (const float value : {mix.left[n], mix.right[n]}) {
            const long sample = std::lround(static_cast<double>(value) * 32767.0);
            pcm.push_back(static_cast<std::int16_t>(std::clamp(sample, -32767L, 32767L)));
        }
    }
    return pcm;
}
