// bench_silence CLIP.wav: finds the clip's sound between its silent lead-in
// and tail the way Trim Silence does. Prints the milliseconds of the search
// and the first and last frame of the sound; exit 1 on failure.
#include "edits/silence.h"

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
    const Result<FrameRange> sound = audibleFrames(QString::fromLocal8Bit(argv[1]));
    const double ms = t.nsecsElapsed() / 1e6;
    if (!sound) {
        std::fprintf(stderr, "%s\n", qPrintable(sound.error()));
        return 1;
    }
    std::printf("%.1f %lld %lld\n", ms, static_cast<long long>(sound.value().first),
                static_cast<long long>(sound.value().first + sound.value().count - 1));
    return 0;
}
