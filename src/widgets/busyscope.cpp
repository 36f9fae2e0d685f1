#include "widgets/busyscope.h"

#include "widgets/frmload.h"

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

BusyScope::BusyScope(BusyWindow &busy, const QString &caption) : busy_(busy)
{
    busy_.mainWindow().setEnabled(false);
    if (!caption.isEmpty())
        busy_.window()->Label1()->setText(caption);
    busy_.window()->show();
}

BusyScope::~BusyScope()
{
    busy_.window()->hide();
    busy_.mainWindow().setEnabled(true);
}
