#pragma once
#include "base/result.h"
#include "widgets/busyscope.h"
#include "widgets/messages.h"

#include <functional>

class JobRunner;
class QLineEdit;
class QWidget;
class Workspace;

// What the shell hands each feature: the shared state below the windows,
// the main window (owner of its dialogs, disabled during long work) with
// its busy window and its hidden status box, and the shell's way to end the
// program.
struct FeatureContext {
    Workspace &workspace;
    QWidget &window;
    BusyWindow &busy;
    JobRunner &jobs; // the long jobs, on a worker thread under the busy window
    QLineEdit &Text1;
    // Ends the program at once, without the shutdown sequence; the shell's.
    std::function<void()> &terminate;

    // Shows the failure; a fatal one then ends the program.
    void fail(const Failure &failure) const
    {
        showFailure(&window, failure);
        if (failure.fatal && terminate)
            terminate();
    }
    // The end of a save in the background: "Finish Save", or its failure.
    void reportSaved(const QString &error) const
    {
        if (error.isEmpty())
            showDone(&window, QStringLiteral("Finish Save"));
        else
            showFailure(&window, Failure{error, {}, {}, false});
    }
};
