#include "editor/audition.h"

#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "widgets/messages.h"

#include <QEvent>
#include <QFile>
#include <QPushButton>

namespace {
constexpr int kEdgeWatchMs = 5; // how closely an edge's end is watched
}

Audition::Audition(Workspace &workspace, ClipEditorPanel &panel, ClipTrimmer &trimmer)
    : QObject(&panel), workspace_(workspace), panel_(panel), trimmer_(trimmer),
      ring_(QStringLiteral("MMCRingtone")), ringFile_(workspace.paths().scratchFile(QStringLiteral("ringtone.wav")))
{
    edgeTimer_.setInterval(kEdgeWatchMs);
    connect(&edgeTimer_, &QTimer::timeout, this, &Audition::stopAtEdge);
    connect(&ring_, &MMControl::Done, this, &Audition::ringAgain);
    // Any other play, Stop, and every change of the clip end the ringtone.
    connect(&trimmer_, &ClipTrimmer::aboutToPlay, this, [this] {
        edgeTimer_.stop();
        stopRingtone();
    });
    connect(panel_.CmdEditStop, &QPushButton::clicked, this, &Audition::stopRingtone);
    TrimSession &trim = workspace_.trim();
    for (auto signal : {&TrimSession::opened, &TrimSession::ended, &TrimSession::modeChanged})
        connect(&trim, signal, this, &Audition::stopRingtone);
    connect(&trim, &TrimSession::clipEdited, this, &Audition::stopRingtone);
    for (auto signal : {&TrimSession::marksChanged, &TrimSession::fadesChanged})
        connect(&trim, signal, this, [this] { stale_ = true; });
    panel_.installEventFilter(this);
}

bool Audition::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && watched == &panel_)
        stopRingtone();
    return QObject::eventFilter(watched, event);
}

Audition::~Audition() { stopRingtone(); }

bool Audition::markable() const
{
    const TrimSession &trim = workspace_.trim();
    return panel_.CmdMarkin->isEnabled() && !trim.clipFile().isEmpty() && trim.marksValid();
}

void Audition::playFromMarkIn()
{
    if (markable()) {
        const int in = *workspace_.trim().markIn();
        playEdge(in, in + kEdgeMs);
    }
}

void Audition::playToMarkOut()
{
    if (markable()) {
        const int out = *workspace_.trim().markOut();
        playEdge(std::max(0, out - kEdgeMs), out);
    }
}

void Audition::playEdge(int from, int to)
{
    trimmer_.playFrom(from); // which stops whatever else was heard
    edgeEnd_ = to;
    edgeTimer_.start();
}

void Audition::stopAtEdge()
{
    MMControl &edit = workspace_.trimPlayer();
    if (!edit.isPlaying()) {
        edgeTimer_.stop(); // stopped, or played to the clip's end
    } else if (edit.Position() >= edgeEnd_) {
        edit.setCommand(QStringLiteral("Stop"));
        edgeTimer_.stop();
    }
}

void Audition::toggleRingtone()
{
    if (ringing_) {
        stopRingtone();
        return;
    }
    if (!markable())
        return;
    edgeTimer_.stop();
    workspace_.trimPlayer().setCommand(QStringLiteral("Stop"));
    if (!render())
        return;
    ringing_ = true;
    rings_ = 1;
    ring_.setFrom(0);
    ring_.setCommand(QStringLiteral("play"));
}

// The stretch as Done would leave it, faded, into the ringtone's own file.
bool Audition::render()
{
    const TrimSession &trim = workspace_.trim();
    ring_.setCommand(QStringLiteral("close"));
    stale_ = false;
    const int in = *trim.markIn(), out = *trim.markOut();
    AppPaths::ensurePrivateDir(workspace_.paths().scratchDir);
    const Outcome made = cutClipFile(trim.clipFile(), in, out, trim.clip()->lengthMs, trim.fades(), ringFile_);
    if (!made) {
        showFailure(panel_.window(),
                    Failure{QStringLiteral("The stretch cannot be played as a ringtone: %1").arg(made.error())});
        return false;
    }
    ringFrom_ = in;
    ring_.setFileName(ringFile_);
    ring_.setCommand(QStringLiteral("open"));
    return true;
}

void Audition::ringAgain()
{
    if (!ringing_)
        return;
    if (stale_ && !(markable() && render())) {
        stopRingtone();
        return;
    }
    ++rings_;
    ring_.setFrom(0);
    ring_.setCommand(QStringLiteral("play"));
}

void Audition::stopRingtone()
{
    if (!ring_.isOpen() && !ringing_)
        return;
    ringing_ = false;
    ring_.setCommand(QStringLiteral("close"));
    QFile::remove(ringFile_);
}
