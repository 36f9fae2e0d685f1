#include "export/wavexport.h"

#include "core/cliplist.h"
#include "core/workspace.h"
#include "core/listjoin.h"
#include "export/savedialog.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "widgets/featurecontext.h"
#include "widgets/jobrunner.h"

#include <QWidget>

WavExport::WavExport(FeatureContext &context, QWidget &panel)
    : QObject(&panel), context_(context), cmdSave_(new CommonDialog(&panel, QStringLiteral("CmdSave")))
{
}

void WavExport::CmdSaveWav_Click()
{
    Workspace &workspace = context_.workspace;
    if (!askSaveName(*cmdSave_, QStringLiteral("Wav(*.wav)|*.wav"), workspace.settings().BaseFolder))
        return;

    workspace.trimPlayer().setCommand(QStringLiteral("Close"));
    workspace.listPlayer().setCommand(QStringLiteral("Close"));

    // The join is written straight into the chosen file's temporary file,
    // which replaces the file in one step once complete.
    const QStringList clips = workspace.clips().names();
    const AppPaths paths = workspace.paths();
    const QString target = cmdSave_->FileName;
    context_.jobs.run(
        QStringLiteral("Saving......."),
        [clips, paths, target](const JobRunner::Progress &) {
            const Result<qint64> saved = saveJoinedClipList(clips, paths, target);
            return saved ? Outcome::success() : Outcome(saved.failure());
        },
        [this](const Outcome &saved) {
            if (saved)
                showDone(&context_.window, QStringLiteral("Finish Save"));
            else
                context_.fail(saved.failure());
        });
}
