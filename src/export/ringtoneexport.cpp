#include "export/ringtoneexport.h"

#include "base/apptitle.h"
#include "base/wavformat.h"
#include "core/cliplist.h"
#include "core/workspace.h"
#include "encode/encodejob.h"
#include "export/listjoin.h"
#include "export/savedialog.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "widgets/featurecontext.h"
#include "widgets/jobrunner.h"

#include <QFile>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

// The save dialog's filters, "desc|pattern|...", in the order of the formats.
QString dialogFilter()
{
    QStringList parts;
    for (const QString &filter : ringtoneFilters()) {
        const qsizetype open = filter.lastIndexOf(QLatin1String(" ("));
        parts << filter.left(open) << filter.mid(open + 2).chopped(1);
    }
    return parts.join(QLatin1Char('|'));
}

RingtoneFormat formatOfFilterIndex(int index)
{
    const QStringList filters = ringtoneFilters();
    return formatForFilter(filters.value(std::clamp(index, 1, int(filters.size())) - 1));
}

double secondsOf(const QString &wav)
{
    const WavInfo info = readWavInfo(wav);
    return info.ok && info.sampleRate ? double(info.frames()) / info.sampleRate : 0;
}

} // namespace

RingtoneExport::RingtoneExport(FeatureContext &context, CommonDialog &cmdSave)
    : QObject(&context.window), context_(context), cmdSave_(cmdSave)
{
}

void RingtoneExport::CmdSaveRingtone_Click()
{
    if (running())
        return;
    Workspace &workspace = context_.workspace;
    if (!askSaveName(cmdSave_, dialogFilter(), workspace.settings().BaseFolder))
        return;
    EncodeJob job;
    job.format = formatForName(cmdSave_.FileName, formatOfFilterIndex(cmdSave_.FilterIndex), &job.outPath);

    workspace.trimPlayer().setCommand(QStringLiteral("Close"));
    workspace.listPlayer().setCommand(QStringLiteral("Close"));
    context_.window.setEnabled(false);
    const Result<qint64> joined = joinClipList(workspace.clips().names(), workspace.paths());
    // The encoder reads the joined list from a file of this export's own,
    // which no other export's end deletes.
    source_ = workspace.paths().scratchFile(QStringLiteral("ringtone.wav"));
    QFile::remove(source_);
    AppPaths::ensurePrivateDir(workspace.paths().scratchDir);
    if (!joined || !QFile::rename(workspace.paths().concatFile(), source_)) {
        context_.window.setEnabled(true);
        context_.fail(joined ? Failure{QStringLiteral("The joined list could not be set aside in %1.").arg(source_)}
                             : joined.failure());
        return;
    }
    const std::optional<double> limit = ringtoneLimitSeconds(job.format);
    if (const double seconds = limit ? secondsOf(source_) : 0; limit && seconds > *limit) {
        const dialogs::Answer answer = dialogs::MsgBox(
            &context_.window,
            QStringLiteral("The ringtone would be %1 s long, longer than the %2 s a phone plays.\n\n"
                           "Keep only its first %2 s, fading out over the last second?\n"
                           "(No saves it whole.)")
                .arg(std::lround(seconds))
                .arg(*limit),
            dialogs::Buttons::YesNo, applicationTitle(), dialogs::Icon::Question);
        if (answer == dialogs::Answer::Yes) {
            job.keepSeconds = *limit;
            job.fadeOutSeconds = kRingtoneFadeSeconds;
        }
    }
    job.wavPath = source_;
    job.tags = workspace.clips().isEmpty() ? SongTags() : workspace.clips().at(0).tags;
    const std::optional<int> &rate = workspace.settings().BitRate;
    job.mp3BitRate = rate && *rate > 0 ? *rate : 128;

    // The window, disabled since the join, stays so until the runner's end.
    running_ = true;
    context_.jobs.run(
        QStringLiteral("Saving......."),
        [job](const JobRunner::Progress &progress) {
            const QString why = encodeRingtone(job, progress);
            return why.isEmpty() ? Outcome::success() : Outcome::failure(why);
        },
        [this](const Outcome &outcome) { finish(outcome); });
}

void RingtoneExport::finish(const Outcome &outcome)
{
    running_ = false;
    QFile::remove(source_);
    if (outcome)
        showDone(&context_.window, QStringLiteral("Finish Save"));
    else
        context_.fail(outcome.failure());
    emit saved();
}
