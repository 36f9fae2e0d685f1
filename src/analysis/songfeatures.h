#pragma once
#include "analysis/monoaudio.h"

#include <atomic>
#include <vector>

// What the analysis knows of each beat of a song: its harmony, its melody
// and its sound, each a unit vector (all zero where the beat is silent or
// has no pitch), and its loudness.
struct BeatFeatures {
    static constexpr int classes = 12; // pitch classes, C first
    static constexpr int bands = 16;   // spectral bands, low first
    // Per beat: the pitch classes of the low register (bass and chords),
    // those of the high register (the melody), then the band energies.
    static constexpr int lowAt = 0, highAt = classes, bandsAt = 2 * classes, dims = 2 * classes + bands;

    int beats = 0;
    std::vector<float> values; // `dims` per beat
    std::vector<float> loudnessDb; // of full scale

    const float *beat(int i) const { return values.data() + size_t(i) * dims; }
};

// The spectrum of a song: FFTW power spectra of about 0.37 s windows every
// 93 ms, each giving its pitch amplitudes (low and high register) and band
// energies in the places of a beat's vector (`dims` a window), and its mean
// square. Empty when cancelled.
struct Spectrogram {
    int windows = 0;
    double windowRate = 0; // window w is centred at w / windowRate seconds
    std::vector<float> values; // BeatFeatures::dims a window, then the mean square: dims + 1
};

Spectrogram spectrogramOf(const MonoAudio &audio, const std::atomic<bool> *cancel);

// The windows summed up between beats: a beat's pitch classes (less their
// mean, so that what noise and drums spread over all classes drops out)
// and its log band energies (as standard scores over the song). `beats`
// must be in order; the last beat lasts as long as the one before it.
BeatFeatures beatFeaturesOf(const Spectrogram &spectrogram, const std::vector<double> &beats);

// How strongly notes and hits start at each moment: the rise of the log
// amplitude spectrum from one window to the next (about 46 ms windows
// every 11.6 ms), summed over the bins, less its mean over about a second
// and in units of its spread. Empty when cancelled.
struct OnsetStrength {
    double rate = 0; // values a second
    std::vector<float> values;
};

OnsetStrength onsetStrengthOf(const MonoAudio &audio, const std::atomic<bool> *cancel);
