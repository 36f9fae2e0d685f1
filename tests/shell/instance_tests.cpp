// The program as real processes: the built orvane-clipforge, and
// session_driver (the same start with its dialogs answered from its command
// line), both over a user's folders in a temporary tree (HOME and the XDG
// folders point there). The session list file that the owner rewrites at
// every change shows its clip list from outside.
#include "shell/sessionlist.h"
#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>
#include <csignal>
#include <map>
#include <memory>
#include <vector>

// The files of the working folder: name and content.
using Snapshot = std::map<QString, QByteArray>;

// Names and sizes in test failures, not every byte.
void PrintTo(const Snapshot &files, std::ostream *os)
{
    for (const auto &[name, bytes] : files)
        *os << name.toStdString() << " (" << bytes.size() << " bytes) ";
}

namespace {

class InstanceTest : public ::testing::Test {
protected:
    InstanceTest()
    {
        AppPaths::ensurePrivateDir(paths().runtimeDir);
        environment.insert(QStringLiteral("HOME"), paths().homeDir);
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), env.root() + QStringLiteral("/cache"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), env.root() + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), paths().runtimeDir);
        // The sound server stays reachable when it was found through the real runtime folder.
        const QString pulse = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/pulse/native");
        if (!environment.contains(QStringLiteral("PULSE_SERVER")) && QFile::exists(pulse))
            environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + pulse);
    }

    ~InstanceTest() override
    {
        for (auto &p : processes) {
            signal(*p, SIGCONT);
            kill(*p);
        }
    }

    const AppPaths &paths() const { return env.paths(); }

    QProcess &start(const char *program, const QStringList &arguments)
    {
        auto &p = *processes.emplace_back(std::make_unique<QProcess>());
        p.setProcessEnvironment(environment);
        p.start(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QString::fromLatin1(program), arguments);
        EXPECT_TRUE(p.waitForStarted(10000)) << program;
        return p;
    }
    QProcess &program(const QStringList &songs = {}) { return start("orvane-clipforge", songs); }
    QProcess &driver(const char *answer, const char *action, const QStringList &songs = {})
    {
        return start("session_driver", QStringList{QString::fromLatin1(answer), QString::fromLatin1(action)} + songs);
    }

    // A one-second tone in the home folder, its pitch telling it apart.
    QString song(const QString &name, int seconds = 1)
    {
        static int pitch = 300;
        const QString path = paths().homeDir + QLatin1Char('/') + name;
        EXPECT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth %2 sine %3 vol 0.5")
                               .arg(path)
                               .arg(seconds)
                               .arg(pitch += 40)),
                  0);
        return path;
    }

    std::optional<QStringList> listed() const { return parseSessionList(readFile(paths().sessionListFile())); }
    bool waitForList(const QStringList &entries, int ms = 20000) const
    {
        return waitFor([&] { return listed() == entries; }, ms);
    }
    Snapshot folder() const
    {
        Snapshot files;
        for (const QString &name : QDir(paths().workDir).entryList(QDir::Files | QDir::Hidden))
            files[name] = readFile(paths().workFile(name));
        return files;
    }

    static bool finished(QProcess &p, int ms = 30000)
    {
        return waitFor([&] { return p.state() == QProcess::NotRunning; }, ms);
    }
    // The driver's lines up to "ready" (the messages it was shown).
    static QStringList readyLines(QProcess &p)
    {
        QByteArray out;
        waitFor(
            [&] {
                out += p.readAllStandardOutput();
                return out.endsWith("ready\n") || p.state() == QProcess::NotRunning;
            },
            30000);
        out += p.readAllStandardOutput();
        return QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    static void signal(QProcess &p, int signal)
    {
        if (p.state() == QProcess::Running)
            ::kill(pid_t(p.processId()), signal);
    }
    static void kill(QProcess &p)
    {
        p.kill(); // SIGKILL
        p.waitForFinished();
    }

    TestEnv env;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<QProcess>> processes; // killed at the end
};

} // namespace

TEST_F(InstanceTest, LaterStartsHandTheirSongsToTheOneWindowAndEnd)
{
    const QString a = song("a.wav"), b = song("b.wav"), c = song("c.wav");
    QProcess &owner = program();
    ASSERT_TRUE(waitForList({})) << "the first start owns the folder and lists nothing";
    // Each later start: its songs, and the list of the one window afterwards.
    const std::pair<QStringList, QStringList> starts[] = {
        {{a, b}, {"a", "b"}},
        {{c}, {"a", "b", "c"}},
        {{}, {"a", "b", "c"}}, // no songs: the window only comes to the front
    };
    for (const auto &[songs, after] : starts) {
        QProcess &later = program(songs);
        ASSERT_TRUE(finished(later)) << "a later start ends at once";
        EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(later.exitCode(), 0);
        EXPECT_TRUE(waitForList(after)) << listed().value_or(QStringList{"(none)"}).join(',').toStdString();
    }
    EXPECT_EQ(owner.state(), QProcess::Running);
    for (const QString &name : {"a", "b", "c"})
        EXPECT_EQ(readFile(paths().clipFile(name)), readFile(paths().homeDir + "/" + name + ".wav")) << name.toStdString();
}

TEST_F(InstanceTest, TwoStartsAtTheSameInstantGiveOneWindowWithBothSongs)
{
    const QString a = song("a.wav"), b = song("b.wav");
    QProcess &first = program({a});
    QProcess &second = program({b});
    ASSERT_TRUE(waitFor([&] { return first.state() == QProcess::NotRunning || second.state() == QProcess::NotRunning; },
                        30000));
    QProcess &ended = first.state() == QProcess::NotRunning ? first : second;
    QProcess &owner = &ended == &first ? second : first;
    EXPECT_EQ(ended.exitCode(), 0);
    EXPECT_TRUE(waitFor([&] { QStringList l = listed().value_or(QStringList()); l.sort(); return l == QStringList{"a", "b"}; },
                        20000));
    EXPECT_EQ(owner.state(), QProcess::Running);
}

TEST_F(InstanceTest, ACrashedSessionIsOfferedBackByteForByte)
{
    const QString a = song("a.wav", 4), b = song("b.wav");
    // Imported, the first clip cut to one second, then killed.
    QProcess &crashed = driver("no", "trim", {a, b});
    EXPECT_EQ(readyLines(crashed), QStringList{"ready"});
    ASSERT_TRUE(waitForList({"a", "b"}));
    const Snapshot clips = {{"a.wav", readFile(paths().clipFile("a"))}, {"b.wav", readFile(paths().clipFile("b"))}};
    ASSERT_LT(clips.at("a.wav").size(), readFile(a).size() / 2) << "the first clip was cut";
    kill(crashed);

    QProcess &restored = driver("yes", "stay");
    EXPECT_EQ(readyLines(restored), (QStringList{"message: Restore the 2 clips of the last session?", "ready"}));
    EXPECT_EQ(listed(), (QStringList{"a", "b"}));
    for (const auto &[name, bytes] : clips)
        EXPECT_EQ(readFile(paths().workFile(name)), bytes) << name.toStdString();
    // The socket the killed owner left behind does not keep later starts out.
    QProcess &later = program({song("c.wav")});
    ASSERT_TRUE(finished(later));
    EXPECT_EQ(later.exitCode(), 0);
    EXPECT_TRUE(waitForList({"a", "b", "c"}));
    kill(restored);

    QProcess &declined = driver("no", "stay");
    EXPECT_EQ(readyLines(declined), (QStringList{"message: Restore the 3 clips of the last session?", "ready"}));
    EXPECT_EQ(listed(), QStringList());
    EXPECT_EQ(QDir(paths().workDir).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{".cliplist", ".lock"}));
    kill(declined);

    // A crashed session with nothing in it asks nothing; an orderly end
    // empties the folder, and the start after it asks nothing either.
    for (int run = 0; run < 2; ++run) {
        QProcess &closed = driver("yes", "close");
        EXPECT_EQ(readyLines(closed), QStringList{"ready"}) << run;
        ASSERT_TRUE(finished(closed));
        EXPECT_EQ(closed.exitCode(), 0);
        EXPECT_TRUE(folder().empty()) << run;
    }
}

TEST_F(InstanceTest, AHungOwnerGetsAMessageAndNothingIsTouched)
{
    const QString a = song("a.wav"), b = song("b.wav");
    QProcess &owner = program({a});
    ASSERT_TRUE(waitForList({"a"}));
    const Snapshot before = folder();
    signal(owner, SIGSTOP);

    QProcess &later = driver("yes", "stay", {b});
    ASSERT_TRUE(finished(later));
    EXPECT_EQ(later.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(later.readAllStandardOutput()),
              QStringLiteral("message: Orvane Clipforge is already running but does not answer, so nothing was "
                             "opened. Try again when it answers, or end it.\n"));
    EXPECT_EQ(folder(), before);

    // Going on, the owner does not take the songs of the start that gave up.
    signal(owner, SIGCONT);
    QProcess &raise = program();
    ASSERT_TRUE(finished(raise));
    EXPECT_EQ(raise.exitCode(), 0);
    EXPECT_EQ(folder(), before);
}
