#include "export/mp3export.h"

#include "core/cliplist.h"
#include "core/encoderqueue.h"
#include "core/workspace.h"
#include "core/listjoin.h"
#include "export/savedialog.h"
#include "encode/mp3tags.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "encode/mp3enc.h"
#include "widgets/featurecontext.h"

#include <QFile>
#include <QLineEdit>
#include <QWidget>

Mp3Export::Mp3Export(FeatureContext &context, CommonDialog &cmdSave)
    : QObject(&context.window), context_(context), cmdSave_(cmdSave)
{
}

void Mp3Export::CmdSaveList_Click()
{
    Workspace &workspace = context_.workspace;
    if (!askSaveName(cmdSave_, QStringLiteral("MP3(*.mp3)|*.mp3"), workspace.settings().BaseFolder))
        return;

    // The busy window stays up and the main window disabled until the
    // encoding's end, in Mp3Enc1_Finished.
    context_.busy.begin(QStringLiteral("Saving......."));
    workspace.trimPlayer().setCommand(QStringLiteral("Close"));
    workspace.listPlayer().setCommand(QStringLiteral("Close"));

    const Result<qint64> joined = joinClipList(workspace.clips().names(), workspace.paths());
    if (!joined) {
        // Nothing to encode: end the export here instead of waiting for an
        // encoding that never starts.
        context_.busy.end();
        context_.fail(joined.failure());
        return;
    }
    EncoderQueue &queue = workspace.encoder();
    const std::optional<int> &rate = workspace.settings().BitRate;
    queue.encoder().setBitRate(rate ? QVariant(*rate) : QVariant(QString()));
    // The saved MP3 carries the tags of the song the first clip came from.
    const QString target = cmdSave_.FileName;
    const SongTags song = workspace.clips().isEmpty() ? SongTags() : workspace.clips().at(0).tags;
    ++encoding_;
    queue.start(workspace.paths().concatFile(), target, [this, target, song](const Outcome &ended) {
        if (ended)
            if (Outcome tagged = tagSavedMp3(target, song); !tagged)
                context_.fail(tagged.failure());
        Mp3Enc1_Finished(ended);
    });
    context_.Text1.setText(QString::number(queue.encoder().Status()));
}

void Mp3Export::Mp3Enc1_Finished(const Outcome &ended)
{
    Workspace &workspace = context_.workspace;
    context_.busy.end();
    context_.reportSaved(ended);
    workspace.trimPlayer().setCommand(QStringLiteral("stop"));
    workspace.listPlayer().setCommand(QStringLiteral("Stop"));
    // A later export still waiting reads the same joined list.
    if (--encoding_ == 0 && FileExists(workspace.paths().concatFile()))
        QFile::remove(workspace.paths().concatFile());
}
