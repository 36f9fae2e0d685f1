#include "core/trimsession.h"

#include "base/wavformat.h"
#include "core/cliplist.h"
#include "platform/mci/waveaudio.h"

#include <QFile>

TrimSession::TrimSession(const ClipEntries &clips, const AppPaths &paths, QObject *parent)
    : QObject(parent), clips_(clips), paths_(paths)
{
}

void TrimSession::open(const QString &name, int lengthMs)
{
    if (name.isNull())
        clip_.reset();
    else
        clip_ = TrimmedClip{name, lengthMs};
    markIn_ = 0;
    markOut_ = lengthMs;
    setMode(EditMode::Edit);
    emit opened();
    emit marksChanged();
}

void TrimSession::end()
{
    clip_.reset();
    markIn_.reset();
    markOut_.reset();
    emit marksChanged();
}

void TrimSession::setMarkIn(int ms)
{
    markIn_ = ms;
    emit marksChanged();
}

void TrimSession::setMarkOut(int ms)
{
    markOut_ = ms;
    emit marksChanged();
}

void TrimSession::setMarks(int markIn, int markOut)
{
    markIn_ = markIn;
    markOut_ = markOut;
    emit marksChanged();
}

void TrimSession::setMode(EditMode mode)
{
    if (mode_ == mode)
        return;
    mode_ = mode;
    emit modeChanged();
}

Outcome TrimSession::cut()
{
    if (!marksValid())
        return Outcome::failure(QStringLiteral("Time Input Error"));
    if (!clip_)
        return Outcome::failure(QStringLiteral("No clip is open for trimming; nothing was cut."));
    if (clips_.indexOf(clip_->name) < 0)
        return Outcome::failure(QStringLiteral("The clip %1 was removed from the list; nothing was cut.").arg(clip_->name));
    const QString file = paths_.clipFile(clip_->name);
    Outcome done = cutClipFile(paths_, file, *markIn_, *markOut_, clip_->lengthMs);
    if (done) {
        setMode(EditMode::Play);
        emit clipCut(file);
    }
    return done;
}

Outcome cutClipFile(const AppPaths &paths, const QString &clipFile, int in, int out, int lengthMs)
{
    AppPaths::ensurePrivateDir(paths.scratchDir);
    const QString temp = paths.scratchFile(QStringLiteral("temp.wav"));
    const QString temp2 = paths.scratchFile(QStringLiteral("temp2.wav"));
    const QString part = clipFile + QStringLiteral(".part");
    auto cleanUp = [&] {
        QFile::remove(temp2);
        QFile::remove(temp);
        QFile::remove(part);
    };
    cleanUp();
    const Outcome failed = Outcome::failure(QStringLiteral("The clip %1 could not be cut; it is unchanged.").arg(clipFile));
    if (!QFile::copy(clipFile, temp)) {
        cleanUp();
        return failed;
    }
    const QString quoted = QLatin1Char('"') + temp + QLatin1Char('"');
    const QString quoted2 = QLatin1Char('"') + temp2 + QLatin1Char('"');
    // The first delete takes away what lies before Mark In; the second
    // names both ends shifted by Mark In and takes away what lies after
    // Mark Out.
    const QString commands[] = {
        QStringLiteral("open ") + quoted + QStringLiteral(" type waveaudio alias voice1"),
        QStringLiteral("delete voice1 from 0 to ") + QString::number(in),
        QStringLiteral("delete voice1 from ") + QString::number(out - in) + QStringLiteral(" to ") +
            QString::number(lengthMs - in),
        QStringLiteral("save  voice1 ") + quoted2,
        QStringLiteral("close voice1"),
    };
    bool ok = true;
    for (const QString &command : commands)
        ok = mciSendStringA(command) == 0 && ok;
    // The clip is replaced only by a complete, readable result.
    if (!ok || !readWavInfo(temp2).ok || !QFile::copy(temp2, part) || !replaceFile(part, clipFile)) {
        cleanUp();
        return failed;
    }
    cleanUp();
    return Outcome::success();
}
