// bench_listexport OUT.mp3 CLIP.wav...: puts the clips in the working folder
// and on the list, clicks "Save The List to MP3" answering the dialog with
// OUT.mp3, and waits for the finished handler's message. Prints the
// milliseconds from the click to that message on stdout; exit 1 when the
// message is not "Finish Save".
#include "benchwindow.h"
#include "editor/clipeditorpanel.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT.mp3 CLIP.wav...\n", argv[0]);
        return 2;
    }
    BenchWindow bench;
    for (int i = 2; i < argc; ++i) {
        const QString clip = QString::fromLocal8Bit(argv[i]);
        const QString name = QFileInfo(clip).completeBaseName();
        if (!QFile::copy(clip, bench.paths().clipFile(name))) {
            std::fprintf(stderr, "could not copy %s\n", argv[i]);
            return 1;
        }
        bench.form().Framewav()->List1->addItem(name);
    }
    bench.dialogs().files.push_back(QString::fromLocal8Bit(argv[1]));

    QElapsedTimer t;
    t.start();
    bench.click("CmdSaveList");
    const bool finished = bench.waitForMessage(600000);
    const double ms = elapsedMs(t);

    if (!finished || bench.dialogs().messages != QStringList{QStringLiteral("Finish Save")}) {
        std::fprintf(stderr, "the export did not finish: %s\n", qPrintable(bench.dialogs().messages.join('|')));
        return 1;
    }
    std::printf("%.1f\n", ms);
    return 0;
}
