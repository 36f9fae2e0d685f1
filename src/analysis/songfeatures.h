#pragma once
#include "analysis/monoaudio.h"

#include <atomic>
#include <vector>

// One vector of `dims` values per frame, stored dimension by dimension so
// that the run of one dimension over the frames is contiguous.
struct FrameVectors {
    int dims = 0;
    int frames = 0;
    std::vector<float> values;

    const float *row(int dim) const { return values.data() + size_t(dim) * size_t(frames); }
    float *row(int dim) { return values.data() + size_t(dim) * size_t(frames); }
};

// What the analysis knows of a song, a few frames per second: frame f is
// centred at f / frameRate seconds.
struct SongFeatures {
    static constexpr int classes = 12; // pitch classes, C first
    static constexpr int bands = 16;   // spectral bands, low first

    int frames = 0;
    double frameRate = 0;
    // The harmony: each frame's pitch-class profile less its mean, of unit
    // length (all zero where silent or without pitch).
    FrameVectors chroma;
    // The sound's colour and level: the log energy of each band, as
    // standard scores over the song, each frame of unit length.
    FrameVectors timbre;
    std::vector<float> loudnessDb; // of full scale

    double secondsOf(int frame) const { return frame / frameRate; }
};

// Features from FFTW power spectra of about 0.37 s windows every 93 ms:
// each window's pitch-class energies shared out so that they sum to one (a
// soft and a loud passage of the same chords look alike), and its band
// energies; both smoothed over about a second and thinned to at most
// `maxFrames` frames. Empty when cancelled.
SongFeatures featuresOf(const MonoAudio &audio, int maxFrames, const std::atomic<bool> *cancel);
