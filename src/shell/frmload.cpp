#include "shell/frmload.h"

#include "shell/icons.h"
#include "shell/twips.h"

#include <QLabel>
#include <QTimer>

FrmLoad::FrmLoad(QWidget *owner) : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FrmLoad"));
    setFixedSize(tw(3585), tw(750));
    for (int i = 0; i < 6; ++i) {
        QLabel *pic = makeControl<QLabel>(this, QStringLiteral("Picture1_%1").arg(i), 720 * i, 0, 735, 735);
        pic->setPixmap(drawGlyph(i < 5 ? Glyph::Busy : Glyph::BusyLarge, i < 5 ? tw(720) : tw(735)));
        pic->setVisible(i == 0);
        pictures_[i] = pic;
    }
    label1_ = makeControl<QLabel>(this, QStringLiteral("Label1"), 120, 1680, 4095, 495,
                                  QStringLiteral("Loading.........."));
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
