#include "songset.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <sstream>

using namespace synth;

namespace {

// The forms, one letter a section (see SongSection); a long intro and a
// double chorus ("CC") are among them.
const char *const forms[setForms] = {"IVCVCBCO", "IVPCVPCC", "CVCVC", "LVCVCBCCO", "VCVCSCO", "IVPCVPCBCCO"};

struct Key {
    int tonic;  // MIDI note of the tonic in octave 4
    bool minor;

    // The MIDI note of a scale step (0 the tonic, 7 an octave up).
    int note(int step) const
    {
        static const int major[7] = {0, 2, 4, 5, 7, 9, 11}, minorScale[7] = {0, 2, 3, 5, 7, 8, 10};
        const int octave = step >= 0 ? step / 7 : -((6 - step) / 7);
        const int degree = step - 7 * octave;
        return tonic + 12 * octave + (minor ? minorScale : major)[degree];
    }
};

struct Note {
    double beat;   // from the section's start
    double beats;  // length
    int step;      // scale step
};
using Line = std::vector<Note>;

struct Progression {
    std::vector<int> degrees; // the chords' roots as scale steps, 0..6
    int barsPerChord = 1;
    int degreeAt(int bar) const { return degrees[size_t(bar / barsPerChord) % degrees.size()]; }
};

enum class Drums { None, Hats, Basic, Driving, HalfTime };

// How one kind of section is played, the same each time it comes.
struct Part {
    Progression chords;
    int pad = 0, lead = -1;  // timbres; no lead: -1
    double gain = 1;
    Drums drums = Drums::Basic;
    int bassPattern = 0;
    int melodyStep = 7;      // the lead's register: a scale step near its middle
    double density = 0.5;    // share of the eighths a melody note starts on
    bool newMelodyEachTime = false;
    Line melody;             // for the kinds that repeat theirs
};

const std::vector<Timbre> &pads()
{
    static const std::vector<Timbre> all{
        timbre({1.0, 0.3, 0.1}, 0.15, 0.3, false),                               // soft pad
        timbre({1.0, 0.5, 0.33, 0.25, 0.2, 0.16, 0.14}, 0.01, 0.1, false),       // bright saw
        timbre({1.0, 0.0, 0.6, 0.0, 0.4, 0.0, 0.2}, 0.02, 0.05, false),          // hollow organ
        timbre({1.0, 0.6, 0.3, 0.2}, 0.005, 0.35, true),                         // pluck
        timbre({1.0, 0.5, 0.35, 0.25, 0.2, 0.15, 0.12, 0.1}, 0.3, 0.4, false),   // strings
        timbre({1.0, 0.2, 0.05, 0.1}, 0.004, 0.8, true),                         // electric piano
    };
    return all;
}

const std::vector<Timbre> &leads()
{
    static const std::vector<Timbre> all{
        timbre({1.0, 0.0, 0.33, 0.0, 0.2, 0.0, 0.14}, 0.01, 0.08, false), // square
        timbre({1.0, 0.5, 0.33, 0.25, 0.2}, 0.01, 0.08, false),           // saw
        timbre({1.0, 0.1, 0.05}, 0.04, 0.1, false),                       // flute
        timbre({1.0, 0.4, 0.2, 0.3, 0.1}, 0.003, 0.5, true),              // bell
    };
    return all;
}

int pick(std::mt19937 &rng, int count) { return int(rng() % uint32_t(count)); }
bool chance(std::mt19937 &rng, double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }

Progression progression(std::mt19937 &rng, bool minor)
{
    static const std::vector<std::vector<int>> common{{0, 4, 5, 3}, {0, 5, 3, 4}, {5, 3, 0, 4}, {0, 3, 4, 3},
                                                      {0, 3, 5, 4}, {1, 4, 0, 5}, {3, 0, 4, 5}, {0, 2, 3, 4}};
    Progression p;
    p.degrees = common[size_t(pick(rng, int(common.size())))];
    std::rotate(p.degrees.begin(), p.degrees.begin() + pick(rng, 2), p.degrees.end());
    if (minor && chance(rng, 0.5))
        std::swap(p.degrees[1], p.degrees[3]);
    p.barsPerChord = chance(rng, 0.2) ? 2 : 1;
    return p;
}

// A melody over `bars` bars: chord tones on the strong beats, steps between.
Line melodyOf(std::mt19937 &rng, const Part &part, int bars)
{
    Line line;
    int step = part.melodyStep;
    for (int bar = 0; bar < bars; ++bar) {
        const int root = part.chords.degreeAt(bar);
        for (int eighth = 0; eighth < 8; ++eighth) {
            if (eighth != 0 && !chance(rng, part.density))
                continue;
            if (eighth == 0 && chance(rng, 0.15))
                continue; // a rest on the downbeat now and then
            if (eighth % 2 == 0) {
                // The chord tone nearest a small move from the last note.
                const int target = step + int(rng() % 5) - 2;
                int best = target, distance = 99;
                for (int tone = root - 14; tone <= root + 21; ++tone)
                    if (((tone - root) % 7 + 7) % 7 % 2 == 0 && ((tone - root) % 7 + 7) % 7 != 6 && std::abs(tone - target) < distance)
                        best = tone, distance = std::abs(tone - target);
                step = best;
            } else {
                step += chance(rng, 0.5) ? 1 : -1;
            }
            step = std::clamp(step, part.melodyStep - 5, part.melodyStep + 5);
            line.push_back({bar * 4.0 + eighth * 0.5, 0.5, step});
        }
    }
    // Each note lasts until the next (at most a bar).
    for (size_t i = 0; i < line.size(); ++i) {
        const double next = i + 1 < line.size() ? line[i + 1].beat : bars * 4.0;
        line[i].beats = std::min(4.0, next - line[i].beat);
    }
    return line;
}

// A chorus-like melody: a two-bar phrase, an answer, the phrase again and
// an ending, so that it repeats within itself as choruses do.
Line hookOf(std::mt19937 &rng, const Part &part, int bars)
{
    const Line phrase = melodyOf(rng, part, 2), answer = melodyOf(rng, part, 2), ending = melodyOf(rng, part, 2);
    Line line;
    for (int block = 0; block < bars / 2; ++block) {
        const Line &from = block % 4 == 3 ? ending : block % 2 == 1 ? answer : phrase;
        for (Note n : from) {
            n.beat += block * 8.0;
            line.push_back(n);
        }
    }
    return line;
}

struct Song {
    Key key;
    double beatSec = 0.5;
    double swing = 0.5;  // where the second eighth of a beat falls, 0.5 straight
    std::vector<float> out;
    int rate = 22050;
    std::mt19937 rng;

    double at(double sectionStart, double beat) const
    {
        const double whole = std::floor(beat), part = beat - whole;
        const double swung = std::abs(part - 0.5) < 1e-9 ? swing : part;
        return sectionStart + (whole + swung) * beatSec;
    }
    double humanised(double t) { return std::max(0.0, t + std::normal_distribution<double>(0, 0.004)(rng)); }
    double vary() { return std::uniform_real_distribution<double>(0.88, 1.12)(rng); }
};

void playDrums(Song &s, const Part &part, double start, int bars, bool fill, bool crash)
{
    for (int bar = 0; bar < bars; ++bar) {
        const bool filling = fill && bar == bars - 1;
        for (int eighth = 0; eighth < 8; ++eighth) {
            const double beat = bar * 4 + eighth * 0.5;
            const double t = s.humanised(s.at(start, beat));
            const bool onBeat = eighth % 2 == 0;
            const int beatOfBar = eighth / 2;
            if (part.drums != Drums::None)
                addNoiseBurst(s.out, s.rate, t, 0.015, (onBeat ? 0.05 : 0.035) * s.vary(), s.rng);
            if (part.drums == Drums::None || part.drums == Drums::Hats)
                continue;
            const bool kick = part.drums == Drums::HalfTime ? eighth == 0
                              : part.drums == Drums::Driving ? (eighth == 0 || eighth == 3 || eighth == 4)
                                                             : (eighth == 0 || eighth == 4);
            const bool snare = part.drums == Drums::HalfTime ? eighth == 4 : onBeat && beatOfBar % 2 == 1;
            if (kick && !(filling && eighth >= 4))
                addKick(s.out, s.rate, t, 0.35 * s.vary());
            if (snare && !filling)
                addNoiseBurst(s.out, s.rate, t, 0.06, 0.12 * s.vary(), s.rng);
        }
        if (filling)
            for (int sixteenth = 8; sixteenth < 16; ++sixteenth)
                addNoiseBurst(s.out, s.rate, s.humanised(s.at(start, bar * 4 + sixteenth * 0.25)), 0.05,
                              (0.06 + 0.01 * (sixteenth - 8)) * s.vary(), s.rng);
    }
    if (crash)
        addNoiseBurst(s.out, s.rate, s.at(start, 0), 0.4, 0.1, s.rng);
}

void playBassAndPads(Song &s, const Part &part, double start, int bars, int shift, double gain)
{
    const Timbre &pad = pads()[size_t(part.pad)];
    const Timbre &bass = pads()[0];
    for (int bar = 0; bar < bars; ++bar) {
        const int degree = part.chords.degreeAt(bar);
        const int root = s.key.note(degree) + shift;
        const double t = s.at(start, bar * 4);
        // The bass: the root, in the part's own rhythm.
        static const std::vector<std::vector<double>> rhythms{{0, 2}, {0, 1, 2, 3}, {0, 1.5, 2, 3.5}, {0, 0.5, 1, 1.5, 2, 2.5, 3, 3.5}};
        const std::vector<double> &rhythm = rhythms[size_t(part.bassPattern)];
        for (size_t k = 0; k < rhythm.size(); ++k) {
            const double next = k + 1 < rhythm.size() ? rhythm[k + 1] : 4.0;
            const int note = root - 24 + (part.bassPattern == 3 && k % 4 == 2 ? 7 : 0);
            addNote(s.out, s.rate, bass, s.humanised(s.at(start, bar * 4 + rhythm[k])), (next - rhythm[k]) * s.beatSec * 0.9,
                    note, 0.22 * gain * s.vary());
        }
        const int chord[3] = {s.key.note(degree) + shift, s.key.note(degree + 2) + shift, s.key.note(degree + 4) + shift};
        if (pad.plucked) {
            const int order[4] = {0, 1, 2, 1};
            for (int eighth = 0; eighth < 8; ++eighth)
                addNote(s.out, s.rate, pad, s.humanised(s.at(start, bar * 4 + eighth * 0.5)), s.beatSec / 2,
                        chord[order[eighth % 4]] - 12 + (eighth >= 4 ? 12 : 0), 0.1 * gain * s.vary());
        } else {
            for (int note : chord)
                addNote(s.out, s.rate, pad, t, 4 * s.beatSec * 0.97, note - 12, 0.07 * gain * s.vary());
        }
    }
}

void playMelody(Song &s, const Part &part, const Line &line, double start, int shift, double gain)
{
    if (part.lead < 0)
        return;
    const Timbre &lead = leads()[size_t(part.lead)];
    for (const Note &n : line)
        addNote(s.out, s.rate, lead, s.humanised(s.at(start, n.beat)), n.beats * s.beatSec * 0.9, s.key.note(n.step) + shift,
                0.09 * gain * s.vary());
}

struct Plan {
    char kind;
    int bars;
};

} // namespace

TestSong makeSetSong(uint32_t seed, int rate)
{
    std::mt19937 rng(seed * 2654435761u + 17);
    const std::string form = forms[seed % setForms];
    Song s;
    s.rate = rate;
    s.rng.seed(seed + 99991u);
    const double bpm = std::uniform_real_distribution<double>(70, 160)(rng);
    s.beatSec = 60.0 / bpm;
    s.swing = chance(rng, 0.3) ? std::uniform_real_distribution<double>(0.6, 0.67)(rng) : 0.5;
    s.key = {57 + pick(rng, 12), chance(rng, 0.35)};
    const int lastShift = chance(rng, 0.3) ? 1 + pick(rng, 2) : 0;
    const bool sharedChords = chance(rng, 0.25), quietChorus = chance(rng, 0.2);

    // The parts.
    std::map<char, Part> parts;
    for (char kind : std::string("IVPCBSOL")) {
        Part &p = parts[kind];
        p.chords = progression(rng, s.key.minor);
        p.pad = pick(rng, int(pads().size()));
        p.lead = pick(rng, int(leads().size()));
        p.bassPattern = pick(rng, 4);
        p.density = std::uniform_real_distribution<double>(0.3, 0.7)(rng);
    }
    Part &verse = parts['V'], &chorus = parts['C'];
    if (sharedChords)
        chorus.chords = verse.chords;
    parts['S'].chords = verse.chords;
    parts['O'].chords = chorus.chords;
    parts['L'] = parts['I'];
    for (char kind : std::string("ILO"))
        parts[kind].lead = -1;
    parts['I'].drums = parts['L'].drums = chance(rng, 0.5) ? Drums::Hats : Drums::None;
    parts['O'].drums = Drums::HalfTime;
    parts['B'].drums = Drums::HalfTime;
    verse.drums = Drums::Basic;
    chorus.drums = Drums::Driving;
    parts['P'].drums = Drums::Basic;
    parts['P'].chords.barsPerChord = 2;
    verse.newMelodyEachTime = parts['S'].newMelodyEachTime = true;
    verse.melodyStep = 5;
    chorus.melodyStep = 8;
    parts['S'].density = 0.8;
    const std::map<char, double> gains{{'I', 0.5}, {'L', 0.5}, {'V', quietChorus ? 0.9 : 0.65}, {'P', 0.75},
                                       {'C', quietChorus ? 0.5 : 1.0}, {'B', 0.7}, {'S', 0.8}, {'O', 0.45}};
    for (auto &[kind, part] : parts)
        part.gain = gains.at(kind);

    // The sections' lengths, the same for every section of a kind.
    std::map<char, int> bars{{'I', chance(rng, 0.5) ? 4 : 8}, {'L', 16}, {'V', bpm >= 110 && chance(rng, 0.5) ? 16 : 8},
                             {'P', 4}, {'C', bpm >= 125 && chance(rng, 0.4) ? 16 : 8}, {'B', 8}, {'S', 8},
                             {'O', chance(rng, 0.5) ? 4 : 8}};
    for (auto &[kind, part] : parts)
        if (!part.newMelodyEachTime)
            part.melody = kind == 'C' ? hookOf(rng, part, bars[kind]) : melodyOf(rng, part, bars[kind]);

    TestSong song;
    double t = 0.05 + std::uniform_real_distribution<double>(0, 1)(rng);
    const size_t lastChorusGroup = form.find_last_not_of('C', form.rfind('C')) + 1;
    std::vector<double> starts;
    for (char kind : form) {
        starts.push_back(t);
        t += bars[kind] * 4 * s.beatSec;
    }
    s.out.assign(size_t((t + 2.0) * rate), 0.0f);
    std::map<char, int> seen;
    for (size_t i = 0; i < form.size(); ++i) {
        const char kind = form[i];
        const Part &part = parts[kind];
        const int n = bars[kind], occurrence = seen[kind]++;
        const int shift = i >= lastChorusGroup ? lastShift : 0;
        const bool next = i + 1 < form.size() && form[i + 1] != kind;
        const double gain = part.gain * (kind == 'O' ? 0.8 : 1.0);
        Line line = part.melody;
        if (part.newMelodyEachTime) {
            line = melodyOf(rng, part, n);
        } else if (occurrence > 0 && chance(rng, 0.35)) {
            // A changed last bar.
            const Line last = melodyOf(rng, part, 1);
            std::erase_if(line, [&](const Note &note) { return note.beat >= (n - 1) * 4; });
            for (Note note : last) {
                note.beat += (n - 1) * 4;
                line.push_back(note);
            }
        }
        playDrums(s, part, starts[i], n, next && chance(rng, 0.6), kind == 'C' && chance(rng, 0.7));
        playBassAndPads(s, part, starts[i], n, shift, gain);
        playMelody(s, part, line, starts[i], shift, gain);
        song.sections.push_back({kind == 'L' ? 'I' : kind, starts[i], starts[i] + n * 4 * s.beatSec});
    }
    for (float &v : s.out)
        v = std::tanh(v);
    song.audio = spread(std::move(s.out), rate, 1);

    std::ostringstream d;
    d << "seed " << seed << ' ' << form << ' ' << std::lround(bpm) << " bpm" << (s.swing > 0.5 ? " swung" : "")
      << (s.key.minor ? " minor" : " major") << (lastShift ? " last chorus +" + std::to_string(lastShift) : "")
      << (sharedChords ? " chorus on the verse's chords" : "") << (quietChorus ? " quiet chorus" : "");
    song.description = d.str();
    return song;
}
