#include "edits/cliphistory.h"

#include "base/atomicsave.h"
#include "base/filecopy.h"
#include "base/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {
// The kept files, and the hidden part files of a copy that never finished.
const QStringList kSnapshotPatterns = {QStringLiteral("undo-*.wav"), QStringLiteral(".undo-*.part")};

QByteArray native(const QString &path) { return QFile::encodeName(path); }

// A second name for the file where the file system allows it, else a copy.
Outcome keepAs(const QString &file, const QString &kept)
{
    ::unlink(native(kept).constData()); // a name left by a run that ended abruptly
    return addSecondName(file, kept);
}

// Moves the kept file back over `file` in one step.
Outcome putBack(const QString &kept, const QString &file)
{
    if (std::rename(native(kept).constData(), native(file).constData()) == 0) {
        // Two names of one file (an edit that did not replace the clip):
        // the rename leaves both, and the kept one is not wanted any more.
        ::unlink(native(kept).constData());
        syncFolderOf(file);
        return Outcome::success();
    }
    if (errno != EXDEV)
        return Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(file, lastSystemError()));
    Outcome copied = copyFileAtomically(kept, file);
    if (copied)
        QFile::remove(kept);
    return copied;
}
} // namespace

ClipHistory::ClipHistory(const QString &folder) : folder_(folder) {}

QString ClipHistory::keyOf(const QString &clipFile)
{
    return QFileInfo(clipFile).absoluteFilePath();
}

Result<ClipHistory::Snapshot> ClipHistory::takeSnapshot(const QString &clipFile, const QString &label)
{
    if (!AppPaths::ensurePrivateDir(folder_))
        return Result<Snapshot>::failure(QStringLiteral("The history folder %1 cannot be made.").arg(folder_));
    const Snapshot snapshot{QDir(folder_).filePath(QStringLiteral("undo-%1.wav").arg(++counter_, 6, 10, QLatin1Char('0'))), label};
    if (Outcome kept = keepAs(clipFile, snapshot.file); !kept)
        return kept.failure();
    return snapshot;
}

Outcome ClipHistory::record(const QString &clipFile, const QString &label)
{
    return apply(clipFile, label, [] { return Outcome::success(); });
}

Outcome ClipHistory::apply(const QString &clipFile, const QString &label, const std::function<Outcome()> &edit)
{
    const Result<Snapshot> before = takeSnapshot(clipFile, label);
    if (!before)
        return before.failure();
    if (Outcome done = edit(); !done.ok()) {
        QFile::remove(before.value().file);
        return done;
    }
    Stacks &stacks = clips_[keyOf(clipFile)];
    stacks.undo.append(before.value());
    drop(stacks.redo);
    return Outcome::success();
}

Outcome ClipHistory::step(const QString &clipFile, bool backwards)
{
    const auto found = clips_.find(keyOf(clipFile));
    QList<Snapshot> *from = found == clips_.end() ? nullptr : backwards ? &found->undo : &found->redo;
    if (!from || from->isEmpty())
        return Outcome::failure(backwards ? QStringLiteral("There is nothing to undo.")
                                             : QStringLiteral("There is nothing to redo."));
    // The clip as it is now goes to the other stack, once the older state is back.
    const Result<Snapshot> now = takeSnapshot(clipFile, from->last().label);
    if (!now)
        return now.failure();
    if (Outcome restored = putBack(from->last().file, clipFile); !restored) {
        QFile::remove(now.value().file);
        return restored;
    }
    from->removeLast();
    (backwards ? found->redo : found->undo).append(now.value());
    return Outcome::success();
}

Outcome ClipHistory::undo(const QString &clipFile)
{
    return step(clipFile, true);
}

Outcome ClipHistory::redo(const QString &clipFile)
{
    return step(clipFile, false);
}

const ClipHistory::Stacks *ClipHistory::stacksOf(const QString &clipFile) const
{
    const auto found = clips_.constFind(keyOf(clipFile));
    return found == clips_.cend() ? nullptr : &*found;
}

bool ClipHistory::canUndo(const QString &clipFile) const
{
    const Stacks *stacks = stacksOf(clipFile);
    return stacks && !stacks->undo.isEmpty();
}

bool ClipHistory::canRedo(const QString &clipFile) const
{
    const Stacks *stacks = stacksOf(clipFile);
    return stacks && !stacks->redo.isEmpty();
}

QString ClipHistory::undoLabel(const QString &clipFile) const
{
    return canUndo(clipFile) ? stacksOf(clipFile)->undo.last().label : QString();
}

QString ClipHistory::redoLabel(const QString &clipFile) const
{
    return canRedo(clipFile) ? stacksOf(clipFile)->redo.last().label : QString();
}

void ClipHistory::drop(QList<Snapshot> &snapshots)
{
    for (const Snapshot &s : snapshots)
        QFile::remove(s.file);
    snapshots.clear();
}

void ClipHistory::forget(const QString &clipFile)
{
    const auto found = clips_.find(keyOf(clipFile));
    if (found == clips_.end())
        return;
    drop(found->undo);
    drop(found->redo);
    clips_.erase(found);
}

void ClipHistory::clear()
{
    clips_.clear();
    // Every copy in the folder goes, also those a run that ended abruptly left.
    QDir dir(folder_);
    for (const QString &name : dir.entryList(kSnapshotPatterns, QDir::Files | QDir::Hidden))
        dir.remove(name);
}
