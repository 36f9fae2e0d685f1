// bench_encode IN.wav OUT.mp3 [KBPS]: one encoding through Mp3Enc, the way
// the main window runs it (start, event loop, Finished). Prints the
// milliseconds from the start call to Finished on stdout; exit 1 on failure.
#include "encode/mp3enc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s IN.wav OUT.mp3 [KBPS]\n", argv[0]);
        return 2;
    }
    Mp3Enc enc;
    enc.setBitRate(argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral("128"));
    QElapsedTimer t;
    int rc = 0;
    QObject::connect(&enc, &Mp3Enc::Finished, &app, [&] {
        const double ms = t.nsecsElapsed() / 1e6;
        if (!enc.lastError().isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(enc.lastError()));
            rc = 1;
        } else {
            std::printf("%.1f\n", ms);
        }
        app.quit();
    });
    t.start();
    if (enc.StartEncoding(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])) < 0)
        rc = 1;
    app.exec();
    return rc;
}
