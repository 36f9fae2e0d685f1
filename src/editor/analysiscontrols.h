#pragma once
#include <QObject>

class ClipAnalysis;
class ClipEditorPanel;
class ClipTrimmer;
class Notices;
class TrimSession;

// Find Chorus and "Snap to beat": the trimming frame's controls over the
// music analysis of the open clip. Find Chorus sets the marks to the best
// candidate once the analysis (on a worker thread) has found them, and to
// the next one, round the list, at each further press.
class AnalysisControls : public QObject {
    Q_OBJECT
public:
    AnalysisControls(ClipAnalysis &analysis, const TrimSession &trim, const Notices &notices, ClipEditorPanel &panel,
                     ClipTrimmer &trimmer);

    void CmdChorus_Click();

private:
    void takeNextChorus();
    // The button shows a busy pointer while the search runs.
    void chorusRunning(bool running);
    // A clip without beats cannot snap: said once the beats are known.
    void warnIfNoBeats();

    ClipAnalysis &analysis_;
    const TrimSession &trim_;
    const Notices &notices_;
    ClipEditorPanel &panel_;
    ClipTrimmer &trimmer_;
};
