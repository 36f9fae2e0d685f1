#include "export/wavexport.h"

#include "core/cliplist.h"
#include "core/appsettings.h"
#include "core/listjoin.h"
#include "export/savedialog.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "export/exportneeds.h"
#include "widgets/notices.h"
#include "widgets/jobrunner.h"

#include <QWidget>

WavExport::WavExport(const ExportNeeds &needs, QWidget &panel)
    : QObject(&panel), needs_(needs), cmdSave_(new CommonDialog(&panel, QStringLiteral("CmdSave")))
{
}

void WavExport::CmdSaveWav_Click()
{
    if (!askSaveName(*cmdSave_, QStringLiteral("Wav(*.wav)|*.wav"), needs_.settings.BaseFolder))
        return;

    needs_.trimPlayer.setCommand(QStringLiteral("Close"));
    needs_.listPlayer.setCommand(QStringLiteral("Close"));

    // The join is written straight into the chosen file's temporary file,
    // which replaces the file in one step once complete.
    const QStringList clips = needs_.clips.names();
    const AppPaths paths = needs_.paths;
    const QString target = cmdSave_->FileName;
    needs_.jobs.run(
        QStringLiteral("Saving......."),
        [clips, paths, target](const JobRunner::Progress &) {
            const Result<qint64> saved = saveJoinedClipList(clips, paths, target);
            return saved ? Outcome::success() : Outcome(saved.failure());
        },
        [this](const Outcome &saved) {
            needs_.notices.saved(saved);
        });
}
