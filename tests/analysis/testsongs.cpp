#include "testsongs.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace synth {

constexpr double twoPi = 2 * std::numbers::pi;

Timbre timbre(std::initializer_list<double> harmonics, double attack, double release, bool plucked)
{
    Timbre t{std::vector<float>(tableSize), attack, release, plucked};
    int h = 1;
    for (double a : harmonics) {
        for (int i = 0; i < tableSize; ++i)
            t.cycle[size_t(i)] += float(a * std::sin(twoPi * h * i / tableSize));
        ++h;
    }
    return t;
}

double hzOf(double midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

void addNote(std::vector<float> &out, int rate, const Timbre &t, double startSec, double seconds, double midi, double gain)
{
    const size_t from = size_t(startSec * rate);
    const size_t count = std::min(out.size() - std::min(out.size(), from), size_t((seconds + t.releaseSec) * rate));
    const double step = hzOf(midi) * tableSize / rate;
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        const double s = double(i) / rate;
        double env = std::min(1.0, s / t.attackSec);
        if (t.plucked)
            env *= std::exp(-s / t.releaseSec);
        else if (s > seconds)
            env *= std::max(0.0, 1.0 - (s - seconds) / t.releaseSec);
        out[from + i] += float(gain * env * t.cycle[size_t(phase) & (tableSize - 1)]);
        phase += step;
        if (phase >= tableSize)
            phase -= tableSize;
    }
}

void addNoiseBurst(std::vector<float> &out, int rate, double startSec, double decaySec, double gain, std::mt19937 &rng)
{
    std::uniform_real_distribution<float> noise(-1, 1);
    const size_t from = size_t(startSec * rate);
    const size_t count = std::min(out.size() - std::min(out.size(), from), size_t(decaySec * 6 * rate));
    for (size_t i = 0; i < count; ++i)
        out[from + i] += float(gain * std::exp(-double(i) / rate / decaySec)) * noise(rng);
}

void addKick(std::vector<float> &out, int rate, double startSec, double gain)
{
    const size_t from = size_t(startSec * rate);
    const size_t count = std::min(out.size() - std::min(out.size(), from), size_t(0.25 * rate));
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        const double s = double(i) / rate;
        phase += twoPi * (45 + 60 * std::exp(-s / 0.03)) / rate;
        out[from + i] += float(gain * std::exp(-s / 0.08) * std::sin(phase));
    }
}

} // namespace synth

using namespace synth;

namespace {

struct Chord {
    int root;     // MIDI note of the bass, octave 2
    bool minor;
};

// What makes each kind of section: its chords (a bar each) and sound.
struct SectionStyle {
    std::vector<Chord> chords;
    int timbre;  // index into the timbres below
    double gain;
    bool snare;
};

SectionStyle styleOf(char kind)
{
    switch (kind) {
    case 'I': return {{{50, true}, {46, false}, {41, false}, {45, false}}, 3, 0.5, false};
    case 'V': return {{{50, true}, {45, true}, {46, false}, {41, false}, {43, true}, {50, true}, {45, false}, {45, false}}, 0, 0.6, true};
    case 'C': return {{{41, false}, {48, false}, {50, true}, {46, false}, {41, false}, {48, false}, {46, false}, {48, false}}, 1, 1.0, true};
    case 'B': return {{{51, false}, {46, false}, {48, true}, {43, true}, {44, false}, {51, false}, {41, true}, {43, false}}, 2, 0.7, true};
    default: return {{{50, true}, {46, false}, {41, false}, {41, false}}, 3, 0.4, false};
    }
}

const std::vector<Timbre> &timbres()
{
    static const std::vector<Timbre> all{
        timbre({1.0, 0.3, 0.1}, 0.15, 0.3, false),                    // soft pad
        timbre({1.0, 0.5, 0.33, 0.25, 0.2, 0.16, 0.14}, 0.01, 0.1, false), // bright saw
        timbre({1.0, 0.0, 0.6, 0.0, 0.4, 0.0, 0.2}, 0.02, 0.05, false),     // hollow organ
        timbre({1.0, 0.6, 0.3, 0.2}, 0.005, 0.35, true),               // pluck
    };
    return all;
}

void addSection(std::vector<float> &out, int rate, const SongSection &sec, double beat, int shift, std::mt19937 &rng)
{
    const SectionStyle style = styleOf(sec.kind);
    const Timbre &sound = timbres()[size_t(style.timbre)];
    const Timbre &bass = timbres()[0];
    const Timbre &lead = timbres()[1];
    // The melody is the section kind's own (the same every time it comes);
    // the loudness of each note varies a little from one time to the next.
    std::mt19937 tune(uint32_t(sec.kind) * 7919u);
    std::uniform_real_distribution<double> jitter(0.85, 1.15);
    const double bar = 4 * beat;
    for (size_t b = 0; b < style.chords.size(); ++b) {
        const Chord c = style.chords[b];
        const double t = sec.startSec + double(b) * bar;
        const int root = c.root + shift;
        const int third = root + (c.minor ? 3 : 4);
        addNote(out, rate, bass, t, bar * 0.95, root - 12, 0.25 * style.gain * jitter(rng));
        if (sound.plucked) {
            const int arpeggio[4] = {root + 12, third + 12, root + 19, third + 24};
            for (int k = 0; k < 8; ++k)
                addNote(out, rate, sound, t + k * beat / 2, beat / 2, arpeggio[k % 4], 0.12 * style.gain * jitter(rng));
        } else {
            for (int note : {root + 12, third + 12, root + 19})
                addNote(out, rate, sound, t, bar * 0.95, note, 0.08 * style.gain * jitter(rng));
            for (int k = 0; k < 4; ++k) {
                const int tones[3] = {root + 24, third + 24, root + 31};
                addNote(out, rate, lead, t + k * beat, beat * 0.9, tones[tune() % 3], 0.06 * style.gain * jitter(rng));
            }
        }
        for (int k = 0; k < 4; ++k) {
            const double at = t + k * beat;
            addKick(out, rate, at, 0.35 * jitter(rng));
            addNoiseBurst(out, rate, at + beat / 2, 0.02, 0.05 * jitter(rng), rng);
            if (style.snare && k % 2 == 1)
                addNoiseBurst(out, rate, at, 0.06, 0.12 * jitter(rng), rng);
        }
    }
}

} // namespace

TestAudio spread(std::vector<float> mono, int rate, int channels)
{
    TestAudio a;
    a.rate = rate;
    a.channels = channels;
    if (channels == 1) {
        a.samples = std::move(mono);
        return a;
    }
    a.samples.resize(mono.size() * size_t(channels));
    for (size_t i = 0; i < mono.size(); ++i)
        for (int c = 0; c < channels; ++c)
            a.samples[i * size_t(channels) + size_t(c)] = mono[i] * (c == 0 ? 0.9f : 0.7f);
    return a;
}

TestSong makeSong(const SongPlan &plan)
{
    TestSong song;
    const double beat = 60.0 / plan.bpm;
    double t = 0;
    for (char kind : plan.form) {
        const double bars = kind == 'I' || kind == 'O' ? 4 : 8;
        song.sections.push_back({kind, t, t + bars * 4 * beat});
        t += bars * 4 * beat;
    }
    std::vector<float> mono(size_t((t + 1.0) * plan.rate), 0.0f);
    std::mt19937 rng(plan.seed);
    const auto lastChorus = std::find_if(song.sections.rbegin(), song.sections.rend(), [](auto &s) { return s.kind == 'C'; });
    const SongSection *shifted = lastChorus == song.sections.rend() ? nullptr : &*lastChorus;
    for (const SongSection &s : song.sections)
        addSection(mono, plan.rate, s, beat, &s == shifted ? plan.lastChorusShift : 0, rng);
    for (float &v : mono)
        v = std::tanh(v);
    song.audio = spread(std::move(mono), plan.rate, plan.channels);
    return song;
}

TestAudio makeClickTrack(double bpm, double seconds, double firstClickSec, int rate, std::vector<double> *clicks)
{
    std::vector<float> mono(size_t(seconds * rate), 0.0f);
    std::mt19937 rng(7);
    for (double t = firstClickSec; t < seconds - 0.1; t += 60.0 / bpm) {
        addNoiseBurst(mono, rate, t, 0.004, 0.8, rng);
        if (clicks)
            clicks->push_back(t);
    }
    return spread(std::move(mono), rate, 2);
}

TestAudio makeSpeechLike(double seconds, int rate, uint32_t seed)
{
    std::vector<float> mono(size_t(seconds * rate), 0.0f);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> uniform(0, 1);
    const Timbre voice = timbre({1.0, 0.7, 0.5, 0.4, 0.3, 0.2, 0.15, 0.1}, 0.02, 0.05, false);
    for (double t = 0; t < seconds - 1;) {
        const double syllable = 0.12 + 0.2 * uniform(rng);
        addNote(mono, rate, voice, t, syllable, 45 + 12 * uniform(rng), 0.2);
        addNoiseBurst(mono, rate, t + syllable, 0.03, 0.15, rng);
        t += syllable + 0.05 + (uniform(rng) < 0.15 ? 0.4 * uniform(rng) : 0.0);
    }
    return spread(std::move(mono), rate, 1);
}

TestAudio makeTone(double seconds, double hz, int rate)
{
    std::vector<float> mono(size_t(seconds * rate));
    for (size_t i = 0; i < mono.size(); ++i)
        mono[i] = float(0.5 * std::sin(twoPi * hz * double(i) / rate));
    return spread(std::move(mono), rate, 2);
}

TestAudio makeSilence(double seconds, int rate) { return spread(std::vector<float>(size_t(seconds * rate), 0.0f), rate, 2); }
