#include "editor/audition.h"

#include "base/paths.h"
#include "core/trimsession.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "widgets/messages.h"

#include <QEvent>
#include <QFile>
#include <QPushButton>

namespace {
constexpr int kEdgeWatchMs = 5; // how closely an edge's end is watched
}

Audition::Audition(const TrimSession &trim, MMControl &trimPlayer, const AppPaths &paths, ClipEditorPanel &panel,
                   ClipTrimmer &trimmer)
    : QObject(&panel), trim_(trim), trimPlayer_(trimPlayer), scratchDir_(paths.scratchDir), panel_(panel),
      trimmer_(trimmer), ring_(QStringLiteral("MMCRingtone")),
      ringFile_(paths.scratchFile(QStringLiteral("ringtone.wav")))
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
    for (auto signal : {&TrimSession::opened, &TrimSession::ended, &TrimSession::modeChanged})
        connect(&trim_, signal, this, &Audition::stopRingtone);
    connect(&trim_, &TrimSession::clipEdited, this, &Audition::stopRingtone);
    for (auto signal : {&TrimSession::marksChanged, &TrimSession::fadesChanged})
        connect(&trim_, signal, this, [this] { stale_ = true; });
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
    return panel_.CmdMarkin->isEnabled() && !trim_.clipFile().isEmpty() && trim_.marksValid();
}

void Audition::playFromMarkIn()
{
    if (markable()) {
        const int in = *trim_.markIn();
        playEdge(in, in + kEdgeMs);
    }
}

void Audition::playToMarkOut()
{
    if (markable()) {
        const int out = *trim_.markOut();
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
    if (!trimPlayer_.isPlaying()) {
        edgeTimer_.stop(); // stopped, or played to the clip's end
    } else if (trimPlayer_.Position() >= edgeEnd_) {
        trimPlayer_.setCommand(QStringLiteral("Stop"));
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
    trimPlayer_.setCommand(QStringLiteral("Stop"));
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
    ring_.setCommand(QStringLiteral("close"));
    stale_ = false;
    const int in = *trim_.markIn(), out = *trim_.markOut();
    AppPaths::ensurePrivateDir(scratchDir_);
    const Outcome made = cutClipFile(trim_.clipFile(), in, out, trim_.clip()->lengthMs, trim_.fades(), ringFile_);
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
