#include "shell/sessionrecovery.h"

#include "base/apptitle.h"
#include "base/paths.h"
#include "base/wavformat.h"
#include "core/cliplist.h"
#include "core/workspace.h"
#include "platform/dialogs/dialogs.h"
#include "shell/frmmain.h"
#include "shell/sessionlist.h"
#include "widgets/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList wavFilesByName(const AppPaths &paths)
{
    QStringList clips;
    for (const QString &file : QDir(paths.workDir).entryList({QStringLiteral("*.wav")}, QDir::Files, QDir::Name))
        if (!AppPaths::isReservedClipName(file.chopped(4)))
            clips << file.chopped(4);
    return clips;
}

// Why the entry's clip file cannot be listed again; empty when it can.
QString whyNotUsable(const AppPaths &paths, const QString &entry)
{
    // An entry is a file name without its extension: anything else would
    // point out of the working folder, and the program's own files are no clips.
    if (entry.isEmpty() || entry.contains(QLatin1Char('/')) || entry.contains(QChar(0)) ||
        AppPaths::isReservedClipName(entry))
        return QStringLiteral("not a clip name");
    const QString clip = paths.clipFile(entry);
    if (!QFileInfo(clip).isFile())
        return QStringLiteral("the file is missing");
    const WavInfo info = readWavInfo(clip);
    return info.ok ? QString() : QStringLiteral("not a WAV file (%1)").arg(info.error);
}

void offerLeftSession(Frmmain &form)
{
    const AppPaths &paths = form.paths();
    const LeftSession left = findLeftSession(paths);
    if (left.clips.isEmpty())
        return;
    const dialogs::Answer answer =
        dialogs::MsgBox(&form, QStringLiteral("Restore the %1 clips of the last session?").arg(left.clips.size()),
                        dialogs::Buttons::YesNo, applicationTitle(), dialogs::Icon::Question);
    if (answer != dialogs::Answer::Yes) {
        // The lock file stays: removing it would let a later start take the folder.
        emptyFolder(paths.workDir, {paths.lockFile()});
        return;
    }
    for (const QString &clip : left.clips)
        form.workspace().clips().append(ClipEntry{clip, {}, {}});
    if (!left.notUsable.isEmpty())
        showFailure(&form, Failure{QStringLiteral("These clips of the last session could not be restored:\n") +
                                       left.notUsable.join(QLatin1Char('\n')),
                                   {}, {}, false});
}

} // namespace

LeftSession findLeftSession(const AppPaths &paths)
{
    LeftSession left;
    QFile file(paths.sessionListFile());
    if (!file.open(QIODevice::ReadOnly))
        return left;
    const QStringList entries = parseSessionList(file.read(1 << 20)).value_or(wavFilesByName(paths));
    for (const QString &entry : entries) {
        const QString why = whyNotUsable(paths, entry);
        if (why.isEmpty())
            left.clips << entry;
        else
            left.notUsable << QStringLiteral("%1.wav: %2").arg(entry, why);
    }
    return left;
}

void startSession(Frmmain &form)
{
    offerLeftSession(form);
    auto *writer = new SessionListWriter(form.paths().sessionListFile(), form.workspace().clips(), &form);
    QObject::connect(&form, &Frmmain::unloading, writer, &SessionListWriter::stop);
}
