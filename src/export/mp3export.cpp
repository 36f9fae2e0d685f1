#include "export/mp3export.h"

#include "core/cliplist.h"
#include "core/encoderqueue.h"
#include "core/workspace.h"
#include "export/listjoin.h"
#include "export/savedialog.h"
#include "encode/mp3tags.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "encode/mp3enc.h"
#include "widgets/featurecontext.h"
#include "widgets/frmload.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

Mp3Export::Mp3Export(FeatureContext &context, CommonDialog &cmdSave)
    : QObject(&context.window), context_(context), cmdSave_(cmdSave)
{
    connect(&context_.workspace.encoder(), &EncoderQueue::finished, this, &Mp3Export::Mp3Enc1_Finished);
}

void Mp3Export::CmdSaveList_Click()
{
    Workspace &workspace = context_.workspace;
    if (!askSaveName(cmdSave_, QStringLiteral("MP3(*.mp3)|*.mp3"), workspace.settings().BaseFolder))
        return;

    // The busy window stays up and the main window disabled until the
    // encoding's end, in Mp3Enc1_Finished.
    FrmLoad *busy = context_.busy.window();
    busy->Label1()->setText(QStringLiteral("Saving......."));
    busy->show();
    context_.window.setEnabled(false);
    workspace.trimPlayer().setCommand(QStringLiteral("Close"));
    workspace.listPlayer().setCommand(QStringLiteral("Close"));

    const Result<qint64> joined = joinClipList(workspace.clips().names(), workspace.paths());
    if (!joined) {
        // Nothing to encode: end the export here instead of waiting for an
        // encoding that never starts.
        busy->hide();
        context_.fail(joined.failure());
        context_.window.setEnabled(true);
        return;
    }
    EncoderQueue &queue = workspace.encoder();
    const std::optional<int> &rate = workspace.settings().BitRate;
    queue.encoder().setBitRate(rate ? QVariant(*rate) : QVariant(QString()));
    // The saved MP3 carries the tags of the song the first clip came from.
    const QString target = cmdSave_.FileName;
    const SongTags song = workspace.clips().isEmpty() ? SongTags() : workspace.clips().at(0).tags;
    queue.start(workspace.paths().concatFile(), target, [this, target, song](const QString &error, bool) {
        if (error.isEmpty())
            if (Outcome tagged = tagSavedMp3(target, song); !tagged)
                context_.fail(tagged.failure());
    });
    context_.Text1.setText(QString::number(queue.encoder().Status()));
}

void Mp3Export::Mp3Enc1_Finished(const QString &error, bool anotherPending)
{
    // A converter encoding may end while a list export started after it is
    // still queued: that export still reads concat.wav and keeps the window
    // busy until its own end. A ringtone save keeps it busy the same way.
    Workspace &workspace = context_.workspace;
    const bool windowTaken = anotherPending || (otherWorkRuns_ && otherWorkRuns_());
    if (!windowTaken && context_.busy.created())
        context_.busy.window()->hide();
    if (error.isEmpty())
        showDone(&context_.window, QStringLiteral("Finish Save"));
    else
        context_.fail(Failure{error, {}, {}, false});
    workspace.trimPlayer().setCommand(QStringLiteral("stop"));
    workspace.listPlayer().setCommand(QStringLiteral("Stop"));
    if (anotherPending)
        return;
    if (FileExists(workspace.paths().concatFile()))
        QFile::remove(workspace.paths().concatFile());
    if (!windowTaken)
        context_.window.setEnabled(true);
}
