#include "shell/modmain.h"

#include "editor/clipeditor.h"
#include "editor/cliplist.h"
#include "base/apptitle.h"
#include "shell/frmmain.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

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
    // Songs named on the command line (a desktop's "Open with") are imported
    // as if dropped on the clip list, once the window is up. Qt has taken its
    // own options out of the arguments; there are no others.
    QStringList songs;
    for (const QString &argument : app.arguments().mid(1))
        songs << QFileInfo(argument).absoluteFilePath();
    if (!songs.isEmpty())
        QTimer::singleShot(0, &form, [&form, songs] { form.clipEditor()->list().importSongs(songs); });
    return app.exec();
}
} // namespace modmain
