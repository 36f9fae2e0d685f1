#include "edits/cliphistory.h"

#include "base/atomicsave.h"
#include "base/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
// The copies, and the hidden part files of a copy that never finished.
const QStringList kSnapshotPatterns = {QStringLiteral("undo-*.wav"), QStringLiteral(".undo-*.part")};
} // namespace

ClipHistory::ClipHistory(const QString &folder) : folder_(folder) {}

QString ClipHistory::keyOf(const QString &clipFile)
{
    return QFileInfo(clipFile).absoluteFilePath();
}

Outcome ClipHistory::takeSnapshot(const QString &clipFile, const QString &label, Snapshot *out)
{
    if (!AppPaths::ensurePrivateDir(folder_))
        return Outcome::failure(QStringLiteral("The history folder %1 cannot be made.").arg(folder_));
    out->file = QDir(folder_).filePath(QStringLiteral("undo-%1.wav").arg(++counter_, 6, 10, QLatin1Char('0')));
    out->label = label;
    return copyFileAtomically(clipFile, out->file);
}

Outcome ClipHistory::record(const QString &clipFile, const QString &label)
{
    return apply(clipFile, label, [] { return Outcome::success(); });
}

Outcome ClipHistory::apply(const QString &clipFile, const QString &label, const std::function<Outcome()> &edit)
{
    Snapshot before;
    if (Outcome taken = takeSnapshot(clipFile, label, &before); !taken.ok())
        return taken;
    if (Outcome done = edit(); !done.ok()) {
        QFile::remove(before.file);
        return done;
    }
    Stacks &stacks = clips_[keyOf(clipFile)];
    stacks.undo.append(before);
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
    Snapshot now;
    if (Outcome taken = takeSnapshot(clipFile, from->last().label, &now); !taken.ok())
        return taken;
    if (Outcome restored = copyFileAtomically(from->last().file, clipFile); !restored) {
        QFile::remove(now.file);
        return restored;
    }
    QFile::remove(from->takeLast().file);
    (backwards ? found->redo : found->undo).append(now);
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
