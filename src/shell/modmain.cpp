#include "shell/modmain.h"

#include <QApplication>
#include <QWidget>

namespace modmain {
int Main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane Clipforge"));
    QWidget w;
    w.setWindowTitle(QStringLiteral("Orvane Clipforge"));
    w.show();
    return app.exec();
}
} // namespace modmain
