#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class FrmLoad;
class QWidget;

// The busy window of the main window: made on first use, shown while long
// work runs, with the fraction done when the work tells it.
//
// Every long job holds it from begin() to its end(): the busy window shows
// while any job holds it, and the main window stays disabled while any job
// that disables it runs, so that the jobs need not know of each other.
class BusyWindow {
public:
    explicit BusyWindow(QWidget &mainWindow) : mainWindow_(mainWindow) {}

    // A job begins: the busy window shows, with `caption` when one is given,
    // and the main window is disabled unless the job keeps it usable.
    enum class Window { Disabled, Usable };
    void begin(const QString &caption = QString(), Window window = Window::Disabled);
    // The job begun with the same `window` ends.
    void end(Window window = Window::Disabled);
    bool held() const { return holders_ > 0; }

    FrmLoad *window(); // made on first use
    bool created() const { return window_ != nullptr; }
    QWidget &mainWindow() const { return mainWindow_; }
    // Shows the fraction done, while the busy window is up.
    void progress(int percent);

private:
    QWidget &mainWindow_;
    FrmLoad *window_ = nullptr;
    int holders_ = 0, disabling_ = 0;
    // Where the keyboard was when the first disabling job began.
    QPointer<QWidget> focus_;
    bool wasActive_ = false;
};

// Long work on the user-interface thread: while it lives the main window is
// disabled and the busy window shows (with a caption, when one is given);
// when it goes its hold ends, however the work ended.
class BusyScope {
public:
    explicit BusyScope(BusyWindow &busy, const QString &caption = QString());
    ~BusyScope();
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    BusyWindow &busy_;
};
