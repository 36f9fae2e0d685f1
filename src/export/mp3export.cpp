#include "export/mp3export.h"

#include "editor/clipeditorpanel.h"
#include "export/listjoin.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "platform/mp3enc/mp3enc.h"
#include "shell/aboutpanel.h"
#include "shell/frmload.h"
#include "shell/frmmain.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Mp3Export::Mp3Export(Frmmain &form, ClipEditorPanel &panel, CommonDialog &cmdSave)
    : QObject(&form), form_(form), panel_(panel), cmdSave_(cmdSave)
{
    connect(panel_.CmdSaveList, &QPushButton::clicked, this, &Mp3Export::CmdSaveList_Click);
    connect(form_.Mp3Enc1(), &Mp3Enc::Finished, this, &Mp3Export::Mp3Enc1_Finished);
}

void Mp3Export::CmdSaveList_Click()
{
    cmdSave_.CancelError = true;
    cmdSave_.Filter = QStringLiteral("MP3(*.mp3)|*.mp3");
    cmdSave_.FileName = QString();
    cmdSave_.InitDir = form_.settings().BaseFolder;
    cmdSave_.DefaultExt = QString();
    cmdSave_.Flags = 0;
    if (!cmdSave_.ShowSave())
        return;

    FrmLoad *busy = form_.busyWindow();
    busy->Label1()->setText(QStringLiteral("Saving......."));
    busy->show();
    form_.setEnabled(false);
    form_.MMCEdit()->setCommand(QStringLiteral("Close"));
    form_.MMCPlayList()->setCommand(QStringLiteral("Close"));

    const JoinResult joined = joinClipList(listedClipNames(*panel_.List1), form_.paths());
    if (!joined.ok) {
        // Nothing to encode: end the export here instead of waiting for an
        // encoding that never starts.
        busy->hide();
        dialogs::MsgBox(&form_, joined.error, dialogs::Buttons::Ok, applicationTitle(), dialogs::Icon::Warning);
        form_.setEnabled(true);
        return;
    }
    Mp3Enc *encoder = form_.Mp3Enc1();
    const std::optional<int> &rate = form_.settings().BitRate;
    encoder->setBitRate(rate ? QVariant(*rate) : QVariant(QString()));
    encoder->StartEncoding(form_.paths().concatFile(), cmdSave_.FileName);
    form_.Text1()->setText(QString::number(encoder->Status()));
}

void Mp3Export::Mp3Enc1_Finished()
{
    // A converter encoding may end while a list export started after it is
    // still queued: that export still reads concat.wav and keeps the window
    // busy until its own finished event.
    const bool anotherPending = form_.Mp3Enc1()->Status() == Mp3Enc::StatusBusy;
    if (!anotherPending)
        form_.busyWindow()->hide();
    const QString error = form_.Mp3Enc1()->lastError();
    if (error.isEmpty())
        dialogs::MsgBox(&form_, QStringLiteral("Finish Save"), dialogs::Buttons::Ok, applicationTitle());
    else
        dialogs::MsgBox(&form_, error, dialogs::Buttons::Ok, applicationTitle(), dialogs::Icon::Warning);
    form_.MMCEdit()->setCommand(QStringLiteral("stop"));
    form_.MMCPlayList()->setCommand(QStringLiteral("Stop"));
    if (anotherPending)
        return;
    if (FileExists(form_.paths().concatFile()))
        QFile::remove(form_.paths().concatFile());
    form_.setEnabled(true);
}
