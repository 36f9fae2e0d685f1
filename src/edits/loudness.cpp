#include "edits/loudness.h"

#include "edits/clipframes.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <ebur128.h>
#include <memory>

namespace {

struct MeterDeleter {
    void operator()(ebur128_state *st) const { ebur128_destroy(&st); }
};
using Meter = std::unique_ptr<ebur128_state, MeterDeleter>;

Result<LoudnessMeasurement> failed(const QString &why) { return Result<LoudnessMeasurement>::failure(why); }

// The meter's result for a clip it has taken every frame of.
Result<LoudnessMeasurement> readMeter(ebur128_state *meter, const WavInfo &info, const QString &clipFile)
{
    LoudnessMeasurement m;
    if (ebur128_loudness_global(meter, &m.integratedLufs) != EBUR128_SUCCESS)
        return failed(QStringLiteral("The loudness of the clip %1 could not be measured.").arg(clipFile));
    if (!std::isfinite(m.integratedLufs))
        return failed(QStringLiteral("The clip %1 is silent; its loudness cannot be set.").arg(clipFile));
    double peak = 0;
    for (unsigned c = 0; c < info.channels; ++c) {
        double channelPeak = 0;
        if (ebur128_true_peak(meter, c, &channelPeak) != EBUR128_SUCCESS)
            return failed(QStringLiteral("The peak of the clip %1 could not be measured.").arg(clipFile));
        peak = std::max(peak, channelPeak);
    }
    m.truePeakDbtp = 20 * std::log10(peak);
    return m;
}

} // namespace

Result<LoudnessMeasurement> measureLoudness(const QString &clipFile)
{
    const Result<WavInfo> read = readClipInfo(clipFile);
    if (!read)
        return failed(read.error());
    const WavInfo &info = read.value();
    if (info.frames() < qint64(std::ceil(kShortestMeasurableSeconds * info.sampleRate)))
        return failed(QStringLiteral("The clip %1 is too short to measure its loudness: it needs at least %2 s.")
                          .arg(clipFile)
                          .arg(kShortestMeasurableSeconds));
    Meter meter(ebur128_init(info.channels, info.sampleRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK));
    QFile file(clipFile);
    if (!meter || !file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("The loudness of the clip %1 could not be measured.").arg(clipFile));
    const Outcome walked = visitFrames(file, info, 0, info.frames(), [&](float *samples, qint64, qint64 frames) {
        ebur128_add_frames_float(meter.get(), samples, size_t(frames));
    });
    if (!walked.ok())
        return failed(QStringLiteral("The clip %1 cannot be read: %2").arg(clipFile, walked.error()));
    return readMeter(meter.get(), info, clipFile);
}

double normalizingGainDb(const LoudnessMeasurement &m)
{
    return std::min(kTargetLoudnessLufs - m.integratedLufs, kTruePeakCeilingDbtp - kTruePeakMarginDb - m.truePeakDbtp);
}

Outcome normalizeLoudness(const QString &clipFile, double *appliedGainDb)
{
    const Result<LoudnessMeasurement> measured = measureLoudness(clipFile);
    if (!measured)
        return measured.failure();
    const LoudnessMeasurement &m = measured.value();
    const Result<WavInfo> read = readClipInfo(clipFile);
    if (!read)
        return read.failure();
    const WavInfo &info = read.value();
    const double gainDb = normalizingGainDb(m);
    const float gain = float(std::pow(10.0, gainDb / 20));
    const Outcome result = rewriteFrames(clipFile, {{0, info.frames()}}, [&](float *samples, qint64, qint64 frames) {
        std::for_each(samples, samples + frames * info.channels, [gain](float &s) { s *= gain; });
    });
    if (result.ok() && appliedGainDb)
        *appliedGainDb = gainDb;
    return result;
}
