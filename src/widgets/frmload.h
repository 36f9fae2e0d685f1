#pragma once
#include <QWidget>
#include <array>

class QLabel;
class QProgressBar;
class QTimer;

// The busy window: a borderless strip of pictures that fill up one by one
// while long work runs. It is shown and hidden, never closed; its timer
// runs all the time, hidden or not.
class FrmLoad : public QWidget {
    Q_OBJECT
public:
    explicit FrmLoad(QWidget *owner = nullptr);

    QLabel *Label1() const { return label1_; }
    QLabel *Picture1(int index) const { return pictures_.at(index); }
    QTimer *Timer1() const { return timer1_; }

    QProgressBar *ProgressBar1() const { return progress_; }

    // One step of the animation (the timer's tick).
    void Timer1_Timer();
    // Shows the fraction done (0..100) of the running work: the window grows
    // to show Label1 with the bar under it. Hiding the window ends it.
    void setProgress(int percent);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    std::array<QLabel *, 6> pictures_{};
    QLabel *label1_ = nullptr;
    QTimer *timer1_ = nullptr;
    QProgressBar *progress_ = nullptr;
};
