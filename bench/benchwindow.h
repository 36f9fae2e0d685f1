#pragma once
// What the drivers that work the real main window share: the main window
// shown over a private folder tree, with its dialogs answered from a script
// (the tests' own helpers), and the few figures every driver prints.
#include "scripteddialogs.h"
#include "shell/frmmain.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <memory>

class BenchWindow {
public:
    BenchWindow();
    ~BenchWindow();

    const AppPaths &paths() const { return env_.paths(); }
    Frmmain &form() { return *form_; }
    ScriptedDialogs &dialogs() { return dialogs_; }
    // The texts of the message boxes shown so far, joined for a report.
    QString messages() const { return dialogs_.texts().join(QLatin1Char('|')); }
    // Clicks a push button of the main window by its object name.
    void click(const char *name);
    // Clicks Add New, answering its file dialog with the song, and waits for
    // the import to end.
    void addSong(const QString &songPath);

private:
    TestEnv env_;
    ScriptedDialogs dialogs_;
    std::unique_ptr<Frmmain> form_;
};

// Ends the driver with its usage line when it has fewer than `count` arguments.
void requireArguments(int argc, char **argv, int count, const char *usage);
// A path from the command line, made absolute: the program changes its
// current folder when it starts the audio library.
QString pathArgument(const char *arg);
// Milliseconds of a timer, with a fraction.
double elapsedMs(const QElapsedTimer &timer);
// The process's peak resident memory so far, KiB.
long peakRssKiB();
// The process's resident memory now, KiB.
long currentRssKiB();
