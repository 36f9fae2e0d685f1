#pragma once
#include "core/workspace.h"
#include "export/exportneeds.h"
#include "scripteddialogs.h"
#include "testenv.h"
#include "widgets/busyscope.h"
#include "widgets/jobrunner.h"
#include "widgets/notices.h"

#include <QLineEdit>
#include <QWidget>
#include <functional>

class Mp3Export;
class RingtoneExport;
class WavExport;

// What the shell gives the features, without the main window: a workspace
// over a private tree as the start-up leaves it, a plain window for the
// notices and the busy window, the runner of long jobs, the encoder's hidden
// state box and the three list exports, their dialogs answered by a script.
struct FeatureHarness {
    FeatureHarness();
    ~FeatureHarness();

    // The window is usable again and no job runs: the work started last has ended.
    bool idle() const { return window.isEnabled() && !jobs.running(); }

    TestEnv env;
    ScriptedDialogs dialogs;
    Workspace workspace{env.paths()};
    QWidget window;
    BusyWindow busy{window};
    JobRunner jobs{busy};
    QLineEdit encoderState;
    std::function<void()> terminate = [] {};
    Notices notices{window, terminate};
    ExportNeeds exportNeeds;
    WavExport *wav;
    Mp3Export *mp3;
    RingtoneExport *ringtone;
};
