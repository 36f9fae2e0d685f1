// bench_import SONG.mp3 [TICK_MS]: imports the song through Add New, as the
// user does: the decode runs under the busy window. TICK_MS sets the busy
// window timer's interval (its own when not given), so that a decode shorter
// than one interval is still sampled by ticks. Prints on stdout, space-separated:
//   import ms | worst lateness of the busy window's timer ms | ticks |
//   peak RSS KiB | RSS at the first tick KiB | largest RSS at a tick KiB
// The lateness of a tick is how much later than one interval after the
// previous tick (or the click) it came; a tick still due when the decode
// ended counts as late by the time it was overdue.
#include "base/wavformat.h"
#include "benchwindow.h"
#include "editor/clipeditorpanel.h"
#include "widgets/frmload.h"

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    requireArguments(argc, argv, 1, "SONG.mp3 [TICK_MS]");
    BenchWindow bench;
    Frmmain &form = bench.form();
    QTimer *animation = form.busyWindow()->Timer1();
    if (argc > 2)
        animation->setInterval(std::atoi(argv[2]));
    QElapsedTimer t;
    std::vector<double> ticks;
    long firstRss = 0, largestRss = 0;
    QObject::connect(animation, &QTimer::timeout, &app, [&] {
        ticks.push_back(elapsedMs(t));
        largestRss = std::max(largestRss, currentRssKiB());
        if (ticks.size() == 1)
            firstRss = largestRss;
    });

    const QString song = pathArgument(argv[1]);
    animation->start(); // the ticks are due one interval after the click
    t.start();
    bench.addSong(song);
    const double ms = elapsedMs(t);

    QListWidget *list = form.Framewav()->List1;
    const WavInfo clip = list->count() == 1 ? readWavInfo(form.paths().clipFile(list->item(0)->text())) : WavInfo();
    if (!clip.ok || clip.frames() == 0 || !bench.dialogs().messages.isEmpty()) {
        std::fprintf(stderr, "no clip was made: %s\n", qPrintable(bench.messages()));
        return 1;
    }
    double worst = 0, previous = 0;
    for (double tick : ticks) {
        worst = std::max(worst, tick - previous - animation->interval());
        previous = tick;
    }
    worst = std::max(worst, ms - previous - animation->interval());
    std::printf("%.1f %.1f %zu %ld %ld %ld\n", ms, worst, ticks.size(), peakRssKiB(), firstRss, largestRss);
    return 0;
}
