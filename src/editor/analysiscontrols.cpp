#include "editor/analysiscontrols.h"

#include "core/clipanalysis.h"
#include "core/trimsession.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "widgets/notices.h"

#include <QCheckBox>
#include <QPushButton>
#include <cmath>

AnalysisControls::AnalysisControls(ClipAnalysis &analysis, const TrimSession &trim, const Notices &notices,
                                   ClipEditorPanel &panel, ClipTrimmer &trimmer)
    : QObject(&panel), analysis_(analysis), trim_(trim), notices_(notices), panel_(panel), trimmer_(trimmer)
{
    connect(panel_.CmdChorus, &QPushButton::clicked, this, &AnalysisControls::CmdChorus_Click);
    connect(&analysis_, &ClipAnalysis::chorusFound, this, &AnalysisControls::takeNextChorus);
    connect(&analysis_, &ClipAnalysis::chorusFailed, this,
            [this](const QString &why) { notices_.fail(Failure{why, {}, {}, false}); });
    connect(&analysis_, &ClipAnalysis::chorusRunningChanged, this, &AnalysisControls::chorusRunning);
    connect(&analysis_, &ClipAnalysis::beatsFound, this, &AnalysisControls::warnIfNoBeats);
    connect(panel_.ChkSnapBeat, &QCheckBox::toggled, this, &AnalysisControls::warnIfNoBeats);
}

void AnalysisControls::CmdChorus_Click()
{
    if (analysis_.chorusRunning())
        return; // a second press while it runs does nothing
    if (!analysis_.chorus().empty())
        takeNextChorus();
    else
        analysis_.findChorus();
}

void AnalysisControls::takeNextChorus()
{
    // The marks are only moved on the clip the candidates belong to, while
    // it is open for marking.
    if (!trim_.clip() || analysis_.clipFile() != trim_.clipFile() || !panel_.CmdMarkin->isEnabled())
        return;
    if (const ChorusCandidate *c = analysis_.nextChorus()) {
        const int length = trim_.clip()->lengthMs;
        trimmer_.setMarks(std::min(int(std::lround(c->startSec * 1000)), length),
                          std::min(int(std::lround(c->endSec * 1000)), length));
    }
}

void AnalysisControls::chorusRunning(bool running)
{
    if (running)
        panel_.CmdChorus->setCursor(Qt::BusyCursor);
    else
        panel_.CmdChorus->unsetCursor();
}

void AnalysisControls::warnIfNoBeats()
{
    if (panel_.ChkSnapBeat->isChecked() && analysis_.beatsKnown() && analysis_.beats().empty() &&
        analysis_.clipFile() == trim_.clipFile() && panel_.CmdMarkin->isEnabled())
        notices_.fail(Failure{QStringLiteral("No beats were found in this clip: it is too short or too quiet. "
                                             "The marks stay where they are taken."),
                              {}, {}, false});
}
