#pragma once
// The multimedia control: plays one WAV file through the desktop sound
// server (libpulse), driven by command words, like the MCI MMControl.
//
//   MMControl player("MMCEdit");
//   player.setFileName("/path/clip.wav");
//   player.setCommand("open");    // Length() now in ms (0 when unreadable)
//   player.setCommand("play");    // plays; Done() when it reaches the end
//
// Command words, any letter case, surrounding blanks ignored:
//   "open"    closes what was open, then opens FileName().  A file that is
//             not a readable PCM/float WAV leaves the control closed:
//             isOpen() false, Length() 0, and "play" plays nothing.
//   "play"    plays.  The start point: From() when setFrom() was called
//             since the last "play"; else, after the clip had played to its
//             end, the beginning; else the current Position() (so "stop"
//             then "play" goes on where it stopped, "pause" then "play"
//             resumes).  A "play" while already playing, with no new From,
//             changes nothing.
//   "stop"    stops; Position() stays where the sound stopped; no Done.
//   "pause"   pauses (the sound server keeps the buffered sound); "resume"
//             (or "play") goes on.  No Done.
//   "resume"  the same as pause()/resume() below.
//   "close"   stops and closes: isOpen() false, Length() 0, Position() 0.
//   Other words are remembered in Command() and do nothing.
//
// Times are milliseconds: Length() the whole frames of the clip (rounded
// down), Position() what is being heard now, the sound server's latency
// included.  StatusUpdate() is raised every UpdateInterval() ms (1000 by
// default) while a clip is open; Done() when a clip started with "play" has
// been heard to its end.  Both are delivered on the thread that owns the
// control (the user-interface thread).
//
// No command blocks on the sound server or throws: when no server answers,
// "play" starts nothing and Position() stays put.  Playback runs on a shared
// pa_threaded_mainloop thread.
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "base/wavformat.h"

struct MciPlayback;

class MMControl : public QObject {
    Q_OBJECT
public:
    enum class Mode { Closed, Stopped, Playing, Paused };

    explicit MMControl(const QString &name, QObject *parent = nullptr);
    ~MMControl() override;

    void setFileName(const QString &path) { fileName_ = path; }
    QString FileName() const { return fileName_; }
    // Start point of the next "play", ms; clamped to the clip at play time.
    void setFrom(int ms);
    int From() const { return from_; }
    int Length() const { return length_; }
    int Position() const;

    void setCommand(const QString &word);
    QString Command() const { return command_; }

    bool isOpen() const { return mode_ != Mode::Closed; }
    Mode mode() const { return mode_; }
    bool isPlaying() const { return mode_ == Mode::Playing; }
    bool isPaused() const { return mode_ == Mode::Paused; }
    // Why the clip cannot be played: the reader's message when the last
    // "open" failed, or why the last play stopped before its end (the sound
    // server went away or never answered); else empty.
    QString Error() const { return error_; }
    // The format of the open clip (ok false when closed).
    const WavInfo &info() const { return info_; }

    void setUpdateInterval(int ms);
    int UpdateInterval() const { return updateInterval_; }

    // The command words as functions.
    void open();
    void play();
    void stop();
    void pause();
    void resume();
    void close();

signals:
    void StatusUpdate();
    void Done();

private:
    friend struct MciPlayback;
    void startAt(qint64 frame);
    void tryStart();
    void checkEnd();
    void teardown();
    qint64 heardFrame() const;
    void streamDrained(quint64 generation);
    void streamFailed(quint64 generation);

    QString fileName_, command_, error_;
    int from_ = 0;
    bool fromSet_ = false;
    int length_ = 0;
    int updateInterval_ = 1000;
    Mode mode_ = Mode::Closed;
    WavInfo info_;
    qint64 posFrame_ = 0;   // position while not playing
    bool atEnd_ = false;    // the last play reached the end
    quint64 generation_ = 0;
    std::unique_ptr<MciPlayback> playback_;
    QTimer statusTimer_;
    QTimer retryTimer_;     // waits for the sound server connection
    QTimer endTimer_;       // watches for the last frame to be heard
    int retries_ = 0;
};
