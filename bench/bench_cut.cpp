// bench_cut SONG.wav IN_S OUT_S: imports the song as a clip, opens it for
// trimming, moves the slider to IN_S and takes Mark In, to OUT_S and takes
// Mark Out, then clicks Done. Prints the milliseconds of the Done click (the
// cut of the clip file) on stdout; exit 1 when the cut clip is not the
// marked stretch.
#include "base/wavformat.h"
#include "benchwindow.h"
#include "editor/clipeditor.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "core/trimsession.h"
#include "core/workspace.h"

#include <QApplication>
#include <QListWidget>
#include <QSlider>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    requireArguments(argc, argv, 3, "SONG.wav IN_S OUT_S");
    BenchWindow bench;
    Frmmain &form = bench.form();
    ClipEditorPanel &panel = *form.Framewav();
    bench.addSong(pathArgument(argv[1]));
    if (panel.List1->count() != 1) {
        std::fprintf(stderr, "the song was not imported: %s\n", qPrintable(bench.messages()));
        return 1;
    }
    panel.List1->setCurrentRow(0);
    form.clipEditor()->trimmer().List1_DblClick();
    panel.SliderEdit->setValue(std::atoi(argv[2]));
    bench.click("CmdMarkin");
    panel.SliderEdit->setValue(std::atoi(argv[3]));
    bench.click("CmdMarkOut");
    const TrimSession &trim = form.workspace().trim();
    const int markIn = trim.markIn().value_or(-1), markOut = trim.markOut().value_or(-1);

    QElapsedTimer t;
    t.start();
    bench.click("CmdEditDone");
    const double ms = elapsedMs(t);

    const WavInfo cut = readWavInfo(form.paths().clipFile(panel.List1->item(0)->text()));
    const qint64 wanted = qint64(markOut - markIn) * cut.sampleRate / 1000;
    if (!bench.dialogs().messages.isEmpty() || !cut.ok || std::llabs(cut.frames() - wanted) > cut.sampleRate / 500) {
        std::fprintf(stderr, "the cut [%d, %d) ms gave %lld frames: %s\n", markIn, markOut,
                     static_cast<long long>(cut.frames()), qPrintable(bench.messages()));
        return 1;
    }
    std::printf("%.1f\n", ms);
    return 0;
}
