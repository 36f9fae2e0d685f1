#include "export/mp3export.h"

#include "core/cliplist.h"
#include "core/encoderqueue.h"
#include "core/appsettings.h"
#include "core/listjoin.h"
#include "export/savedialog.h"
#include "encode/mp3tags.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "encode/mp3enc.h"
#include "export/exportneeds.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QFile>
#include <QLineEdit>
#include <QWidget>

Mp3Export::Mp3Export(const ExportNeeds &needs, QObject *parent, CommonDialog &cmdSave)
    : QObject(parent), needs_(needs), cmdSave_(cmdSave)
{
}

void Mp3Export::CmdSaveList_Click()
{
    if (!askSaveName(cmdSave_, QStringLiteral("MP3(*.mp3)|*.mp3"), needs_.settings.BaseFolder))
        return;

    // The busy window stays up and the main window disabled until the
    // encoding's end, in Mp3Enc1_Finished.
    needs_.busy.begin(QStringLiteral("Saving......."));
    needs_.trimPlayer.setCommand(QStringLiteral("Close"));
    needs_.listPlayer.setCommand(QStringLiteral("Close"));

    const Result<qint64> joined = joinClipList(needs_.clips.names(), needs_.paths);
    if (!joined) {
        // Nothing to encode: end the export here instead of waiting for an
        // encoding that never starts.
        needs_.busy.end();
        needs_.notices.fail(joined.failure());
        return;
    }
    EncoderQueue &queue = needs_.encoder;
    const std::optional<int> &rate = needs_.settings.BitRate;
    queue.encoder().setBitRate(rate ? QVariant(*rate) : QVariant(QString()));
    // The saved MP3 carries the tags of the song the first clip came from.
    const QString target = cmdSave_.FileName;
    const SongTags song = needs_.clips.isEmpty() ? SongTags() : needs_.clips.at(0).tags;
    ++encoding_;
    queue.start(needs_.paths.concatFile(), target, [this, target, song](const Outcome &ended) {
        if (ended)
            if (Outcome tagged = tagSavedMp3(target, song); !tagged)
                needs_.notices.fail(tagged.failure());
        Mp3Enc1_Finished(ended);
    });
    needs_.encoderState.setText(QString::number(queue.encoder().Status()));
}

void Mp3Export::Mp3Enc1_Finished(const Outcome &ended)
{
    needs_.busy.end();
    needs_.notices.saved(ended);
    needs_.trimPlayer.setCommand(QStringLiteral("stop"));
    needs_.listPlayer.setCommand(QStringLiteral("Stop"));
    // A later export still waiting reads the same joined list.
    if (--encoding_ == 0 && FileExists(needs_.paths.concatFile()))
        QFile::remove(needs_.paths.concatFile());
}
