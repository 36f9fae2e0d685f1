#include "export/ringtoneexport.h"

#include "base/apptitle.h"
#include "core/cliplist.h"
#include "core/appsettings.h"
#include "core/ringtonesave.h"
#include "export/savedialog.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "export/exportneeds.h"
#include "widgets/notices.h"
#include "widgets/jobrunner.h"

#include <QDir>
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

} // namespace

RingtoneExport::RingtoneExport(const ExportNeeds &needs, QObject *parent, CommonDialog &cmdSave)
    : QObject(parent), needs_(needs), cmdSave_(cmdSave)
{
}

void RingtoneExport::CmdSaveRingtone_Click()
{
    if (running())
        return;
    if (!askSaveName(cmdSave_, dialogFilter(), needs_.settings.BaseFolder))
        return;
    RingtoneRequest request;
    const NamedFormat named = formatForName(cmdSave_.FileName, formatOfFilterIndex(cmdSave_.FilterIndex));
    request.format = named.format;
    request.outPath = named.fileName;
    const ClipEntries &clips = needs_.clips;
    for (int row = 0; row < clips.count(); ++row)
        request.clipFiles << clips.clipFile(row);
    // The encoder reads the joined list from a file of this export's own,
    // which no other export's end deletes.
    request.joinedFile = needs_.paths.scratchFile(QStringLiteral("ringtone.wav"));
    request.tags = clips.isEmpty() ? SongTags() : clips.at(0).tags;
    const std::optional<int> &rate = needs_.settings.BitRate;
    request.mp3BitRate = rate && *rate > 0 ? *rate : 128;

    needs_.trimPlayer.setCommand(QStringLiteral("Close"));
    needs_.listPlayer.setCommand(QStringLiteral("Close"));
    save_ = std::make_shared<RingtoneSave>(request);
    // The join is the first of two jobs; the runner's end of it enables the
    // window again, so that the length question's box can take the answer.
    run([save = save_](const JobProgress &progress) { return save->join(progress); },
        [this](const Outcome &joined) {
            if (joined)
                askAndEncode();
            else
                finish(joined);
        });
}

void RingtoneExport::askAndEncode()
{
    if (const std::optional<double> limit = save_->limitPassed()) {
        const dialogs::Answer answer = dialogs::MsgBox(
            &needs_.notices.window(),
            QStringLiteral("The ringtone would be %1 s long, longer than the %2 s a phone plays.\n\n"
                           "Keep only its first %2 s, fading out over the last second?\n"
                           "(No saves it whole.)")
                .arg(std::lround(save_->seconds()))
                .arg(*limit),
            dialogs::Buttons::YesNo, applicationTitle(), dialogs::Icon::Question);
        if (answer == dialogs::Answer::Yes)
            save_->keepOnlyTheLimit();
    }
    run([save = save_](const JobProgress &progress) { return save->encode(progress); },
        [this](const Outcome &outcome) { finish(outcome); });
}

void RingtoneExport::run(const JobRunner::Work &work, const JobRunner::Done &done)
{
    if (!needs_.jobs.run(QStringLiteral("Saving......."), work, done))
        finish(Failure(QStringLiteral("%1 was not saved: another long job is still running.")
                           .arg(QDir::toNativeSeparators(save_->target()))));
}

void RingtoneExport::finish(const Outcome &outcome)
{
    save_.reset();
    needs_.notices.saved(outcome);
    emit saved();
}
