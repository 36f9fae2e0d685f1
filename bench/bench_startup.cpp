// bench_startup: the program's start-up under a private folder tree, up to
// the first paint of the main window. Prints the milliseconds since main()
// on stdout; the script times the whole process.
#include "firstshown.h"
#include "base/apptitle.h"
#include "shell/frmmain.h"

#include <QDir>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    QTemporaryDir root;
    const AppPaths paths = AppPaths::underRoot(root.path());
    QDir().mkpath(paths.appDir);
    QDir().mkpath(paths.homeDir);
    Frmmain form(paths);
    form.endProgram = [] {};
    return showUntilFirstPaint(form, sinceMain);
}
