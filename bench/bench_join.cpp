// Joins clips of a working folder and saves the result, as "Save The List to
// Wav" does after its dialog: bench_join ROOT OUTPUT CLIP...
// The working folder is ROOT/cache/orvane (the layout of AppPaths::underRoot).
// Prints the microseconds the join and the save took inside the process: the
// program does both in its running process, so the start-up of this driver
// (loading the Qt libraries) is not part of the export's cost.
#include "core/listjoin.h"
#include "base/paths.h"

#include <QStringList>
#include <chrono>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ROOT OUTPUT CLIP...\n", argv[0]);
        return 2;
    }
    const AppPaths paths = AppPaths::underRoot(QString::fromLocal8Bit(argv[1]));
    QStringList clips;
    for (int i = 3; i < argc; ++i)
        clips << QString::fromLocal8Bit(argv[i]);
    const auto start = std::chrono::steady_clock::now();
    const QString failure = saveJoinedClipList(clips, paths, QString::fromLocal8Bit(argv[2])).error();
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    const auto took = std::chrono::steady_clock::now() - start;
    std::printf("%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(took).count()));
    return 0;
}
