#pragma once
#include <QString>
#include <functional>

class FrmLoad;
class QWidget;

// The busy window of the main window: made on first use, shown while long
// work runs, with the fraction done when the work tells it.
class BusyWindow {
public:
    explicit BusyWindow(QWidget &mainWindow) : mainWindow_(mainWindow) {}

    FrmLoad *window(); // made on first use
    bool created() const { return window_ != nullptr; }
    QWidget &mainWindow() const { return mainWindow_; }
    // Shows the fraction done, while the busy window is up.
    void progress(int percent);

private:
    QWidget &mainWindow_;
    FrmLoad *window_ = nullptr;
};

// Long work on the user-interface thread: while it lives the main window is
// disabled and the busy window shows (with a caption, when one is given);
// when it goes both are as before the work, however the work ended.
class BusyScope {
public:
    explicit BusyScope(BusyWindow &busy, const QString &caption = QString());
    ~BusyScope();
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    BusyWindow &busy_;
};
