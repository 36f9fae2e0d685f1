#pragma once
// The undo history of the clip files for one run of the program.
//
// Before every edit of a clip (the cut, a fade, the loudness) the clip file
// is kept in the history folder; undo puts it back and keeps the edited file
// for redo, so both restore the clip byte for byte. Each clip has its own
// two stacks, found by the clip file's path: closing a clip and opening it
// again finds its history again. The kept files are named by a counter in
// the given (private) folder; clear() deletes them.
//
// Nothing is copied where the history folder and the clip share a file
// system: the clip file gets a second name in the history, and the edit
// replaces the clip file with a new one (renamed over it), which leaves the
// kept name holding the old bytes; undo and redo rename the kept file back.
// So an edit must replace the clip file, never write into it. Across file
// systems the clip is copied instead.
#include "base/result.h"

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

class ClipHistory {
public:
    explicit ClipHistory(const QString &folder);

    // Keeps the clip file in the history as the state before an edit called
    // `label` (e.g. "Fade"); the clip's redo steps go.
    Outcome record(const QString &clipFile, const QString &label);
    // record() and then `edit`, as one step: when the edit fails the history
    // stays as it was (and the edit is to leave the clip as it was).
    Outcome apply(const QString &clipFile, const QString &label, const std::function<Outcome()> &edit);

    // Puts the clip file back as it was before its last edit / after the
    // last undone one. On failure the clip and the history stay as they were.
    Outcome undo(const QString &clipFile);
    Outcome redo(const QString &clipFile);

    bool canUndo(const QString &clipFile) const;
    bool canRedo(const QString &clipFile) const;
    // The label of the edit undo / redo would take back or do again; empty
    // when there is none.
    QString undoLabel(const QString &clipFile) const;
    QString redoLabel(const QString &clipFile) const;

    // Drops one clip's history (the clip left the list).
    void forget(const QString &clipFile);
    // Drops every clip's history and deletes its copies (at shutdown).
    void clear();

private:
    struct Snapshot {
        QString file;
        QString label;
    };
    struct Stacks {
        QList<Snapshot> undo;
        QList<Snapshot> redo;
    };

    static QString keyOf(const QString &clipFile);
    const Stacks *stacksOf(const QString &clipFile) const;
    Result<Snapshot> takeSnapshot(const QString &clipFile, const QString &label);
    Outcome step(const QString &clipFile, bool backwards);
    static void drop(QList<Snapshot> &snapshots);

    QString folder_;
    quint64 counter_ = 0;
    QHash<QString, Stacks> clips_;
};
