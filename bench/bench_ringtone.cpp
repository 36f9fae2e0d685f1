// bench_ringtone IN.wav OUT FORMAT: one ringtone save of the joined WAV
// (FORMAT: m4r, ogg, opus, flac, mp3 or wav), as the program runs it.
// Prints the milliseconds of the save on stdout; exit 1 on failure.
#include "encode/encodejob.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s IN.wav OUT FORMAT\n", argv[0]);
        return 2;
    }
    EncodeJob job;
    job.wavPath = QString::fromLocal8Bit(argv[1]);
    job.outPath = QString::fromLocal8Bit(argv[2]);
    job.format = formatForName(QStringLiteral("x.") + QString::fromLocal8Bit(argv[3]), RingtoneFormat::M4r).format;
    QElapsedTimer t;
    t.start();
    const QString error = encodeRingtone(job, [](double) { return true; }).error();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%.1f\n", t.nsecsElapsed() / 1e6);
    return 0;
}
