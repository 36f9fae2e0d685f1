#include "base/wavformat.h"
#include "editor/cliplist.h"
#include "editor/listplayer.h"
#include "editorfixture.h"
#include "core/listjoin.h"
#include "platform/mci/mmcontrol.h"

#include <QCheckBox>
#include <QPushButton>

// Moving entries and the list player's extra transport buttons.
class OrderTest : public EditorTest {
protected:
    // Clips a, b, c, ... of distinct tones.
    void importClips(int n, double seconds)
    {
        for (int i = 0; i < n; ++i)
            importThroughDialog(makeSong(QStringLiteral("%1.wav").arg(QChar('a' + i)), seconds,
                                         QStringLiteral("-r 44100 -c 2 -b 16"), 300 + 100 * i));
    }
    QString clip(const char *name) const { return env.paths().clipFile(QString::fromLatin1(name)); }
    int selected() const { return panel().List1->currentRow(); }
};

TEST_F(OrderTest, UpAndDownMoveTheSelectedEntryAndTheSelectionFollows)
{
    importClips(3, 0.1);
    panel().List1->setCurrentRow(2);
    click("CmdUP");
    EXPECT_EQ(entries(), QStringList({"a", "c", "b"}));
    EXPECT_EQ(selected(), 1);
    click("CmdUP");
    EXPECT_EQ(entries(), QStringList({"c", "a", "b"}));
    EXPECT_EQ(selected(), 0);
    click("CmdUP"); // already first
    EXPECT_EQ(entries(), QStringList({"c", "a", "b"}));
    EXPECT_EQ(selected(), 0);

    panel().List1->setCurrentRow(1);
    click("CmdDown");
    EXPECT_EQ(entries(), QStringList({"c", "b", "a"}));
    EXPECT_EQ(selected(), 2);
    click("CmdDown"); // already last
    EXPECT_EQ(entries(), QStringList({"c", "b", "a"}));

    panel().List1->setCurrentRow(-1);
    click("CmdDown");
    click("CmdUP");
    EXPECT_EQ(entries(), QStringList({"c", "b", "a"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(panel().findChild<QPushButton *>("CmdIns")->isHidden());
}

TEST_F(OrderTest, TheJoinFollowsTheNewOrder)
{
    importClips(3, 0.2);
    panel().List1->setCurrentRow(0);
    click("CmdDown"); // b a c
    panel().List1->setCurrentRow(2);
    click("CmdUP"); // b c a
    ASSERT_TRUE(joinClipList(form->workspace().clips().names(), env.paths()).ok());
    const QByteArray expected = readWavData(clip("b")).take() + readWavData(clip("c")).take() + readWavData(clip("a")).take();
    EXPECT_TRUE(readWavData(env.paths().concatFile()).take() == expected);
}

TEST_F(OrderTest, MovingThePlayingEntryKeepsItPlayingAndThePlayListGoesOnInTheNewOrder)
{
    importClips(3, 0.6);
    panel().Check1->setChecked(true);
    QStringList startedAfterDone;
    QObject::connect(form->MMCPlayList(), &MMControl::Done,
                     [&] { startedAfterDone << GetFileName(form->MMCPlayList()->FileName()); });
    panel().List1->setCurrentRow(0);
    click("CmdPlay");
    click("CmdDown"); // b a c, with a still playing
    EXPECT_TRUE(form->MMCPlayList()->isPlaying());
    EXPECT_EQ(form->MMCPlayList()->FileName(), clip("a"));
    EXPECT_EQ(selected(), 1);
    ASSERT_TRUE(waitFor([&] { return startedAfterDone.size() == 2; }, 8000)) << startedAfterDone.join('|').toStdString();
    // After a: c (b now lies before a); after c: the end of the list.
    EXPECT_EQ(startedAfterDone, QStringList({"c.wav", "c.wav"}));
    EXPECT_EQ(editor().player().playIndex(), 3);
}

TEST_F(OrderTest, ForwardAndNextPlayTheNeighboursOfTheSelectedEntry)
{
    importClips(3, 2);
    MMControl *player = form->MMCPlayList();
    panel().List1->setCurrentRow(1);
    click("CmdNext");
    EXPECT_EQ(player->FileName(), clip("c"));
    EXPECT_TRUE(player->isPlaying());
    EXPECT_EQ(selected(), 2);
    click("CmdNext"); // the last entry: nothing
    EXPECT_EQ(player->FileName(), clip("c"));
    EXPECT_EQ(selected(), 2);

    click("CmdFoward");
    EXPECT_EQ(player->FileName(), clip("b"));
    click("CmdFoward");
    EXPECT_EQ(player->FileName(), clip("a"));
    EXPECT_EQ(selected(), 0);
    EXPECT_EQ(editor().player().playIndex(), 1);
    click("CmdFoward"); // the first entry: nothing
    EXPECT_EQ(player->FileName(), clip("a"));

    panel().List1->setCurrentRow(-1);
    player->setCommand(QStringLiteral("close"));
    click("CmdNext");
    click("CmdFoward");
    EXPECT_FALSE(player->isOpen());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OrderTest, PauseAndResumeKeepThePosition)
{
    importClips(1, 4);
    MMControl *player = form->MMCPlayList();
    editor().player().Timer1_Timer(); // a listed clip enables the player's buttons
    click("CmdPause");                // nothing open: nothing happens
    EXPECT_FALSE(player->isOpen());

    panel().List1->setCurrentRow(0);
    click("CmdPlay");
    ASSERT_TRUE(waitFor([&] { return player->Position() > 800; }, 4000)) << player->Position();
    click("CmdPause");
    ASSERT_TRUE(player->isPaused());
    const int paused = player->Position();
    waitFor([] { return false; }, 600);
    EXPECT_NEAR(player->Position(), paused, 100) << "a paused clip stands still";
    click("CmdPause");
    ASSERT_TRUE(player->isPlaying());
    EXPECT_NEAR(player->Position(), paused, 100);
    ASSERT_TRUE(waitFor([&] { return player->Position() > paused + 300; }, 3000)) << "it plays on after resuming";
    EXPECT_EQ(selected(), 0);
}
