#pragma once
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

// Audio made by the tests, with the structure known: seeded synthesis of
// chord progressions, a melody, a bass line and a drum pulse.
struct TestAudio {
    std::vector<float> samples; // interleaved
    int channels = 1;
    int rate = 22050;

    int64_t frames() const { return int64_t(samples.size()) / channels; }
    double seconds() const { return double(frames()) / rate; }
};

struct SongSection {
    char kind;  // I intro, V verse, P pre-chorus, C chorus, B bridge, S solo, O outro
    double startSec;
    double endSec;
};

struct SongPlan {
    std::string form;       // e.g. "IVCVCBCO"
    double bpm = 120;
    int lastChorusShift = 0; // semitones
    int rate = 22050;
    int channels = 1;
    uint32_t seed = 1;
};

struct TestSong {
    TestAudio audio;
    std::vector<SongSection> sections;
    std::string description; // what the song is made of, for messages
};

// Intro and outro last four bars, the other sections eight, a chord a bar;
// each kind of section has its own progression, melody and timbre, the
// chorus the loudest.
TestSong makeSong(const SongPlan &plan);

// A click every beat (the first at `firstClickSec`), and their times.
TestAudio makeClickTrack(double bpm, double seconds, double firstClickSec, int rate, std::vector<double> *clicks);
// Syllables of voiced sound at random pitches and noise, with pauses.
TestAudio makeSpeechLike(double seconds, int rate, uint32_t seed);
TestAudio makeTone(double seconds, double hz, int rate);
TestAudio makeSilence(double seconds, int rate);

// The instruments the songs are played with, for other song generators.
namespace synth {

constexpr int tableSize = 4096;

// One cycle of a sound made of harmonics of the given amplitudes.
struct Timbre {
    std::vector<float> cycle;
    double attackSec, releaseSec; // a pluck has no sustain: release from the attack on
    bool plucked;
};

Timbre timbre(std::initializer_list<double> harmonics, double attack, double release, bool plucked);
double hzOf(double midi);
// Adds a note of `t` to the mono buffer `out`.
void addNote(std::vector<float> &out, int rate, const Timbre &t, double startSec, double seconds, double midi, double gain);
void addNoiseBurst(std::vector<float> &out, int rate, double startSec, double decaySec, double gain, std::mt19937 &rng);
void addKick(std::vector<float> &out, int rate, double startSec, double gain);

} // namespace synth

// The mono buffer as `channels` channels, a little quieter on the right.
TestAudio spread(std::vector<float> mono, int rate, int channels);
