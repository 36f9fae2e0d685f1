#pragma once
#include "base/paths.h"
#include "base/result.h"
#include "core/fadesettings.h"
#include "edits/cliphistory.h"

#include <QObject>
#include <QString>
#include <optional>

class ClipEntries;

// The clip open for trimming: what Done cuts, whatever the list's selection
// shows by then (the list player moves the selection on its own).
struct TrimmedClip {
    QString name;   // the entry's name, unique in the list
    int lengthMs;   // its length as the player reported it at opening
};

// One of the two marks.
enum class MarkSide { In, Out };

// Whether a clip is being trimmed: Edit from its opening to its cut, Play
// after the cut; None before the first opening of the run.
enum class EditMode { None, Edit, Play };

// The trimming of one clip: the clip that is open, its two marks, the cut
// and the other edits of the clip (fades, loudness) with their undo history.
// The Audio Edit panel's trimming frame is a view of it.
//
// Every edit (Done's cut with its fades, the loudness) is one step of the
// clip's history, kept by the clip file's path in the private scratch folder
// for the rest of the run: closing the clip and opening it again finds it
// again. A clip that leaves the list, or a new clip that takes a listed
// name, starts with no history.
class TrimSession : public QObject {
    Q_OBJECT
public:
    TrimSession(const ClipEntries &clips, const AppPaths &paths, QObject *parent = nullptr);

    const std::optional<TrimmedClip> &clip() const { return clip_; }
    std::optional<int> markIn() const { return markIn_; }
    std::optional<int> markOut() const { return markOut_; }
    EditMode mode() const { return mode_; }

    // Opens the clip: Mark In at 0, Mark Out at its length, mode Edit.
    // A null name (nothing selected) opens nothing but still resets the marks.
    void open(const QString &name, int lengthMs);
    // A selection in the list ends the session: the marks are unset and no
    // clip is open, so Done cannot cut one entry with another's marks.
    void end();
    void setMarkIn(int ms);
    void setMarkOut(int ms);
    void setMarks(int markIn, int markOut);
    // The mark set or moved last (Mark In after an opening): the one a nudge moves.
    MarkSide lastMark() const { return lastMark_; }
    // Where mark `which` may go on its way to `ms`: within the open clip and
    // at least a millisecond short of the other mark, so it never crosses it.
    int markWithinLimits(MarkSide which, qint64 ms) const;
    // The marks around the open clip's sound: Mark In at its first frame and
    // Mark Out after its last frame louder than -50 dBFS on any channel; a
    // failure saying why when the clip is silent or cannot be read.
    Result<std::pair<int, int>> audibleMarks() const;

    // The marks make a stretch to keep: both set, Mark In before Mark Out.
    bool marksValid() const { return markIn_ && markOut_ && *markIn_ < *markOut_; }
    // The open clip's file has another length (an undo or a redo while it
    // is open): marks past the end move to the end; a Mark Out at the old
    // end stays at the end.
    void setLength(int lengthMs);

    // The file of the open clip while it is listed; empty otherwise.
    QString clipFile() const;

    // The fades Done gives the kept stretch (remembered between runs by the
    // workspace).
    const FadeLengths &fades() const { return fades_; }
    void setFades(const FadeLengths &fades);

    // Cuts the open clip's file down to [Mark In, Mark Out); at or past the
    // end means the end. With fades, the kept stretch is then faded in and
    // out, in the same edit. On success the mode becomes Play; on failure the
    // clip file is as it was.
    Outcome cut();
    // Brings the open clip to the ringtone loudness (edits/loudness.h).
    Outcome normalize();
    // Takes back the open clip's last edit, or does the last undone one
    // again, restoring its file byte for byte.
    Outcome undo();
    Outcome redo();
    bool canUndo() const;
    bool canRedo() const;
    // Drops every clip's history and deletes its copies (at shutdown).
    void clearHistory();

signals:
    void opened();
    // The session ended without a cut (a selection in the list).
    void ended();
    void marksChanged();
    void modeChanged();
    void fadesChanged();
    // The clip's file was replaced by an edit, an undo or a redo.
    void clipEdited(const QString &clipFile);
    // What undo and redo can do has changed.
    void historyChanged();

private:
    void setMode(EditMode mode);
    Outcome edit(const QString &label, const std::function<Outcome(const QString &file)> &change);
    Outcome step(Outcome (ClipHistory::*how)(const QString &));
    void forgetClip(const QString &name);

    const ClipEntries &clips_;
    AppPaths paths_;
    std::optional<TrimmedClip> clip_;
    std::optional<int> markIn_, markOut_;
    MarkSide lastMark_ = MarkSide::In;
    EditMode mode_ = EditMode::None;
    FadeLengths fades_;
    ClipHistory history_;
};

// Cuts `clipFile` to [in, out) of a clip of `lengthMs` through the waveaudio
// commands into a file beside it (or beside `into`), then fades what is kept
// when `fades` asks for it; the clip (or `into`, when given) is replaced once
// (renamed over), only by a complete, readable result of both steps. Safe to
// call from several threads (one cut at a time holds the device).
Outcome cutClipFile(const QString &clipFile, int in, int out, int lengthMs, const FadeLengths &fades = {},
                    const QString &into = {});
