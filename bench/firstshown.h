#pragma once
// Shows a window and ends the event loop once it has been painted the
// first time: the moment a start-up is over for the user. Header-only, so
// that the bare Qt program needs nothing of ours.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

class FirstPaintWatch : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // Quit after this paint has been delivered and flushed.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }
    bool painted() const { return painted_; }

private:
    bool painted_ = false;
};

// Shows the window, runs the events until its first paint (or 30 s), and
// prints the milliseconds since `sinceMain` on stdout. 0, or 1 when no paint came.
inline int showUntilFirstPaint(QWidget &window, const QElapsedTimer &sinceMain)
{
    FirstPaintWatch watch;
    window.installEventFilter(&watch);
    QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
    window.show();
    QApplication::exec();
    if (!watch.painted()) {
        std::fprintf(stderr, "the window was never painted\n");
        return 1;
    }
    std::printf("%.1f\n", sinceMain.nsecsElapsed() / 1e6);
    return 0;
}
