// The sound server going away while a clip plays: the player stops by
// itself and says why, nothing crashes or hangs, later plays start nothing,
// and the clip list goes on working (trimming, saving). The test has a
// sound server of its own, so that stopping it disturbs no other test.
#include "editor/clipeditorpanel.h"
#include "faultfixture.h"
#include "platform/mci/mmcontrol.h"

#include <QListWidget>
#include <QPushButton>
#include <QDir>
#include <QTemporaryDir>

namespace {

// A private PulseAudio started with the project's script; the process talks
// to it alone (PULSE_SERVER), from before its first connection.
class PrivateSoundServer {
public:
    PrivateSoundServer()
    {
        QString out;
        runShell(QStringLiteral("'%1' start '%2'").arg(script(), dir_.path()), &out);
        const QString prefix = QStringLiteral("export PULSE_SERVER=");
        for (const QString &line : out.split(QLatin1Char('\n')))
            if (line.startsWith(prefix))
                address_ = line.mid(prefix.size()).trimmed();
        if (!address_.isEmpty())
            qputenv("PULSE_SERVER", address_.toLocal8Bit());
    }
    ~PrivateSoundServer() { stop(); }
    bool running() const { return !address_.isEmpty(); }
    void stop()
    {
        if (running())
            runShell(QStringLiteral("'%1' stop '%2'").arg(script(), dir_.path()));
        address_.clear();
    }

private:
    static QString script() { return QStringLiteral(CLIPFORGE_SOURCE_DIR "/tools/pulse-server.sh"); }
    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/clipforge-pulse-XXXXXX")}; // no blanks: the script's module arguments
    QString address_;
};

} // namespace

// The server comes first: the main window connects to it as it starts.
class SoundServerGoneTest : private PrivateSoundServer, public FaultTest {
protected:
    PrivateSoundServer &server() { return *this; }
    MMControl &player() const { return *form->MMCPlayList(); }
};

TEST_F(SoundServerGoneTest, APlayingClipStopsAndTheListGoesOnWorking)
{
    ASSERT_TRUE(server().running());
    ASSERT_TRUE(importSong(song(QStringLiteral("long.wav"), 20)).isEmpty());
    ASSERT_TRUE(importSong(song(QStringLiteral("short.wav"), 1)).isEmpty());
    form->Framewav()->List1->setCurrentRow(0);
    form->Framewav()->CmdPlay->click();
    ASSERT_TRUE(waitFor([&] { return player().Position() > 200; }, 10000)) << "the clip did not start playing";

    server().stop();
    ASSERT_TRUE(waitFor([&] { return !player().isPlaying(); }, 15000)) << "the player still plays";
    EXPECT_FALSE(player().Error().isEmpty());
    const int stoppedAt = player().Position();
    EXPECT_GT(stoppedAt, 0);
    EXPECT_LT(stoppedAt, 20000);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << qPrintable(dialogs.texts().join('|'));

    // Another play finds no server and gives up without hanging the program.
    form->Framewav()->List1->setCurrentRow(1);
    form->Framewav()->CmdPlay->click();
    EXPECT_TRUE(waitFor([&] { return !player().isPlaying(); }, 15000));
    EXPECT_EQ(player().Position(), 0);

    EXPECT_TRUE(cutClip(0, 1000, 3000).isEmpty());
    form->MMCEdit()->setFileName(env.paths().clipFile(QStringLiteral("long")));
    form->MMCEdit()->setCommand(QStringLiteral("open"));
    EXPECT_EQ(form->MMCEdit()->Length(), 2000);
    expectListStillSaves();
}
