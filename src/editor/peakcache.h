#pragma once
#include "editor/clippeaks.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <memory>

// The peaks of clip files, computed on a worker thread and kept per file
// until the file changes. The oldest are dropped when they take more than
// the budget.
class PeakCache : public QObject {
    Q_OBJECT
public:
    explicit PeakCache(QObject *parent = nullptr, qint64 budgetBytes = 64 << 20);
    ~PeakCache() override;

    using Peaks = std::shared_ptr<const ClipPeaks>;
    // The peaks of the file as it is now; null while they are computed
    // (ready() follows) or when the file is gone.
    Peaks request(const QString &path);
    // Memory the kept peaks take.
    qint64 bytes() const;

signals:
    void ready(const QString &path);

private:
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const Stamp &) const = default;
    };
    struct Entry {
        Stamp stamp;
        Peaks peaks;
        quint64 used = 0;
    };
    static Stamp stampOf(const QString &path);
    void store(const QString &path, const Stamp &stamp, Peaks peaks);

    QHash<QString, Entry> entries_;
    QHash<QString, Stamp> running_;
    qint64 budget_;
    quint64 clock_ = 0;
};
