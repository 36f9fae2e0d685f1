// The Voice Record panel in the main window: its controls, the states of
// its buttons, and its set-up and release through the toolbar.
#include "recorderfixture.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "shell/settingspanel.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

TEST_F(RecorderTest, ThePanelStartsHiddenWithNothingToPlayOrSave)
{
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->title(), QStringLiteral("Vioce Record"));
    EXPECT_TRUE(panel->isHidden());
    EXPECT_EQ(panel->btnRecord->text(), QStringLiteral("Record"));
    EXPECT_TRUE(panel->btnRecord->isEnabled());
    EXPECT_FALSE(panel->btnPlay->isEnabled());
    EXPECT_FALSE(panel->btnSave->isEnabled());
    EXPECT_TRUE(panel->CmdWav->isHidden());
    EXPECT_TRUE(panel->CmdMp3->isHidden());
    EXPECT_FALSE(panel->tmrRecTest->isActive()) << "started by the set-up";
}

TEST_F(RecorderTest, WithoutASoundServerTheMessageShowsAndTheProgramGoesOn)
{
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:" + QDir(env.root()).filePath("no-server").toLocal8Bit());
    form->Toolbar1_ButtonClick(QStringLiteral("Rec"));
    server.isEmpty() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", server);
    EXPECT_FALSE(panel->isHidden());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Can't initialize device\r\n\r\nerror code: 6"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Error"));
    EXPECT_FALSE(panel->btnRecord->isEnabled());
    EXPECT_EQ(panel->cmbInput->count(), 0);
    // The rest of the program still works.
    form->Toolbar1_ButtonClick(QStringLiteral("Setting"));
    EXPECT_FALSE(form->FrameSetting()->isHidden());
}

// A recording made by handing the engine samples, then the buttons through
// saving and a second showing of the panel.
TEST_F(RecorderTest, ButtonsFollowTheRecordingAndShowingThePanelAgainResetsIt)
{
    if (openPanel())
        EXPECT_TRUE(panel->tmrRecTest->isActive());
    ASSERT_TRUE(engine().newBuffer());
    feed(sine(0.1), 4410);
    engine().EndCapture();
    if (!engine().playChan)
        GTEST_SKIP() << "the library made no playback stream (no output device)";
    EXPECT_EQ(panel->btnRecord->text(), QStringLiteral("Record"));
    EXPECT_TRUE(panel->btnPlay->isEnabled());
    EXPECT_TRUE(panel->btnSave->isEnabled());
    EXPECT_TRUE(panel->CmdWav->isHidden());
    // The length alone unless the library calls the stream playing.
    const bool active = form->audio().api()->BASS_ChannelIsActive(engine().playChan) == BASS_ACTIVE_PLAYING;
    panel->tmrRecTest_Timer();
    EXPECT_EQ(panel->lblPos->text(), active ? QStringLiteral("0 / 17640") : QStringLiteral("17640"));

    const QStringList homeBefore = QDir(env.paths().homeDir).entryList(QDir::Files);
    panel->btnSave->click();
    EXPECT_FALSE(panel->CmdWav->isHidden());
    EXPECT_FALSE(panel->CmdMp3->isHidden());
    panel->CmdWav->click(); // cancelled
    EXPECT_TRUE(panel->CmdWav->isHidden());
    EXPECT_TRUE(panel->CmdMp3->isHidden());
    panel->btnSave->click();
    panel->CmdMp3->click(); // cancelled
    EXPECT_TRUE(panel->CmdMp3->isHidden());
    EXPECT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_EQ(QDir(env.paths().homeDir).entryList(QDir::Files), homeBefore);
    EXPECT_FALSE(QFile::exists(env.paths().recorderTempFile()));
    EXPECT_TRUE(form->Text1()->text().isEmpty()) << "nothing was encoded";

    // A new recording discards this one at once; Save goes and so do Wav and MP3.
    panel->btnSave->click();
    panel->btnRecord_Click();
    EXPECT_FALSE(panel->btnPlay->isEnabled());
    EXPECT_FALSE(panel->btnSave->isEnabled());
    EXPECT_TRUE(panel->CmdWav->isHidden());
    EXPECT_TRUE(panel->CmdMp3->isHidden());
    if (!engine().capChan) {
        EXPECT_TRUE(dialogs.texts().last().startsWith(QStringLiteral("Couldn't start recording\r\n\r\nerror code: ")));
        EXPECT_FALSE(engine().hasBuffer()) << "the new buffer is released";
        EXPECT_EQ(panel->btnRecord->text(), QStringLiteral("Record"));
    } else {
        EXPECT_EQ(panel->btnRecord->text(), QStringLiteral("Stop"));
        EXPECT_TRUE(engine().SaveCaptureMp3(false).isEmpty()) << "no saving while the image still grows";
        EXPECT_EQ(dialogs.fileRequests.size(), 2);
    }

    openPanel();
    EXPECT_EQ(engine().capChan, 0u);
    EXPECT_EQ(engine().playChan, 0u);
    EXPECT_FALSE(engine().hasBuffer());
    EXPECT_EQ(engine().capLen(), 0);
    EXPECT_EQ(engine().capStep, 200000);
    EXPECT_EQ(panel->btnRecord->text(), QStringLiteral("Record"));
    EXPECT_FALSE(panel->btnPlay->isEnabled());
    EXPECT_FALSE(panel->btnSave->isEnabled());
}
