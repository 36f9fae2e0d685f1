#include "core/trimsession.h"

#include "base/filecopy.h"
#include "base/wavformat.h"
#include "core/cliplist.h"
#include "edits/fades.h"
#include "edits/loudness.h"
#include "edits/silence.h"
#include "platform/mci/waveaudio.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <mutex>

TrimSession::TrimSession(const ClipEntries &clips, const AppPaths &paths, QObject *parent)
    : QObject(parent), clips_(clips), paths_(paths), history_(paths.scratchDir)
{
    // A clip that leaves the list takes its history with it, and a new clip
    // under a name that was used before starts with none.
    connect(&clips_, &ClipEntries::inserted, this, [this](int row) { forgetClip(clips_.at(row).name); });
    connect(&clips_, &ClipEntries::removed, this, [this](int, const QString &name) { forgetClip(name); });
}

void TrimSession::forgetClip(const QString &name)
{
    history_.forget(paths_.clipFile(name));
    emit historyChanged();
}

void TrimSession::open(const QString &name, int lengthMs)
{
    if (name.isNull())
        clip_.reset();
    else
        clip_ = TrimmedClip{name, lengthMs};
    markIn_ = 0;
    markOut_ = lengthMs;
    lastMark_ = MarkSide::In;
    setMode(EditMode::Edit);
    emit opened();
    emit marksChanged();
}

void TrimSession::end()
{
    clip_.reset();
    markIn_.reset();
    markOut_.reset();
    emit ended();
    emit marksChanged();
}

void TrimSession::setMarkIn(int ms)
{
    markIn_ = ms;
    lastMark_ = MarkSide::In;
    emit marksChanged();
}

void TrimSession::setMarkOut(int ms)
{
    markOut_ = ms;
    lastMark_ = MarkSide::Out;
    emit marksChanged();
}

void TrimSession::setMarks(int markIn, int markOut)
{
    // A mark dragged or nudged alone becomes the one set last.
    if (markIn_ == markIn && markOut_ != markOut)
        lastMark_ = MarkSide::Out;
    else if (markIn_ != markIn && markOut_ == markOut)
        lastMark_ = MarkSide::In;
    markIn_ = markIn;
    markOut_ = markOut;
    emit marksChanged();
}

int TrimSession::markWithinLimits(MarkSide which, qint64 ms) const
{
    const int length = clip_ ? clip_->lengthMs : 0;
    const qint64 low = which == MarkSide::In ? 0 : markIn_.value_or(0) + 1;
    const qint64 high = which == MarkSide::In ? markOut_.value_or(length) - 1 : length;
    return int(std::clamp<qint64>(ms, low, std::max(low, high)));
}

Result<std::pair<int, int>> TrimSession::audibleMarks() const
{
    const QString file = clipFile();
    if (file.isEmpty())
        return Result<std::pair<int, int>>::failure(QStringLiteral("No clip is open for trimming."));
    const Result<FrameRange> sound = audibleFrames(file);
    if (!sound)
        return sound.failure();
    const qint64 rate = readWavInfo(file).sampleRate;
    // The cut keeps the frames from round(in * rate / 1000): Mark In rounded
    // down keeps the first loud frame, Mark Out rounded up the last.
    const qint64 in = sound.value().first * 1000 / rate;
    const qint64 end = sound.value().first + sound.value().count;
    const qint64 out = (end * 1000 + rate - 1) / rate;
    const int length = clip_->lengthMs;
    return std::pair<int, int>{int(std::min<qint64>(in, length)), int(std::min<qint64>(out, length))};
}

void TrimSession::setMode(EditMode mode)
{
    if (mode_ == mode)
        return;
    mode_ = mode;
    emit modeChanged();
}

void TrimSession::setLength(int lengthMs)
{
    if (!clip_ || clip_->lengthMs == lengthMs)
        return;
    const bool toTheEnd = markOut_ && *markOut_ >= clip_->lengthMs;
    clip_->lengthMs = lengthMs;
    if (markIn_)
        markIn_ = std::min(*markIn_, lengthMs);
    if (markOut_)
        markOut_ = toTheEnd ? lengthMs : std::min(*markOut_, lengthMs);
    emit marksChanged();
}

QString TrimSession::clipFile() const
{
    return clip_ && clips_.indexOf(clip_->name) >= 0 ? paths_.clipFile(clip_->name) : QString();
}

void TrimSession::setFades(const FadeLengths &fades)
{
    const FadeLengths offered = fades.offered();
    if (offered == fades_)
        return;
    fades_ = offered;
    emit fadesChanged();
}

Outcome TrimSession::edit(const QString &label, const std::function<Outcome(const QString &file)> &change)
{
    if (!clip_)
        return Outcome::failure(QStringLiteral("No clip is open for trimming; nothing was changed."));
    const QString file = clipFile();
    if (file.isEmpty())
        return Outcome::failure(QStringLiteral("The clip %1 was removed from the list; nothing was changed.").arg(clip_->name));
    bool tried = false;
    Outcome done = history_.apply(file, label, [&] {
        tried = true;
        return change(file);
    });
    // Without its copy in the history an edit could not be undone: it is not made.
    if (!done && !tried)
        return Outcome::failure(
            QStringLiteral("The clip %1 is unchanged: its copy for undo could not be kept (%2).").arg(file, done.error()));
    if (done) {
        emit clipEdited(file);
        emit historyChanged();
    }
    return done;
}

Outcome TrimSession::cut()
{
    if (!marksValid())
        return Outcome::failure(QStringLiteral("Time Input Error"));
    if (!clip_)
        return Outcome::failure(QStringLiteral("No clip is open for trimming; nothing was cut."));
    if (clips_.indexOf(clip_->name) < 0)
        return Outcome::failure(QStringLiteral("The clip %1 was removed from the list; nothing was cut.").arg(clip_->name));
    const int in = *markIn_, out = *markOut_, length = clip_->lengthMs;
    const FadeLengths fades = fades_;
    const Outcome done = edit(QStringLiteral("Cut"), [&](const QString &file) {
        return cutClipFile(file, in, out, length, fades);
    });
    if (done)
        setMode(EditMode::Play);
    return done;
}

Outcome TrimSession::normalize()
{
    return edit(QStringLiteral("Loudness"), [](const QString &file) { return normalizeLoudness(file); });
}

Outcome TrimSession::step(Outcome (ClipHistory::*how)(const QString &))
{
    const QString file = clipFile();
    if (file.isEmpty())
        return Outcome::failure(QStringLiteral("No clip is open; there is nothing to take back."));
    Outcome done = (history_.*how)(file);
    if (done) {
        emit clipEdited(file);
        emit historyChanged();
    }
    return done;
}

Outcome TrimSession::undo() { return step(&ClipHistory::undo); }
Outcome TrimSession::redo() { return step(&ClipHistory::redo); }

bool TrimSession::canUndo() const
{
    const QString file = clipFile();
    return !file.isEmpty() && history_.canUndo(file);
}

bool TrimSession::canRedo() const
{
    const QString file = clipFile();
    return !file.isEmpty() && history_.canRedo(file);
}

void TrimSession::clearHistory()
{
    history_.clear();
    emit historyChanged();
}

Outcome cutClipFile(const QString &clipFile, int in, int out, int lengthMs, const FadeLengths &fades,
                    const QString &into)
{
    // The cut is written beside the clip, straight from the clip's samples
    // (no copy of the clip first, nothing held in memory), faded there, and
    // renamed over the clip once complete: the clip changes once, and the
    // history keeps the file it replaces.
    const QString target = into.isEmpty() ? clipFile : into;
    const QFileInfo where(target);
    const QString cut = where.absolutePath() + QStringLiteral("/.") + where.fileName() + QStringLiteral(".cut.part");
    QFile::remove(cut);
    const Outcome failed = Outcome::failure(
        (fades.any() ? QStringLiteral("The clip %1 could not be cut and faded; it is unchanged.")
                     : QStringLiteral("The clip %1 could not be cut; it is unchanged."))
            .arg(clipFile));
    const QString quoted = QLatin1Char('"') + clipFile + QLatin1Char('"');
    const QString quotedCut = QLatin1Char('"') + cut + QLatin1Char('"');
    // The first delete takes away what lies before Mark In; the second
    // names both ends shifted by Mark In and takes away what lies after
    // Mark Out.
    const QString commands[] = {
        QStringLiteral("open ") + quoted + QStringLiteral(" type waveaudio alias voice1"),
        QStringLiteral("delete voice1 from 0 to ") + QString::number(in),
        QStringLiteral("delete voice1 from ") + QString::number(out - in) + QStringLiteral(" to ") +
            QString::number(lengthMs - in),
        QStringLiteral("save  voice1 ") + quotedCut,
        QStringLiteral("close voice1"),
    };
    // The cut's device has one alias for the whole process: cuts on other
    // threads (the command line's batch) wait for it, or they would act on
    // each other's device.
    static std::mutex deviceInUse;
    bool ok = true;
    {
        std::lock_guard<std::mutex> guard(deviceInUse);
        for (const QString &command : commands)
            ok = mciSendStringA(command) == 0 && ok;
    }
    // The clip is replaced only by a complete, readable result.
    ok = ok && readWavInfo(cut).ok && (!fades.any() || fadeClip(cut, fades.inSeconds, fades.outSeconds));
    ok = ok && std::rename(QFile::encodeName(cut).constData(), QFile::encodeName(target).constData()) == 0;
    if (!ok) {
        QFile::remove(cut);
        return failed;
    }
    syncFolderOf(target);
    return Outcome::success();
}
