#include "export/wavexport.h"

#include "editor/clipeditorpanel.h"
#include "export/atomicsave.h"
#include "export/listjoin.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "shell/aboutpanel.h"
#include "shell/frmmain.h"

#include <QPushButton>

WavExport::WavExport(Frmmain &form, ClipEditorPanel &panel)
    : QObject(&form), form_(form), panel_(panel), cmdSave_(new CommonDialog(&panel, QStringLiteral("CmdSave")))
{
    connect(panel_.CmdSaveWav, &QPushButton::clicked, this, &WavExport::CmdSaveWav_Click);
}

void WavExport::CmdSaveWav_Click()
{
    cmdSave_->Filter = QStringLiteral("Wav(*.wav)|*.wav");
    cmdSave_->CancelError = true;
    cmdSave_->FileName = QString();
    cmdSave_->InitDir = form_.settings().BaseFolder;
    cmdSave_->DefaultExt = QString();
    cmdSave_->Flags = 0;
    if (!cmdSave_->ShowSave())
        return;

    form_.MMCEdit()->setCommand(QStringLiteral("Close"));
    form_.MMCPlayList()->setCommand(QStringLiteral("Close"));

    // The chosen file is touched only once the join has succeeded, and then
    // replaced in one step.
    const JoinResult joined = joinClipList(listedClipNames(*panel_.List1), form_.paths());
    const QString failure = joined.ok ? copyFileAtomically(form_.paths().concatFile(), cmdSave_->FileName) : joined.error;
    if (failure.isEmpty())
        dialogs::MsgBox(&form_, QStringLiteral("Finish Save"), dialogs::Buttons::Ok, applicationTitle());
    else
        dialogs::MsgBox(&form_, failure, dialogs::Buttons::Ok, applicationTitle(), dialogs::Icon::Warning);
}
