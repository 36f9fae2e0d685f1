#include "editor/analysiscontrols.h"

#include "core/clipanalysis.h"
#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "editor/editorneeds.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QCheckBox>
#include <QPushButton>
#include <cmath>

AnalysisControls::AnalysisControls(const EditorNeeds &needs, ClipEditorPanel &panel, ClipTrimmer &trimmer)
    : QObject(&panel), needs_(needs), workspace_(needs.workspace), panel_(panel), trimmer_(trimmer)
{
    ClipAnalysis &analysis = workspace_.analysis();
    connect(panel_.CmdChorus, &QPushButton::clicked, this, &AnalysisControls::CmdChorus_Click);
    connect(&analysis, &ClipAnalysis::chorusFound, this, &AnalysisControls::takeNextChorus);
    connect(&analysis, &ClipAnalysis::chorusFailed, this,
            [this](const QString &why) { needs_.notices.fail(Failure{why, {}, {}, false}); });
    connect(&analysis, &ClipAnalysis::chorusRunningChanged, this, &AnalysisControls::chorusRunning);
    connect(&analysis, &ClipAnalysis::beatsFound, this, &AnalysisControls::warnIfNoBeats);
    connect(panel_.ChkSnapBeat, &QCheckBox::toggled, this, &AnalysisControls::warnIfNoBeats);
}

void AnalysisControls::CmdChorus_Click()
{
    ClipAnalysis &analysis = workspace_.analysis();
    if (analysis.chorusRunning())
        return; // a second press while it runs does nothing
    if (!analysis.chorus().empty())
        takeNextChorus();
    else
        analysis.findChorus();
}

void AnalysisControls::takeNextChorus()
{
    const TrimSession &trim = workspace_.trim();
    ClipAnalysis &analysis = workspace_.analysis();
    // The marks are only moved on the clip the candidates belong to, while
    // it is open for marking.
    if (!trim.clip() || analysis.clipFile() != trim.clipFile() || !panel_.CmdMarkin->isEnabled())
        return;
    if (const ChorusCandidate *c = analysis.nextChorus()) {
        const int length = trim.clip()->lengthMs;
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
    const ClipAnalysis &analysis = workspace_.analysis();
    if (panel_.ChkSnapBeat->isChecked() && analysis.beatsKnown() && analysis.beats().empty() &&
        analysis.clipFile() == workspace_.trim().clipFile() && panel_.CmdMarkin->isEnabled())
        needs_.notices.fail(Failure{QStringLiteral("No beats were found in this clip: it is too short or too quiet. "
                                             "The marks stay where they are taken."),
                              {}, {}, false});
}
