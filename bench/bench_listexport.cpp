// bench_listexport OUT.mp3 CLIP.wav...: puts the clips in the working folder
// and on the list, clicks "Save The List to MP3" answering the dialog with
// OUT.mp3, and runs the event loop until the encoder's Finished has been
// handled. Prints the milliseconds from the click to then on stdout; exit 1
// when the finished handler did not say "Finish Save".
#include "core/workspace.h"
#include "core/cliplist.h"
#include "benchwindow.h"
#include "editor/clipeditorpanel.h"

#include "encode/mp3enc.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    requireArguments(argc, argv, 2, "OUT.mp3 CLIP.wav...");
    BenchWindow bench;
    for (int i = 2; i < argc; ++i) {
        const QString clip = pathArgument(argv[i]);
        const QString name = QFileInfo(clip).completeBaseName();
        if (!QFile::copy(clip, bench.paths().clipFile(name))) {
            std::fprintf(stderr, "could not copy %s\n", argv[i]);
            return 1;
        }
        bench.form().workspace().clips().append(ClipEntry{name, {}});
    }
    bench.dialogs().files.push_back(pathArgument(argv[1]));

    // Connected after the program's own finished handler, so it runs after it.
    QEventLoop loop;
    QObject::connect(bench.form().Mp3Enc1(), &Mp3Enc::Finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    QElapsedTimer t;
    t.start();
    bench.click("CmdSaveList");
    if (bench.dialogs().messages.isEmpty())
        loop.exec();
    const double ms = elapsedMs(t);

    if (bench.dialogs().texts() != QStringList{QStringLiteral("Finish Save")}) {
        std::fprintf(stderr, "the export did not finish: %s\n", qPrintable(bench.messages()));
        return 1;
    }
    std::printf("%.1f\n", ms);
    return 0;
}
