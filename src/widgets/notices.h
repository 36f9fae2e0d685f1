#pragma once
#include "base/result.h"

#include <QString>
#include <functional>

class QWidget;

// How a feature tells the user how its work ended: message boxes over the
// main window (which also owns the features' dialogs), and the end of the
// program after a fatal failure.
class Notices {
public:
    // `terminate` ends the program at once, without the shutdown sequence;
    // it is read when a fatal failure comes, so the owner may replace it.
    Notices(QWidget &window, const std::function<void()> &terminate) : window_(window), terminate_(terminate) {}

    QWidget &window() const { return window_; }
    // Shows the failure; a fatal one then ends the program.
    void fail(const Failure &failure) const;
    // A completion message ("Convert Finish").
    void done(const QString &text) const;
    // The end of a save: "Finish Save", or its failure.
    void saved(const Outcome &ended) const;

private:
    QWidget &window_;
    const std::function<void()> &terminate_;
};
