#include "editor/listplayer.h"
#include "editorfixture.h"
#include "platform/mci/mmcontrol.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>

class PlayerTest : public EditorTest {
protected:
    void importShortClips(int n, double seconds)
    {
        for (int i = 0; i < n; ++i)
            importThroughDialog(makeSong(QStringLiteral("c%1.wav").arg(i), seconds));
    }
    ListPlayer &player() { return editor().player(); }
};

TEST_F(PlayerTest, PlayListPlaysOnInOrderAndEndsClosedOnTheLastEntry)
{
    importShortClips(3, 0.6);
    QStringList played;
    QObject::connect(form->MMCPlayList(), &MMControl::Done, [&] { played << form->MMCPlayList()->FileName(); });
    panel().Check1->setChecked(true);
    panel().List1->setCurrentRow(0);
    click("CmdPlay");
    EXPECT_EQ(panel().List1->currentRow(), 0);
    ASSERT_TRUE(waitFor([&] { return played.size() == 3; }, 8000)) << played.size();
    // Seen after each clip's end: the list player has already moved on to the
    // next entry, and stays on the last one when the list is through.
    EXPECT_EQ(played.join('|').toStdString(),
              QStringList({env.paths().clipFile("c1"), env.paths().clipFile("c2"), env.paths().clipFile("c2")})
                  .join('|')
                  .toStdString());
    waitFor([&] { return !form->MMCPlayList()->isOpen(); }, 1000);
    EXPECT_FALSE(form->MMCPlayList()->isOpen());
    EXPECT_EQ(panel().List1->currentRow(), 2);
    EXPECT_EQ(editor().player().playIndex(), 3);
}

TEST_F(PlayerTest, WithoutPlayListOnlyTheSelectedEntryPlays)
{
    importShortClips(2, 0.4);
    int done = 0;
    QObject::connect(form->MMCPlayList(), &MMControl::Done, [&] { ++done; });
    panel().List1->setCurrentRow(0);
    click("CmdPlay");
    ASSERT_TRUE(waitFor([&] { return done == 1; }, 4000));
    waitFor([] { return false; }, 700);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(panel().List1->currentRow(), 0);
    EXPECT_TRUE(form->MMCPlayList()->isOpen());
}

TEST_F(PlayerTest, PlayWithoutSelectionAsksForOne)
{
    importShortClips(1, 0.1);
    panel().List1->setCurrentRow(-1);
    player().Timer1_Timer(); // a listed clip enables Play
    click("CmdPlay");
    EXPECT_EQ(dialogs.texts(), QStringList{"Please select the song to play"});
}

TEST_F(PlayerTest, TimerRulesFollowTheListTheSelectionAndTheMode)
{
    player().Timer1_Timer();
    EXPECT_FALSE(panel().CmdPlay->isEnabled());
    importShortClips(3, 0.1);
    panel().List1->setCurrentRow(-1);
    player().Timer1_Timer();
    EXPECT_TRUE(panel().CmdPlay->isEnabled());
    EXPECT_FALSE(panel().CmdNext->isEnabled());
    EXPECT_FALSE(panel().CmdFoward->isEnabled());

    panel().List1->setCurrentRow(1);
    player().Timer1_Timer();
    EXPECT_TRUE(panel().CmdNext->isEnabled());
    EXPECT_TRUE(panel().CmdFoward->isEnabled());
    panel().List1->setCurrentRow(2);
    player().Timer1_Timer();
    EXPECT_FALSE(panel().CmdNext->isEnabled());

    // While a clip is open for trimming, Play, Pause and Stop stay as they are.
    panel().CmdPlay->setEnabled(false);
    form->workspace().trim().open(QString(), 0);
    player().Timer1_Timer();
    EXPECT_FALSE(panel().CmdPlay->isEnabled());
    EXPECT_TRUE(panel().CmdFoward->isEnabled());
}
