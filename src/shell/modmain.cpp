#include "shell/modmain.h"

#include "shell/aboutpanel.h"
#include "shell/frmmain.h"

#include <QApplication>

namespace modmain {
int Main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(CLIPFORGE_VERSION_MAJOR)
                                            .arg(CLIPFORGE_VERSION_MINOR)
                                            .arg(CLIPFORGE_VERSION_PATCH));
    Frmmain form(AppPaths::fromSystem());
    form.show();
    form.activateWindow();
    form.setFocus();
    return app.exec();
}
} // namespace modmain
