#pragma once
#include "base/paths.h"
#include "base/result.h"

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

// Whether a clip is being trimmed: Edit from its opening to its cut, Play
// after the cut; None before the first opening of the run.
enum class EditMode { None, Edit, Play };

// The trimming of one clip: the clip that is open, its two marks and the
// cut. The Audio Edit panel's trimming frame is a view of it.
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

    // The marks make a stretch to keep: both set, Mark In before Mark Out.
    bool marksValid() const { return markIn_ && markOut_ && *markIn_ < *markOut_; }
    // Cuts the open clip's file down to [Mark In, Mark Out); at or past the
    // end means the end. On success the mode becomes Play; on failure the
    // clip file is as it was.
    Outcome cut();

signals:
    void opened();
    void marksChanged();
    void modeChanged();
    // The clip's file was replaced by the cut.
    void clipCut(const QString &clipFile);

private:
    void setMode(EditMode mode);

    const ClipEntries &clips_;
    AppPaths paths_;
    std::optional<TrimmedClip> clip_;
    std::optional<int> markIn_, markOut_;
    EditMode mode_ = EditMode::None;
};

// Cuts `clipFile` to [in, out) of a clip of `lengthMs` through the waveaudio
// commands, in the scratch folder; the clip is replaced only by a complete,
// readable result.
Outcome cutClipFile(const AppPaths &paths, const QString &clipFile, int in, int out, int lengthMs);
