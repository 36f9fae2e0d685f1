#include "editor/peakcache.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

PeakCache::PeakCache(QObject *parent, qint64 budgetBytes) : QObject(parent), budget_(budgetBytes) {}

// A computation still running finishes on its worker; its result is dropped
// with its watcher.
PeakCache::~PeakCache() = default;

PeakCache::Stamp PeakCache::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    return {info.size(), info.lastModified()};
}

PeakCache::Peaks PeakCache::request(const QString &path)
{
    const Stamp stamp = stampOf(path);
    if (stamp.size < 0)
        return nullptr;
    auto found = entries_.find(path);
    if (found != entries_.end() && found->stamp == stamp) {
        found->used = ++clock_;
        return found->peaks;
    }
    if (running_.value(path) == stamp)
        return nullptr;
    running_.insert(path, stamp);
    auto *watcher = new QFutureWatcher<ClipPeaks>(this);
    connect(watcher, &QFutureWatcher<ClipPeaks>::finished, this, [this, watcher, path, stamp] {
        watcher->deleteLater();
        if (running_.value(path) == stamp)
            running_.remove(path);
        // A file changed while it was read is read again on the next request.
        if (stampOf(path) == stamp)
            store(path, stamp, std::make_shared<const ClipPeaks>(watcher->result()));
        emit ready(path);
    });
    watcher->setFuture(QtConcurrent::run(computeClipPeaks, path));
    return nullptr;
}

void PeakCache::store(const QString &path, const Stamp &stamp, Peaks peaks)
{
    entries_.insert(path, {stamp, std::move(peaks), ++clock_});
    while (bytes() > budget_ && entries_.size() > 1) {
        auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                       [](const Entry &a, const Entry &b) { return a.used < b.used; });
        entries_.erase(oldest);
    }
}

qint64 PeakCache::bytes() const
{
    qint64 sum = 0;
    for (const Entry &e : entries_)
        sum += e.peaks->bytes();
    return sum;
}
