// bare_window: the least a Qt Widgets program does to show a window of the
// main window's size, up to its first paint; the reference for bench_startup.
#include "firstshown.h"

int main(int argc, char **argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(719, 413);
    return showUntilFirstPaint(window, sinceMain);
}
