#include "core/cliplist.h"
#include "core/workspace.h"
#include "scripteddialogs.h"
#include "shell/frmmain.h"
#include "shell/instancechannel.h"
#include "shell/instancelock.h"
#include "shell/sessionlist.h"
#include "shell/sessionrecovery.h"
#include "testenv.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <map>

namespace {

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A short real WAV file, made by sox.
QByteArray wav()
{
    QProcess sox;
    sox.start(QStringLiteral("sox"), QStringLiteral("-n -r 8000 -b 16 -c 1 -t wav - synth 0.01 sine 440").split(' '));
    sox.waitForFinished();
    return sox.readAllStandardOutput();
}

} // namespace

TEST(SessionList, KeepsAnyEntryTextAndRefusesWhatIsNotAList)
{
    const QStringList entries = {QStringLiteral("My Song"), QStringLiteral("quote \" and \\ back"),
                                 QStringLiteral("two\nlines"), QStringLiteral("Ünïcødé ♪"), QStringLiteral("a (2)")};
    EXPECT_EQ(parseSessionList(sessionListText(entries)), entries);
    EXPECT_EQ(parseSessionList(sessionListText({})), QStringList());
    for (const char *bad : {"", "{", "[\"a\"]", "{\"clips\": \"a\"}", "{\"clips\": [1, \"a\"]}", "{\"other\": []}",
                            "\x89PNG\r\n", "{\"clips\": [\"a\"]"})
        EXPECT_FALSE(parseSessionList(QByteArray(bad))) << bad;
}

TEST(InstanceLock, OneHolderAtATimeAndFreeOnceItLetsGo)
{
    TestEnv env;
    QDir().mkpath(env.paths().workDir);
    auto first = std::make_unique<InstanceLock>(env.paths().lockFile());
    InstanceLock second(env.paths().lockFile());
    EXPECT_EQ(first->state(), InstanceLock::State::Owned);
    EXPECT_EQ(second.state(), InstanceLock::State::Held);
    first.reset();
    EXPECT_EQ(second.tryLock(), InstanceLock::State::Owned);
    // An owner that ended removed its lock file: the file at the path counts.
    QFile::remove(env.paths().lockFile());
    EXPECT_EQ(InstanceLock(env.paths().lockFile()).state(), InstanceLock::State::Owned);
    InstanceLock nowhere(env.root() + QStringLiteral("/missing/.lock"));
    EXPECT_EQ(nowhere.state(), InstanceLock::State::Unusable);
    EXPECT_TRUE(nowhere.error().contains(QStringLiteral("missing/.lock")));
}

TEST(InstanceServer, RequestsThatAreNotOursAreDroppedUnread)
{
    TestEnv env;
    AppPaths::ensurePrivateDir(env.paths().runtimeDir);
    InstanceServer server(env.paths().instanceSocket());
    ASSERT_TRUE(server.listen()) << server.error().toStdString();
    QSignalSpy handed(&server, &InstanceServer::songsHanded);
    const QByteArray requests[] = {
        QByteArray("GET / HTTP/1.0\r\n\r\n"),
        QByteArray("OCF1\xff\xff\xff\xff", 8) + "x", // far too long
        QByteArray("OCF1\0\0\0\4/a\0\0", 12) + "x",   // whole, but confirmed with another byte
    };
    for (const QByteArray &bytes : requests) {
        QLocalSocket client;
        client.connectToServer(env.paths().instanceSocket());
        ASSERT_TRUE(client.waitForConnected(2000));
        client.write(bytes);
        client.flush();
        EXPECT_TRUE(waitFor([&] { return client.state() != QLocalSocket::ConnectedState; }, 5000)) << bytes.constData();
    }
    EXPECT_EQ(handed.count(), 0);
}

// What a crashed run left, what the user answers, and what the next start
// then lists, says and keeps.
struct LeftCase {
    const char *name;
    std::optional<QByteArray> list;          // the session list file, when there is one
    std::map<QString, QByteArray> files;     // clip files ("W": a real WAV)
    dialogs::Answer answer;
    QStringList question;                    // messages shown before the answer
    QStringList entries;                     // listed afterwards
    QStringList report;                      // messages after the answer
    QStringList kept;                        // files of the folder afterwards (the list file too)
};

class LeftSessionTest : public ::testing::TestWithParam<LeftCase> {};

TEST_P(LeftSessionTest, IsOfferedAndRestoredOrEmptied)
{
    const LeftCase &c = GetParam();
    TestEnv env;
    const AppPaths &paths = env.paths();
    QDir().mkpath(paths.workDir);
    writeFile(paths.lockFile(), {});
    if (c.list)
        writeFile(paths.sessionListFile(), *c.list);
    const QByteArray sound = wav();
    for (const auto &[name, bytes] : c.files)
        writeFile(paths.workFile(name), bytes == "W" ? sound : bytes);

    ScriptedDialogs dialogs;
    dialogs.answers.push_back(c.answer);
    Frmmain form(paths);
    form.endProgram = [] {};
    form.show();
    startSession(form);

    QStringList question, report;
    for (const dialogs::MessageRequest &m : dialogs.messages)
        (m.buttons == dialogs::Buttons::YesNo ? question : report) << m.text;
    EXPECT_EQ(question, c.question);
    if (!c.question.isEmpty())
        EXPECT_EQ(dialogs.messages.first().title, QStringLiteral("Orvane Clipforge"));
    EXPECT_EQ(form.workspace().clips().names(), c.entries);
    EXPECT_EQ(report, c.report);
    EXPECT_EQ(filesIn(paths.workDir), c.kept);
    // The list file now holds the session that runs.
    EXPECT_EQ(parseSessionList(readFile(paths.sessionListFile())), c.entries);
    for (const QString &entry : c.entries)
        EXPECT_EQ(readFile(paths.clipFile(entry)), c.files.at(entry + QStringLiteral(".wav")) == "W"
                                                       ? sound
                                                       : c.files.at(entry + QStringLiteral(".wav")));
}

const QString kLock = QStringLiteral(".lock"), kList = QStringLiteral(".cliplist");
using A = dialogs::Answer;

INSTANTIATE_TEST_SUITE_P(
    Cases, LeftSessionTest,
    ::testing::Values(
        LeftCase{"YesRestoresInListOrder", sessionListText({"b", "a"}), {{"a.wav", "W"}, {"b.wav", "W"}}, A::Yes,
                 {"Restore the 2 clips of the last session?"}, {"b", "a"}, {}, {kList, kLock, "a.wav", "b.wav"}},
        LeftCase{"NoEmptiesAllButTheLock", sessionListText({"a"}), {{"a.wav", "W"}, {"concat.wav", "x"}}, A::No,
                 {"Restore the 1 clips of the last session?"}, {}, {}, {kList, kLock}},
        LeftCase{"MissingAndNonWavFilesAreNamed",
                 sessionListText({"gone", "a", "text", "../../escape", "b", "concat"}),
                 {{"a.wav", "W"}, {"b.wav", "W"}, {"text.wav", "not a wav at all"}, {"concat.wav", "W"}},
                 A::Yes,
                 {"Restore the 2 clips of the last session?"},
                 {"a", "b"},
                 {"These clips of the last session could not be restored:\ngone.wav: the file is missing\n"
                  "text.wav: not a WAV file (not a RIFF WAVE file)\n../../escape.wav: not a clip name\n"
                  "concat.wav: not a clip name"},
                 {kList, kLock, "a.wav", "b.wav", "concat.wav", "text.wav"}},
        LeftCase{"AMalformedListOffersTheClipsByName", QByteArray("{\"clips\": [\"b\""),
                 {{"b.wav", "W"}, {"a.wav", "W"}, {"concat.wav", "W"}, {"tempwav.wav", "W"}}, A::Yes,
                 {"Restore the 2 clips of the last session?"}, {"a", "b"}, {},
                 {kList, kLock, "a.wav", "b.wav", "concat.wav", "tempwav.wav"}},
        LeftCase{"NoListMeansAnOrderlyEndAndAsksNothing", std::nullopt, {{"left.wav", "W"}}, A::Yes, {}, {}, {},
                 {kList, kLock, "left.wav"}},
        LeftCase{"NothingLeftToRestoreAsksNothing", sessionListText({"gone"}), {}, A::Yes, {}, {}, {},
                 {kList, kLock}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SessionListWriter, FollowsEveryChangeOfTheListAndStopsAtTheShutdown)
{
    TestEnv env;
    Frmmain form(env.paths());
    form.endProgram = [] {};
    form.show();
    startSession(form);
    ClipEntries &clips = form.workspace().clips();
    // Each change, and the list the file holds after it.
    const std::pair<std::function<void()>, QStringList> steps[] = {
        {[&] { for (const char *name : {"a", "b", "c"}) clips.append({name, {}}); }, {"a", "b", "c"}},
        {[&] { clips.move(0, 1); }, {"b", "a", "c"}},
        {[&] { clips.move(2, 0); }, {"c", "b", "a"}},
        {[&] { clips.removeAt(1); }, {"c", "a"}},
    };
    for (const auto &[change, after] : steps) {
        change();
        EXPECT_EQ(parseSessionList(readFile(env.paths().sessionListFile())), after);
    }
    form.close();
    clips.append({"after the end", {}});
    EXPECT_FALSE(QFile::exists(env.paths().sessionListFile()));
}
