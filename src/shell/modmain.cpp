#include "shell/modmain.h"

#include "editor/clipeditor.h"
#include "editor/cliplist.h"
#include "base/apptitle.h"
#include "shell/frmmain.h"
#include "shell/instancechannel.h"
#include "shell/instancelock.h"
#include "shell/sessionrecovery.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <utility>

namespace modmain {
namespace {

void bringToFront(Frmmain &form)
{
    form.setWindowState(form.windowState() & ~Qt::WindowMinimized);
    form.show();
    form.raise();
    form.activateWindow();
}

// Songs for the clip list, imported in the order they came, as if dropped on
// it, once the session has started and while no dialog of the program waits
// for an answer.
class SongInbox : public QObject {
public:
    SongInbox(Frmmain &form, QStringList songs) : QObject(&form), form_(form), songs_(std::move(songs)) {}

    void add(const QStringList &songs)
    {
        songs_ += songs;
        QTimer::singleShot(0, this, &SongInbox::deliver);
    }
    void open()
    {
        open_ = true;
        deliver();
    }

private:
    void deliver()
    {
        if (!open_ || songs_.isEmpty())
            return;
        if (QApplication::activeModalWidget()) {
            QTimer::singleShot(250, this, &SongInbox::deliver);
            return;
        }
        form_.clipEditor()->list().importSongs(std::exchange(songs_, {}));
    }

    Frmmain &form_;
    QStringList songs_;
    bool open_ = false;
};

} // namespace

int run(const AppPaths &paths, const QStringList &songs, const std::function<void(Frmmain &)> &started)
{
    AppPaths::ensurePrivateDir(paths.workDir);
    InstanceLock lock(paths.lockFile());
    switch (claimOrHandOver(lock, paths.instanceSocket(), songs)) {
    case StartRole::HandedOver:
        return 0;
    case StartRole::OwnerSilent:
        showFailure(nullptr, Failure{QStringLiteral("%1 is already running but does not answer, so nothing was "
                                                    "opened. Try again when it answers, or end it.")
                                         .arg(applicationTitle()),
                                     {}, {}, false});
        return 1;
    case StartRole::Owner:
        break;
    }

    Frmmain form(paths);
    form.show();
    form.activateWindow();
    form.setFocus();

    // Later starts hand their songs over from now on; they wait while the
    // session starts (a crashed one may be offered back first).
    auto *inbox = new SongInbox(form, songs);
    InstanceServer server(paths.instanceSocket());
    QObject::connect(&server, &InstanceServer::songsHanded, inbox, [&form, inbox](const QStringList &handed) {
        bringToFront(form);
        inbox->add(handed);
    });
    QObject::connect(&form, &Frmmain::unloading, &server, [&server] {
        QObject::disconnect(&server, nullptr, nullptr, nullptr);
        server.close();
    });
    if (lock.state() == InstanceLock::State::Owned)
        server.listen();

    QTimer::singleShot(0, &form, [&form, inbox, started] {
        startSession(form);
        inbox->open();
        if (started)
            started(form);
    });
    return QApplication::exec();
}

QString versionText()
{
    return QStringLiteral("%1.%2.%3").arg(CLIPFORGE_VERSION_MAJOR).arg(CLIPFORGE_VERSION_MINOR).arg(CLIPFORGE_VERSION_PATCH);
}

int Main(int argc, char **argv)
{
    // The two options, alone on the command line, are answered before any
    // window system is needed; a desktop names songs by full path, so no
    // song is taken for one.
    if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0)) {
        const QByteArray title = applicationTitle().toUtf8();
        if (argv[1][2] == 'v')
            std::printf("%s %s\n", title.constData(), versionText().toUtf8().constData());
        else
            std::printf("Usage: orvane-clipforge [SONG...]\n"
                        "Opens the %s window and adds the songs to its clip list.\n"
                        "  --version  print the version and end\n"
                        "  --help     print this text and end\n",
                        title.constData());
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationVersion(versionText());
    // Songs named on the command line (a desktop's "Open with"). Qt has
    // taken its own options out of the arguments; there are no others.
    QStringList songs;
    for (const QString &argument : app.arguments().mid(1))
        songs << QFileInfo(argument).absoluteFilePath();
    return run(AppPaths::fromSystem(), songs);
}
} // namespace modmain
