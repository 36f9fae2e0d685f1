#pragma once
#include "platform/mci/mmcontrol.h"

#include <QObject>
#include <QTimer>

struct AppPaths;
class ClipEditorPanel;
class ClipTrimmer;
class TrimSession;

// Hearing the marks. Each edge of the stretch plays on the trimming player:
// the 2 s from Mark In, or the 2 s that end at Mark Out. The ringtone plays
// on a player of its own: the stretch between the marks, with the fades
// Done would give, round and round as a phone rings, until Stop, Space or
// any other play. Marks or fades changed meanwhile are heard from the next
// ring on.
class Audition : public QObject {
    Q_OBJECT
public:
    static constexpr int kEdgeMs = 2000;

    // The edges play on `trimPlayer` (through `trimmer`); the ringtone is
    // made in `paths`' scratch folder.
    Audition(const TrimSession &trim, MMControl &trimPlayer, const AppPaths &paths, ClipEditorPanel &panel,
             ClipTrimmer &trimmer);
    ~Audition() override;

    void playFromMarkIn();
    void playToMarkOut();
    // Starts the ringtone, or stops it while it rings.
    void toggleRingtone();
    void stopRingtone();
    bool ringing() const { return ringing_; }
    // The rings begun since the ringtone last started (1 during the first).
    int rings() const { return rings_; }
    // Where the ringtone is heard, in ms of the clip.
    int ringPosition() const { return ringFrom_ + ring_.Position(); }

protected:
    // The ringtone stops when the panel is left.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Whether a clip is open for marking with a stretch to hear.
    bool markable() const;
    void playEdge(int from, int to);
    void stopAtEdge();
    bool render();
    void ringAgain();

    const TrimSession &trim_;
    MMControl &trimPlayer_;
    QString scratchDir_;
    ClipEditorPanel &panel_;
    ClipTrimmer &trimmer_;
    MMControl ring_;
    QString ringFile_;
    QTimer edgeTimer_;
    int edgeEnd_ = 0;
    bool ringing_ = false;
    bool stale_ = false; // marks or fades changed since the ringtone was made
    int ringFrom_ = 0, rings_ = 0;
};
