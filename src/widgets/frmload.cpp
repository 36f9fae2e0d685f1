#include "widgets/frmload.h"

#include "widgets/icons.h"
#include "widgets/twips.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

namespace {
// The window's own client area, and the one that also shows Label1 (left 120,
// top 1680, 4095 by 495) with the progress bar under it.
constexpr int kWidth = 3585, kHeight = 750;
constexpr int kBarTop = 1680 + 495 + 60, kBarHeight = 255;
constexpr int kWideWidth = 120 + 4095 + 120, kTallHeight = kBarTop + kBarHeight + 120;
} // namespace

FrmLoad::FrmLoad(QWidget *owner) : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FrmLoad"));
    setFixedSize(tw(kWidth), tw(kHeight));
    for (int i = 0; i < 6; ++i) {
        QLabel *pic = makeControl<QLabel>(this, QStringLiteral("Picture1_%1").arg(i), 720 * i, 0, 735, 735);
        pic->setPixmap(drawGlyph(i < 5 ? Glyph::Busy : Glyph::BusyLarge, i < 5 ? tw(720) : tw(735)));
        pic->setVisible(i == 0);
        pictures_[i] = pic;
    }
    label1_ = makeControl<QLabel>(this, QStringLiteral("Label1"), 120, 1680, 4095, 495,
                                  QStringLiteral("Loading.........."));
    progress_ = makeControl<QProgressBar>(this, QStringLiteral("ProgressBar1"), 120, kBarTop, 4095, kBarHeight);
    progress_->setRange(0, 100);
    progress_->hide();
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(500);
    connect(timer1_, &QTimer::timeout, this, &FrmLoad::Timer1_Timer);
    timer1_->start();
}

void FrmLoad::Timer1_Timer()
{
    // Show the first hidden picture; once the sixth is reached, start over
    // with the first alone. The sixth is never on screen between ticks.
    for (QLabel *pic : pictures_) {
        if (pic->isHidden()) {
            pic->setVisible(true);
            break;
        }
    }
    if (!pictures_[5]->isHidden()) {
        for (QLabel *pic : pictures_)
            pic->setVisible(false);
        pictures_[0]->setVisible(true);
    }
}

void FrmLoad::setProgress(int percent)
{
    if (progress_->isHidden()) {
        setFixedSize(tw(kWideWidth), tw(kTallHeight));
        progress_->show();
    }
    progress_->setValue(std::clamp(percent, 0, 100));
}

void FrmLoad::hideEvent(QHideEvent *event)
{
    // The next work starts compact again, with an empty bar.
    progress_->hide();
    progress_->reset();
    setFixedSize(tw(kWidth), tw(kHeight));
    QWidget::hideEvent(event);
}
