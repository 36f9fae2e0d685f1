#pragma once
#include <cstdint>
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
    char kind;  // I intro, V verse, C chorus, B bridge, O outro
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
