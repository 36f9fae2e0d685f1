#pragma once
#include "base/result.h"
#include "widgets/busyscope.h"
#include "widgets/messages.h"
#include "widgets/notices.h"

class JobRunner;
class QLineEdit;
class QWidget;
class Workspace;

// What the shell hands each feature: the shared state below the windows,
// the main window (owner of its dialogs, disabled during long work) with
// its busy window and its hidden status box, and the notices to the user.
struct FeatureContext {
    Workspace &workspace;
    QWidget &window;
    BusyWindow &busy;
    JobRunner &jobs; // the long jobs, on a worker thread under the busy window
    QLineEdit &Text1;
    const Notices &notices;

    void fail(const Failure &failure) const { notices.fail(failure); }
    void reportSaved(const Outcome &ended) const { notices.saved(ended); }
};
