// bench_loudness CLIP.wav: measures the clip's integrated loudness and true
// peak the way the loudness edit does. Prints the milliseconds of the
// measurement, the loudness (LUFS) and the true peak (dBTP); exit 1 on failure.
#include "edits/loudness.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CLIP.wav\n", argv[0]);
        return 2;
    }
    QElapsedTimer t;
    t.start();
    const Result<LoudnessMeasurement> m = measureLoudness(QString::fromLocal8Bit(argv[1]));
    const double ms = t.nsecsElapsed() / 1e6;
    if (!m) {
        std::fprintf(stderr, "%s\n", qPrintable(m.error()));
        return 1;
    }
    std::printf("%.1f %.2f %.2f\n", ms, m.value().integratedLufs, m.value().truePeakDbtp);
    return 0;
}
