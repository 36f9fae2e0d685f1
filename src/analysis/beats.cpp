#include "analysis/beats.h"
#include "analysis/aubiolib.h"
#include "analysis/fftwplanlock.h"

#include <algorithm>
#include <cmath>

namespace {

// A window of about 23 ms and a hop of about 6 ms at the analysis rate:
// the hop bounds how finely a beat is placed.
constexpr uint_t windowSize = 512;
constexpr uint_t hopSize = 128;
constexpr double silentPower = 1e-6; // mean square below -60 dBFS

double medianGap(const std::vector<double> &beats)
{
    std::vector<double> gaps;
    for (size_t i = 1; i < beats.size(); ++i)
        gaps.push_back(beats[i] - beats[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + ptrdiff_t(gaps.size() / 2), gaps.end());
    return gaps[gaps.size() / 2];
}

// The tracker now and then lets a beat or two of a steady pulse pass
// unmarked; a gap of a whole number of the usual beat lengths gets the
// beats it skipped, evenly spaced.
void fillSkippedBeats(std::vector<double> &beats, double period)
{
    std::vector<double> filled{beats.front()};
    for (size_t i = 1; i < beats.size(); ++i) {
        const double gap = beats[i] - beats[i - 1];
        const double skipped = std::round(gap / period);
        if (skipped >= 2 && skipped <= 8 && std::abs(gap - skipped * period) <= 0.1 * period)
            for (int k = 1; k < int(skipped); ++k)
                filled.push_back(beats[i - 1] + gap * k / skipped);
        filled.push_back(beats[i]);
    }
    beats.swap(filled);
}

bool soundsAround(const MonoAudio &audio, double t, double span)
{
    const size_t from = size_t(std::max(0.0, t - span / 2) * audio.rate);
    const size_t to = std::min(audio.samples.size(), size_t((t + span / 2) * audio.rate));
    double squares = 0;
    for (size_t i = from; i < to; ++i)
        squares += double(audio.samples[i]) * audio.samples[i];
    return to > from && squares / double(to - from) >= silentPower;
}

// The tracker confirms a beat only seconds after it sounds, so the last
// seconds get none: the pulse of the last beats (a straight line fitted
// through them) goes on to the end, or to where the sound falls silent.
void continueToTheEnd(std::vector<double> &beats, const MonoAudio &audio)
{
    const int count = int(std::min<size_t>(beats.size(), 16));
    const double *last = beats.data() + beats.size() - size_t(count);
    double meanK = (count - 1) / 2.0, meanT = 0, covariance = 0, variance = 0;
    for (int k = 0; k < count; ++k)
        meanT += last[k] / count;
    for (int k = 0; k < count; ++k)
        covariance += (k - meanK) * (last[k] - meanT), variance += (k - meanK) * (k - meanK);
    const double period = covariance / variance;
    if (period <= 0)
        return;
    for (int k = count;; ++k) {
        const double t = meanT + (k - meanK) * period;
        if (t >= audio.seconds() || !soundsAround(audio, t, period))
            break;
        if (t > beats.back() + period / 2)
            beats.push_back(t);
    }
}

} // namespace

std::vector<double> beatsOf(const MonoAudio &audio, const std::atomic<bool> *cancel)
{
    std::vector<double> beats;
    const AubioTempo *aubio = aubioTempo();
    if (!aubio || audio.samples.size() < windowSize || audio.rate <= 0)
        return beats;
    aubio_tempo_t *tempo = nullptr;
    {
        std::lock_guard<std::mutex> planning(fftwPlanLock());
        tempo = aubio->newTempo("default", windowSize, hopSize, uint_t(audio.rate));
    }
    if (!tempo)
        return beats;
    fvec_t *in = aubio->newVector(hopSize);
    fvec_t *out = aubio->newVector(2);
    const size_t hops = (audio.samples.size() + hopSize - 1) / hopSize;
    for (size_t h = 0; h < hops; ++h) {
        if ((h & 1023) == 0 && isCancelled(cancel)) {
            beats.clear();
            break;
        }
        const size_t from = std::min(h * hopSize, audio.samples.size());
        const size_t count = std::min<size_t>(hopSize, audio.samples.size() - from);
        std::copy_n(audio.samples.data() + from, count, in->data);
        std::fill(in->data + count, in->data + hopSize, 0.0f);
        aubio->tempoDo(tempo, in, out);
        if (out->data[0] != 0) {
            const double t = aubio->lastSeconds(tempo);
            if (t >= 0 && t < audio.seconds() && (beats.empty() || t > beats.back()))
                beats.push_back(t);
        }
    }
    aubio->deleteVector(out);
    aubio->deleteVector(in);
    {
        std::lock_guard<std::mutex> planning(fftwPlanLock());
        aubio->deleteTempo(tempo);
    }
    if (beats.size() >= 4) {
        const double period = medianGap(beats);
        fillSkippedBeats(beats, period);
        continueToTheEnd(beats, audio);
    }
    return beats;
}

Result<std::vector<double>> findBeats(const PcmSource &source, const std::atomic<bool> *cancel)
{
    return withinMemory<std::vector<double>>([&]() -> Result<std::vector<double>> {
        const Result<MonoAudio> audio = readMono(source, analysisRate, cancel);
        if (!audio)
            return audio.failure();
        if (!aubioTempo())
            return Failure(QString::fromUtf8(aubioLoadError()));
        std::vector<double> beats = beatsOf(audio.value(), cancel);
        if (isCancelled(cancel))
            return analysisStopped();
        return beats;
    });
}
