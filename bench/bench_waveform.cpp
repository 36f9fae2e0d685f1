// bench_waveform CLIP.wav: shows the clip's waveform the way the trimming
// frame does (peaks from the cache, computed on its worker) and prints, on
// one line each:
//   first draw ms     from asking for the clip to the first paint of its peaks
//   first draw CPU ms the processor time the process spent on it (all threads),
//                     which a busy machine does not inflate
//   cached draw ms    the same for a second view, the peaks already cached
//   cache bytes       memory the cached peaks take
//   audio minutes     the clip's length
//   zoom draws        for each zoom (whole clip, then 4x, 16x, ... down to the
//                     closest the view allows): "factor:ms" of the slowest of
//                     a few paints at that zoom, at the clip's start, middle
//                     and end, in one line
//   slowest zoom ms   the slowest of those, plus the first draw's wait for
//                     the peaks: the first draw at the worst zoom
// Exit 1 when the clip cannot be read.
#include "editor/peakcache.h"
#include "editor/waveformview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <string>
#include <cstdio>
#include <ctime>

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Milliseconds from the request until the view has painted the peaks.
double timeToDraw(PeakCache &cache, const QString &clip, bool &failed)
{
    WaveformView view;
    view.resize(336, 64);
    view.show();
    QElapsedTimer t;
    double ms = -1;
    QObject::connect(&view, &WaveformView::peaksDrawn, [&] {
        if (ms < 0)
            ms = t.nsecsElapsed() / 1e6;
    });
    auto ready = QObject::connect(&cache, &PeakCache::ready, [&](const QString &path) {
        PeakCache::Peaks peaks = cache.request(path);
        failed = !peaks || !peaks->ok;
        view.setClip(peaks ? int(peaks->frames * 1000 / peaks->sampleRate) : 0, peaks);
    });
    t.start();
    if (PeakCache::Peaks peaks = cache.request(clip))
        view.setClip(int(peaks->frames * 1000 / peaks->sampleRate), peaks);
    while (ms < 0 && !failed)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QObject::disconnect(ready);
    return ms;
}

// Milliseconds of the slowest paint of the clip at each zoom, the view
// scrolled to the start, the middle and the end.
std::vector<std::pair<double, double>> drawsAtEachZoom(const PeakCache::Peaks &peaks)
{
    WaveformView view;
    view.resize(336, 64);
    view.setClip(int(peaks->frames * 1000 / peaks->sampleRate), peaks);
    QPixmap target(view.size());
    std::vector<std::pair<double, double>> out;
    for (double factor = 1;; factor *= 4) {
        view.showWhole();
        view.zoomBy(factor, 0);
        double slowest = 0;
        for (double at : {0.0, 0.5, 1.0}) {
            view.scrollTo(at * peaks->frames * 1000.0 / peaks->sampleRate);
            QElapsedTimer t;
            t.start();
            view.render(&target);
            slowest = std::max(slowest, t.nsecsElapsed() / 1e6);
        }
        const double reached = peaks->frames * 1000.0 / peaks->sampleRate / view.viewSpan();
        out.emplace_back(reached, slowest);
        if (reached < factor * 0.99)
            break;
    }
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CLIP.wav\n", argv[0]);
        return 2;
    }
    const QString clip = QString::fromLocal8Bit(argv[1]);
    PeakCache cache;
    bool failed = false;
    const double cpuBefore = cpuMs();
    const double first = timeToDraw(cache, clip, failed);
    const double firstCpu = cpuMs() - cpuBefore;
    if (failed) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const double cached = timeToDraw(cache, clip, failed);
    PeakCache::Peaks peaks = cache.request(clip);
    std::printf("%.1f\n%.1f\n%.1f\n%lld\n%.3f\n", first, firstCpu, cached, static_cast<long long>(cache.bytes()),
                double(peaks->frames) / peaks->sampleRate / 60.0);
    const auto draws = drawsAtEachZoom(peaks);
    double slowest = 0;
    std::string zooms;
    for (const auto &[factor, ms] : draws) {
        char one[48];
        std::snprintf(one, sizeof one, "%s%.0fx:%.2f", zooms.empty() ? "" : " ", factor, ms);
        zooms += one;
        slowest = std::max(slowest, ms);
    }
    std::printf("%s\n%.1f\n", zooms.c_str(), first + slowest - draws.front().second);
    return 0;
}
