// SPDX-License-Identifier: MIT
// The music track, written bar by bar like a tracker pattern: C major at 150
// beats a minute, 60 bars (96 s): an intro groove, the theme, the theme again
// with a harmony line, a lighter middle part, a half-time bridge in A minor, a
// chase in D minor played twice, and the theme a last time, whose last bar
// climbs down and rolls back into the intro.
#include "sound_pieces.h"

#include <sstream>
#include <string>

static constexpr int STEP_FRAMES = SOUND_RATE * 60 / 150 / 4;  // a sixteenth: 2205
static constexpr int BAR_STEPS = 16;
static constexpr int BAR_FRAMES = STEP_FRAMES * BAR_STEPS;
static_assert(STEP_FRAMES * 150 * 4 == SOUND_RATE * 60, "a sixteenth is a whole number of frames");

// One bar of drums, a character a sixteenth: 'x' a full hit, 'o' a soft one;
// on the hat lane 'O' is an open hat.
struct DrumBar {
    const char* kick;
    const char* snare;
    const char* hat;
};

static constexpr DrumBar INTRO = {"x.......x.......", "................", "..x...x...x...x."};
static constexpr DrumBar INTRO_FILL = {"x.......x.x.....", "............o.xx", "..x...x...x....."};
static constexpr DrumBar GROOVE = {"x.....x.x.......", "....x.......x...", "x.x.x.x.x.x.x.O."};
static constexpr DrumBar GROOVE_BUSY = {"x.....x.x.x.....", "....x.......x..o", "xoxoxoxoxoxoxoxO"};
static constexpr DrumBar TURN_FILL = {"x.....x.x.......", "....x.....o.xxxx", "x.x.x.x.x......."};
static constexpr DrumBar LIFT = {"x..x....x..x....", "....x.......x...", "xoxoxOxoxoxoxOxo"};
static constexpr DrumBar HALF = {"x.........x.....", "........x.......", "x.o.x.o.x.o.x.o."};
static constexpr DrumBar BUILD = {"x.........x.....", "....o.......o.o.", "x.o.x.o.x.o.x.o."};
static constexpr DrumBar ROLL = {"x.......x.......", "o.o.o.o.ooooxxxx", "x.x.x.x........."};

// Bass and arpeggio lines, in chord degrees: R root, 3 third, 5 fifth, 8 octave,
// 10 the third an octave up; notes by name are played as written.
static constexpr const char* BOUNCE = "R 8 R 8 R 8 R 8";
static constexpr const char* DRIVE = "R R 5 R 8 R 5 R";
static constexpr const char* HALF_BASS = "R - - R - - 5 -";
static constexpr const char* WALK_DOWN = "G2 - F2 - E2 - D2 -";
static constexpr const char* ARP_EIGHTHS = "R 3 5 8 R 3 5 8";
static constexpr const char* ARP_RUN = "R 3 5 8 R 3 5 8 R 3 5 8 10 8 5 3";
static constexpr const char* ARP_BROKEN = "R 5 3 5 8 5 3 5 R 5 3 5 8 5 3 5";

enum class Lead { None, Bright, Round, Thin };

// One bar of the song. `chords` holds one chord or two that split the bar;
// `melody` is 8 or 16 slots of notes.
struct Bar {
    const char* chords;
    const char* melody;
    Lead lead;
    bool harmony;  // a second voice a third under the melody
    const char* bass;
    const char* arp;
    const DrumBar* drums;
    bool crash;
};

// clang-format off
// The theme, eight bars; `harmony` adds the second voice, `drums` sets the beat
// and the last bar turns the way the next part needs.
#define THEME(harmony, drums, last_chord, last_melody, last_bass, last_drums)                     \
    {"C", "E5 - G5 C6 B5 G5 E5 -", Lead::Bright, harmony, BOUNCE, ARP_RUN, drums, true},          \
        {"Am", "A5 - C6 A5 E5 - C5 -", Lead::Bright, harmony, BOUNCE, ARP_RUN, drums, false},     \
        {"F", "F5 G5 A5 C6 A5 - F5 -", Lead::Bright, harmony, BOUNCE, ARP_RUN, drums, false},     \
        {"G", "G5 - - F5 E5 D5 B4 -", Lead::Bright, harmony, BOUNCE, ARP_RUN, drums, false},      \
        {"C", "E5 - G5 C6 B5 G5 E5 G5", Lead::Bright, harmony, BOUNCE, ARP_RUN, drums, false},    \
        {"Am", "A5 - C6 E6 D6 C6 A5 -", Lead::Bright, harmony, BOUNCE, ARP_RUN, drums, false},    \
        {"F G", "F5 A5 C6 A5 G5 B5 D6 B5", Lead::Bright, harmony, BOUNCE, ARP_RUN, drums, false}, \
        {last_chord, last_melody, Lead::Bright, harmony, last_bass, ARP_RUN, last_drums, false}

// The song plays from start-up for as long as the game runs: the intro opens
// it once a loop, and the loop's end rolls back into it.
static const Bar SONG[] = {
    // Intro: the groove alone.
    {"C", "", Lead::None, false, BOUNCE, ARP_EIGHTHS, &INTRO, true},
    {"Am", "", Lead::None, false, BOUNCE, ARP_EIGHTHS, &INTRO, false},
    {"F", "", Lead::None, false, BOUNCE, ARP_EIGHTHS, &INTRO, false},
    {"G", "", Lead::None, false, BOUNCE, ARP_EIGHTHS, &INTRO_FILL, false},
    // The theme, then again harmonised on a busier beat, turning to G.
    THEME(false, &GROOVE, "C", "C6 - - - G5 - E5 -", BOUNCE, &GROOVE),
    THEME(true, &GROOVE_BUSY, "G", "D6 - - C6 B5 - G5 -", DRIVE, &TURN_FILL),
    // The middle part: longer notes, a rounder lead.
    {"F", "A5 - - G5 F5 - C5 -", Lead::Round, false, DRIVE, ARP_BROKEN, &LIFT, true},
    {"G", "D5 - - E5 F5 - G5 -", Lead::Round, false, DRIVE, ARP_BROKEN, &LIFT, false},
    {"Em", "G5 - - - B5 - - -", Lead::Round, false, DRIVE, ARP_BROKEN, &LIFT, false},
    {"Am", "C6 - - B5 A5 - E5 -", Lead::Round, false, DRIVE, ARP_BROKEN, &LIFT, false},
    {"F", "F5 - A5 - C6 - A5 -", Lead::Round, false, DRIVE, ARP_BROKEN, &LIFT, false},
    {"G", "B5 - D6 - G6 - - -", Lead::Round, false, DRIVE, ARP_BROKEN, &LIFT, false},
    {"Em", "E6 - D6 - B5 - G5 -", Lead::Round, false, DRIVE, ARP_BROKEN, &LIFT, false},
    {"G", "D6 - - - C6 - B5 -", Lead::Round, false, DRIVE, ARP_BROKEN, &TURN_FILL, false},
    // The bridge: half time in A minor, a thin lead, the night before the chase.
    {"Am", "A5 - - - E5 - A5 B5", Lead::Thin, false, HALF_BASS, ARP_RUN, &HALF, true},
    {"F", "C6 - - - B5 - A5 -", Lead::Thin, false, HALF_BASS, ARP_RUN, &HALF, false},
    {"C", "G5 - - - E5 - G5 C6", Lead::Thin, false, HALF_BASS, ARP_RUN, &HALF, false},
    {"G", "B5 - - - - - . .", Lead::Thin, false, HALF_BASS, ARP_RUN, &HALF, false},
    {"Am", "A5 - - - E5 - A5 B5", Lead::Thin, false, HALF_BASS, ARP_RUN, &HALF, false},
    {"F", "C6 - - - D6 - E6 -", Lead::Thin, false, HALF_BASS, ARP_RUN, &HALF, false},
    {"Dm", "F6 - - - E6 - D6 -", Lead::Thin, false, HALF_BASS, ARP_RUN, &BUILD, false},
    {"E", "E6 - - - D6 - B5 G#5", Lead::Thin, false, DRIVE, ARP_RUN, &ROLL, false},
    // The chase: D minor at full tilt, call and answer, then once more in the round voice.
    {"Dm", "D5 F5 A5 - D6 - A5 -", Lead::Bright, false, DRIVE, ARP_BROKEN, &GROOVE_BUSY, true},
    {"G", "B5 - G5 - D5 - G5 -", Lead::Bright, false, DRIVE, ARP_BROKEN, &GROOVE_BUSY, false},
    {"C", "E5 G5 C6 - E6 - C6 -", Lead::Bright, false, DRIVE, ARP_BROKEN, &GROOVE_BUSY, false},
    {"Am", "A5 - E5 - C5 - E5 -", Lead::Bright, false, DRIVE, ARP_BROKEN, &GROOVE_BUSY, false},
    {"Dm", "F5 A5 D6 - F6 - D6 -", Lead::Bright, false, DRIVE, ARP_BROKEN, &GROOVE_BUSY, false},
    {"G", "D6 - B5 - G5 - B5 -", Lead::Bright, false, DRIVE, ARP_BROKEN, &GROOVE_BUSY, false},
    {"E", "G#5 - B5 - E6 - D6 -", Lead::Bright, false, DRIVE, ARP_BROKEN, &GROOVE_BUSY, false},
    {"Am", "C6 - B5 - A5 - - -", Lead::Bright, false, DRIVE, ARP_BROKEN, &TURN_FILL, false},
    {"Dm", "D5 F5 A5 - D6 - A5 -", Lead::Round, true, DRIVE, ARP_RUN, &LIFT, true},
    {"G", "B5 - G5 - D5 - G5 -", Lead::Round, true, DRIVE, ARP_RUN, &LIFT, false},
    {"C", "E5 G5 C6 - E6 - C6 -", Lead::Round, true, DRIVE, ARP_RUN, &LIFT, false},
    {"Am", "A5 - E5 - C5 - E5 -", Lead::Round, true, DRIVE, ARP_RUN, &LIFT, false},
    {"Dm", "F5 A5 D6 - F6 - D6 -", Lead::Round, true, DRIVE, ARP_RUN, &LIFT, false},
    {"G", "D6 - B5 - G5 - B5 -", Lead::Round, true, DRIVE, ARP_RUN, &LIFT, false},
    {"F", "A5 - C6 - F6 - C6 -", Lead::Round, true, DRIVE, ARP_RUN, &LIFT, false},
    {"G", "B5 - D6 - G6 - F6 -", Lead::Round, false, DRIVE, ARP_RUN, &TURN_FILL, false},
    // The theme a last time, harmonised, whose last bar climbs down into the intro.
    THEME(true, &GROOVE_BUSY, "G", "D6 - - - - - - .", WALK_DOWN, &ROLL),
};
#undef THEME
// clang-format on
static constexpr int SONG_BARS = sizeof SONG / sizeof SONG[0];
static_assert(SONG_BARS == 60, "60 bars of 1.6 s: 96 s");

struct Chord {
    int root;  // pitch class, C = 0
    bool minor;
};

static Chord parse_chord(const std::string& name) {
    // parse_note wants an octave; the letter and accidental give the pitch class.
    const bool sharp_or_flat = name.size() > 1 && (name[1] == '#' || name[1] == 'b');
    const std::string letter = name.substr(0, sharp_or_flat ? 2 : 1);
    const int midi = parse_note(letter + "4");
    return {midi % 12, name.size() > letter.size() && name[letter.size()] == 'm'};
}

// The chords of a bar, the ones that split it in equal parts.
static std::vector<Chord> bar_chords(const Bar& bar) {
    std::vector<Chord> chords;
    for (const LineNote& word : read_line(bar.chords)) chords.push_back(parse_chord(word.token));
    return chords;
}

// A note of a line: a name, or a chord degree put in the octave from `lowest` up.
static int resolve(const std::string& token, const Chord& chord, int lowest) {
    const int named = parse_note(token);
    if (named >= 0) return named;
    const int root = lowest + ((chord.root - lowest) % 12 + 12) % 12;
    const int third = chord.minor ? 3 : 4;
    if (token == "R") return root;
    if (token == "3") return root + third;
    if (token == "5") return root + 7;
    if (token == "8") return root + 12;
    if (token == "10") return root + 12 + third;
    return -1;
}

// The note a third under `midi` in C major.
static int third_below(int midi) {
    static constexpr int SCALE[7] = {0, 2, 4, 5, 7, 9, 11};
    const int octave = midi / 12;
    for (int degree = 0; degree < 7; ++degree) {
        if (SCALE[degree] != midi % 12) continue;
        const int lower = degree - 2;
        return lower >= 0 ? octave * 12 + SCALE[lower] : (octave - 1) * 12 + SCALE[lower + 7];
    }
    return midi - 3;
}

static int slot_count(const std::string& line) {
    std::istringstream words(line);
    std::string word;
    int count = 0;
    while (words >> word) ++count;
    return count;
}

// Plays one bar's line on `instrument`, `gap` sixteenths short of each note's end.
static void play_bar_line(Mix& mix, const Instrument& instrument, const std::string& line,
                          const std::vector<Chord>& chords, int bar_start, int lowest, double gap,
                          bool harmony = false) {
    const int slots = slot_count(line);
    if (slots == 0) return;
    const int slot_steps = BAR_STEPS / slots;
    for (const LineNote& note : read_line(line, slot_steps)) {
        const Chord& chord = chords[note.step * chords.size() / BAR_STEPS];
        int midi = resolve(note.token, chord, lowest);
        if (midi < 0) continue;
        if (harmony) midi = third_below(midi);
        const int length = static_cast<int>((note.steps - gap) * STEP_FRAMES);
        add_note(mix, instrument, bar_start + note.step * STEP_FRAMES, length, note_freq(midi));
    }
}

static void play_drums(Mix& mix, const DrumBar& drums, int bar_start) {
    for (int step = 0; step < BAR_STEPS; ++step) {
        const int at = bar_start + step * STEP_FRAMES;
        if (drums.kick[step] != '.') add_kick(mix, at, drums.kick[step] == 'x' ? 1.0 : 0.55);
        if (drums.snare[step] != '.') add_snare(mix, at, drums.snare[step] == 'x' ? 1.0 : 0.5);
        const char hat = drums.hat[step];
        if (hat != '.') add_hat(mix, at, hat == 'o' ? 0.55 : 1.0, hat == 'O');
    }
}

static Instrument lead_instrument(Lead lead) {
    Instrument voice;
    voice.wave = Wave::Pulse;
    voice.pan = -0.15;
    voice.attack = 0.004;
    voice.release = 0.06;
    voice.vibrato_depth = 0.007;
    voice.vibrato_rate = 5.5;
    voice.vibrato_delay = 0.22;
    switch (lead) {
    case Lead::Round:
        voice.duty = 0.5;
        voice.volume = 0.27;
        voice.decay = 0.25;
        voice.sustain = 0.6;
        break;
    case Lead::Thin:
        voice.duty = 0.125;
        voice.volume = 0.3;
        voice.decay = 0.3;
        voice.sustain = 0.75;
        break;
    default:
        voice.duty = 0.25;
        voice.volume = 0.3;
        voice.decay = 0.12;
        voice.sustain = 0.7;
        break;
    }
    return voice;
}

Mix make_music() {
    Mix mix(SONG_BARS * BAR_FRAMES, true);
    Mix lead(mix.frames(), true);  // kept apart for its echo

    Instrument harmony;
    harmony.duty = 0.5;
    harmony.volume = 0.13;
    harmony.pan = 0.4;
    harmony.attack = 0.004;
    harmony.decay = 0.15;
    harmony.sustain = 0.7;
    harmony.release = 0.05;

    Instrument arp;
    arp.duty = 0.125;
    arp.volume = 0.14;
    arp.pan = 0.45;
    arp.decay = 0.06;
    arp.sustain = 0.45;
    arp.release = 0.02;

    Instrument bass;
    bass.wave = Wave::Triangle;
    bass.volume = 0.42;
    bass.attack = 0.003;
    bass.release = 0.03;

    for (int index = 0; index < SONG_BARS; ++index) {
        const Bar& bar = SONG[index];
        const int start = index * BAR_FRAMES;
        const std::vector<Chord> chords = bar_chords(bar);
        if (bar.lead != Lead::None) {
            play_bar_line(lead, lead_instrument(bar.lead), bar.melody, chords, start, 0, 0.15);
            if (bar.harmony) {
                play_bar_line(mix, harmony, bar.melody, chords, start, 0, 0.3, true);
            }
        }
        play_bar_line(mix, bass, bar.bass, chords, start, 36, 0.5);
        play_bar_line(mix, arp, bar.arp, chords, start, 60, 0.45);
        play_drums(mix, *bar.drums, start);
        if (bar.crash) add_crash(mix, start, 1.0);
    }
    add_mix(mix, lead, 1.0);
    add_echo(mix, lead, 3 * STEP_FRAMES, 0.35, 0.3);
    // Headroom for the chunks the mixer adds on top.
    normalise(mix, MUSIC_PEAK);
    return mix;
}
