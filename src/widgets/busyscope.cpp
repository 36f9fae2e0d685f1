#include "widgets/busyscope.h"

#include "widgets/frmload.h"

#include <QApplication>
#include <QLabel>

FrmLoad *BusyWindow::window()
{
    if (!window_)
        window_ = new FrmLoad(&mainWindow_);
    return window_;
}

void BusyWindow::progress(int percent)
{
    // Work that runs without the busy window (a recording saved as MP3)
    // shows none.
    if (window_ && window_->isVisible())
        window_->setProgress(percent);
}

void BusyWindow::begin(const QString &caption, Window window)
{
    ++holders_;
    if (window == Window::Disabled && disabling_++ == 0) {
        // Disabling takes the keyboard focus away; it comes back at the end.
        wasActive_ = mainWindow_.isActiveWindow();
        focus_ = QApplication::focusWidget();
        if (focus_ && focus_->window() != &mainWindow_)
            focus_.clear();
        mainWindow_.setEnabled(false);
    }
    if (!caption.isEmpty())
        this->window()->Label1()->setText(caption);
    this->window()->show();
}

void BusyWindow::end(Window window)
{
    if (holders_ == 0)
        return;
    const bool enabling = window == Window::Disabled && disabling_ > 0 && --disabling_ == 0;
    if (enabling)
        mainWindow_.setEnabled(true);
    if (--holders_ == 0 && window_)
        window_->hide();
    if (enabling) {
        // The keyboard goes back where it was, in the window the user works in.
        if (focus_)
            focus_->setFocus();
        if (wasActive_ && mainWindow_.isVisible() && !mainWindow_.isActiveWindow())
            mainWindow_.activateWindow();
        focus_.clear();
    }
}

BusyScope::BusyScope(BusyWindow &busy, const QString &caption) : busy_(busy) { busy_.begin(caption); }

BusyScope::~BusyScope() { busy_.end(); }
