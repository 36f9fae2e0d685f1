#include "shell/sessionrecovery.h"

#include "audio/wavformat.h"
#include "editor/clipeditorpanel.h"
#include "platform/dialogs/dialogs.h"
#include "shell/aboutpanel.h"
#include "shell/frmmain.h"
#include "shell/paths.h"
#include "shell/sessionlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

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

QStringList entriesOf(const QListWidget &list)
{
    QStringList entries;
    for (int i = 0; i < list.count(); ++i)
        entries << list.item(i)->text();
    return entries;
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
    form.Framewav()->List1->addItems(left.clips);
    if (!left.notUsable.isEmpty())
        dialogs::MsgBox(&form,
                        QStringLiteral("These clips of the last session could not be restored:\n") +
                            left.notUsable.join(QLatin1Char('\n')),
                        dialogs::Buttons::Ok, QString(), dialogs::Icon::Warning);
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
    QListWidget *list = form.Framewav()->List1;
    auto *writer = new SessionListWriter(form.paths().sessionListFile(), [list] { return entriesOf(*list); }, &form);
    watchRows(*list->model(), writer, [writer] { writer->changed(); });
    QObject::connect(&form, &Frmmain::unloading, writer, &SessionListWriter::stop);
    writer->writeNow();
}
