#include "editor/cliptrimmer.h"
#include "editorfixture.h"
#include "platform/mci/mmcontrol.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

// Keys pressed while the waveform has the focus, as after a click on it.
class KeysTest : public EditorTest {
protected:
    KeysTest() : waveform(form->findChild<QWidget *>(QStringLiteral("Waveform")))
    {
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        waveform->setFocus();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    QString tip(const char *name) const { return form->findChild<QWidget *>(QString::fromLatin1(name))->toolTip(); }
    void openClip(double seconds)
    {
        importThroughDialog(makeSong(QStringLiteral("song.wav"), seconds));
        panel().List1->setCurrentRow(0);
        editor().trimmer().List1_DblClick();
    }
    QWidget *waveform;
};

TEST_F(KeysTest, TooltipsNameTheKeysAfterTheirText)
{
    EXPECT_EQ(tip("CmdEditPlay"), QStringLiteral("Play (Space)"));
    EXPECT_EQ(tip("CmdEditStop"), QStringLiteral("Stop (Space)"));
    EXPECT_EQ(tip("CmdMarkin"), QStringLiteral("Mark In (I)"));
    EXPECT_EQ(tip("CmdMarkOut"), QStringLiteral("Mark Out (O)"));
    EXPECT_EQ(tip("Cmdremove"), QStringLiteral("Remove Form List (Del)"));
    EXPECT_EQ(tip("CmdSaveList"), QStringLiteral("Save The List to MP3 (Ctrl+S)"));
    EXPECT_EQ(tip("CmdPlay"), QStringLiteral("Play")) << "the list player's buttons have no keys";
}

TEST_F(KeysTest, SpacePlaysAndStopsTheTrimmingPlayerAndIAndOTakeTheMarks)
{
    press(Qt::Key_Space); // no clip open: the buttons are off, nothing happens
    EXPECT_FALSE(form->MMCEdit()->isOpen());

    openClip(4);
    MMControl *edit = form->MMCEdit();
    press(Qt::Key_Space);
    EXPECT_TRUE(edit->isPlaying());
    ASSERT_TRUE(waitFor([&] { return edit->Position() > 500; }, 4000));
    press(Qt::Key_Space);
    EXPECT_FALSE(edit->isPlaying());
    const int at = edit->Position();
    press(Qt::Key_I);
    EXPECT_EQ(form->workspace().trim().markIn(), at);

    press(Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return edit->Position() > at + 500; }, 4000));
    press(Qt::Key_Space);
    press(Qt::Key_O);
    EXPECT_EQ(form->workspace().trim().markOut(), edit->Position());
    EXPECT_GT(*form->workspace().trim().markOut(), at);
}

TEST_F(KeysTest, SpaceOnAFocusedButtonCheckBoxOrListIsTheirsNotThePlayers)
{
    openClip(2);
    for (const char *name : {"Check1", "List1", "CmdEditStop"}) {
        auto *control = form->findChild<QWidget *>(QString::fromLatin1(name));
        control->setFocus();
        press(Qt::Key_Space);
        EXPECT_FALSE(form->MMCEdit()->isPlaying()) << name;
    }
    EXPECT_TRUE(panel().Check1->isChecked()) << "Space ticks the focused check box";
    waveform->setFocus();
    press(Qt::Key_Space);
    EXPECT_TRUE(form->MMCEdit()->isPlaying());
}

TEST_F(KeysTest, DeleteAsksTheSameQuestionAndCtrlSSavesTheListAsMp3)
{
    importThroughDialog(makeSong(QStringLiteral("one.wav"), 0.2));
    panel().List1->setCurrentRow(0);
    dialogs.answers = {dialogs::Answer::Yes};
    press(Qt::Key_Delete);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Are you sure you want to delete one ?"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Deleting"));
    EXPECT_TRUE(entries().isEmpty());

    press(Qt::Key_S, Qt::ControlModifier); // cancelled
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_TRUE(dialogs.fileRequests[1].save);
    EXPECT_EQ(dialogs.fileRequests[1].filter, QStringLiteral("MP3(*.mp3)|*.mp3"));
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(KeysTest, TheKeysRestWhileAnotherPanelShows)
{
    importThroughDialog(makeSong(QStringLiteral("one.wav"), 0.2));
    panel().List1->setCurrentRow(0);
    form->Toolbar1_ButtonClick(QStringLiteral("Setting"));
    form->activateWindow();
    dialogs.answers = {dialogs::Answer::Yes};
    QTest::keyClick(form.get(), Qt::Key_Delete);
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.fileRequests.size(), 1) << "only the import's";
    EXPECT_EQ(entries(), QStringList{"one"});
}

TEST_F(KeysTest, CtrlZAndCtrlShiftZUndoAndRedoTheClipsLastEdit)
{
    EXPECT_EQ(tip("CmdUndo"), QStringLiteral("Undo the last edit of the clip (Ctrl+Z)"));
    EXPECT_EQ(tip("CmdRedo"), QStringLiteral("Redo the edit undone last (Ctrl+Shift+Z)"));
    openClip(2);
    const QString clip = form->workspace().trim().clipFile();
    const QByteArray before = readFile(clip);
    press(Qt::Key_N);
    const QByteArray after = readFile(clip);
    ASSERT_NE(after, before) << "N normalises";
    waveform->setFocus();
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(readFile(clip), before);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(readFile(clip), after);
}
