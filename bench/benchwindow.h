#pragma once
// What the drivers that work the real main window share: a shown Frmmain
// over a private folder tree, its dialogs answered from a queue, and the
// few figures every driver prints.
#include "platform/dialogs/dialogs.h"
#include "shell/frmmain.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>

// Answers file dialogs from a queue (cancel when empty), every question
// No, and keeps the texts of the message boxes.
class QueuedDialogs : public dialogs::Presenter {
public:
    QueuedDialogs();
    ~QueuedDialogs() override;

    std::deque<QString> files;
    QStringList messages;
    std::function<void()> messageShown; // called after each message box

    dialogs::Answer message(QWidget *, const dialogs::MessageRequest &request) override;
    std::optional<QString> file(QWidget *, const dialogs::FileRequest &request) override;
    std::optional<QString> input(QWidget *, const QString &, const QString &) override { return std::nullopt; }
};

// The main window shown over a temporary tree whose application folder
// holds the audio library built beside the driver.
class BenchWindow {
public:
    BenchWindow();
    ~BenchWindow();

    const AppPaths &paths() const { return paths_; }
    Frmmain &form() { return *form_; }
    QueuedDialogs &dialogs() { return dialogs_; }
    // Clicks a push button of the main window by its object name.
    void click(const char *name);
    // Runs the event loop until a message box was shown; false after timeoutMs.
    bool waitForMessage(int timeoutMs);

private:
    QTemporaryDir root_;
    AppPaths paths_;
    QueuedDialogs dialogs_;
    std::unique_ptr<Frmmain> form_;
};

// Milliseconds of a timer, with a fraction.
double elapsedMs(const QElapsedTimer &timer);
// The process's peak resident memory so far, KiB.
long peakRssKiB();
// The process's resident memory now, KiB.
long currentRssKiB();
