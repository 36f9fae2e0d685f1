#include "editor/clipeditorpanel.h"
#include "export/wavexport.h"
#include "platform/mci/mmcontrol.h"
#include "scripteddialogs.h"
#include "shell/folderlist.h"
#include "shell/frmmain.h"
#include "shell/settingspanel.h"
#include "testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A main window over its own temporary tree, shown as the program shows it.
struct Window {
    explicit Window(const TestEnv &env) : form(std::make_unique<Frmmain>(env.paths()))
    {
        form->endProgram = [this] { ended = true; };
        form->show();
    }
    template <class T> T *find(const char *name) const { return form->findChild<T *>(QString::fromLatin1(name)); }
    QRadioButton *option(int n) const { return find<QRadioButton>(qPrintable(QStringLiteral("Option%1").arg(n))); }
    std::unique_ptr<Frmmain> form;
    bool ended = false;
};

QString visiblePanel(const Frmmain &f)
{
    QStringList shown;
    for (const char *name : {"Framewav", "FrameRec", "FrameConvert", "FrameSetting", "FrameAbout"})
        if (!f.findChild<QWidget *>(QString::fromLatin1(name))->isHidden())
            shown << QString::fromLatin1(name);
    return shown.join(',');
}

} // namespace

TEST(StartUp, FirstRunWithoutSettingsFile)
{
    TestEnv env;
    Window w(env);
    EXPECT_EQ(w.form->windowTitle(), QStringLiteral("Orvane Clipforge"));
    EXPECT_EQ(visiblePanel(*w.form), QStringLiteral("Framewav"));
    EXPECT_TRUE(w.option(4)->isChecked());
    EXPECT_FALSE(w.form->settings().BitRate);
    EXPECT_EQ(w.form->settings().BaseFolder, QDir::cleanPath(env.paths().homeDir));
    EXPECT_TRUE(QFileInfo(env.paths().workDir).isDir());
    EXPECT_EQ(QFileInfo(env.paths().workDir).permissions() & 0x0077, 0) << "working folder is private";
    EXPECT_EQ(w.find<QLabel>("Label6")->text(), QStringLiteral("Click to Select Play\r\nDouble Click to Select Edit"));
    for (const char *name : {"CmdFoward", "CmdPause", "CmdPlay", "CmdStop", "CmdNext", "SliderEdit", "CmdEditPlay",
                             "CmdEditStop", "CmdMarkin", "CmdMarkOut", "CmdEditDone"})
        EXPECT_FALSE(w.find<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(w.find<QWidget>("CmdUP")->isEnabled());
    EXPECT_TRUE(w.find<QWidget>("CmdIns")->isHidden());
}

TEST(StartUp, StoredBitRateSelectsItsOption)
{
    const std::pair<QByteArray, int> cases[] = {{" 56 ", 1}, {" 96 ", 2}, {"96", 2}, {"  128", 3}, {" 256 ", 4}};
    for (const auto &[line, option] : cases) {
        TestEnv env;
        writeFile(env.paths().settingsFile, line + "\r\n/elsewhere\r\n");
        Window w(env);
        for (int i = 1; i <= 4; ++i)
            EXPECT_EQ(w.option(i)->isChecked(), i == option) << line.constData() << " option " << i;
        EXPECT_EQ(*w.form->settings().BitRate, line.trimmed().toInt());
        // Line 2 is read, but the base folder always starts at home.
        EXPECT_EQ(w.form->settings().BaseFolder, QDir::cleanPath(env.paths().homeDir));
    }
}

TEST(StartUp, OtherNumberStaysInBitRateAndSelectsNothingNew)
{
    TestEnv env;
    writeFile(env.paths().settingsFile, " 320 \r\n");
    Window w(env);
    EXPECT_EQ(*w.form->settings().BitRate, 320);
    EXPECT_TRUE(w.option(4)->isChecked());
}

TEST(StartUp, WorkingFolderKeptWhenPresentAndEmptiedAtExit)
{
    TestEnv env;
    QDir().mkpath(env.paths().workDir);
    writeFile(env.paths().workFile("left.wav"), "old");
    Window w(env);
    EXPECT_EQ(readFile(env.paths().workFile("left.wav")), QByteArray("old"));

    w.form->Toolbar1_ButtonClick(QStringLiteral("Exit"));
    EXPECT_TRUE(w.ended);
    EXPECT_TRUE(QFileInfo(env.paths().workDir).isDir());
    EXPECT_TRUE(QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_FALSE(w.form->MMCEdit()->isOpen());
}

TEST(StartUp, ClosingTheWindowEmptiesTheWorkingFolder)
{
    TestEnv env;
    Window w(env);
    writeFile(env.paths().workFile("clip.wav"), "x");
    writeFile(env.paths().workFile(".hidden"), "x");
    w.form->close();
    EXPECT_TRUE(w.ended);
    EXPECT_TRUE(QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(QFileInfo(env.paths().workDir).isDir());
}

TEST(Settings, SaveAndStartAgain)
{
    TestEnv env;
    {
        Window w(env);
        w.find<QPushButton>("CmdSaveSetting")->click(); // nothing changed: empty line 1, home
        EXPECT_EQ(readFile(env.paths().settingsFile),
                  QByteArray("\r\n") + QDir::cleanPath(env.paths().homeDir).toLocal8Bit() + "\r\n");
        w.option(2)->click();
        EXPECT_EQ(*w.form->settings().BitRate, 96);
        EXPECT_EQ(readFile(env.paths().settingsFile).left(2), QByteArray("\r\n")) << "options do not write";
        w.find<QPushButton>("CmdSaveSetting")->click();
        EXPECT_TRUE(readFile(env.paths().settingsFile).startsWith(" 96 \r\n"));
    }
    Window again(env);
    EXPECT_TRUE(again.option(2)->isChecked());
    EXPECT_EQ(*again.form->settings().BitRate, 96);
}

TEST(Settings, UnwritableSettingsFileIsReported)
{
    TestEnv env;
    QDir().mkpath(env.paths().settingsFile); // a folder where the file should be
    ScriptedDialogs dialogs;
    Window w(env);
    w.find<QPushButton>("CmdSaveSetting")->click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains(env.paths().settingsFile));
}

TEST(Settings, NewFolderIsMadeInsideTheShownFolderOnly)
{
    TestEnv env;
    ScriptedDialogs dialogs;
    Window w(env);
    auto *dir1 = w.form->FrameSetting()->Dir1();
    const QString home = dir1->path();

    dialogs.inputs = {std::nullopt, QStringLiteral(""), QStringLiteral("a/b"), QStringLiteral(".."),
                      QStringLiteral("Ringtones"), QStringLiteral("Ringtones")};
    for (int i = 0; i < 4; ++i)
        w.find<QPushButton>("CmdFolder")->click();
    EXPECT_EQ(dir1->path(), home);
    EXPECT_EQ(dialogs.messages.size(), 2); // the two bad names; cancel and empty say nothing
    EXPECT_EQ(dialogs.inputPrompts.first(), QStringLiteral("Create New Folder |New Folder Name"));

    w.find<QPushButton>("CmdFolder")->click();
    EXPECT_TRUE(QFileInfo(home + "/Ringtones").isDir());
    EXPECT_EQ(dir1->path(), home + "/Ringtones");
    EXPECT_EQ(w.form->settings().BaseFolder, home + "/Ringtones");

    dir1->setPath(home);
    w.find<QPushButton>("CmdFolder")->click(); // exists already
    EXPECT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dir1->path(), home);
}

TEST(Toolbar, SixIconButtonsSwitchOnePanelByExactKey)
{
    TestEnv env;
    ScriptedDialogs dialogs; // "Rec" may report that no recording device answers
    int released = 0;
    Window w(env);
    const QList<QAction *> actions = w.form->Toolbar1()->actions();
    ASSERT_EQ(actions.size(), 6);
    const QStringList tips{"Open Song", "Voice Record", "Convert", "Setting", "About", "Exit"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(actions[i]->text().isEmpty());
        EXPECT_FALSE(actions[i]->icon().isNull());
        EXPECT_EQ(actions[i]->toolTip(), tips[i]);
    }
    const std::pair<const char *, const char *> keys[] = {{"Rec", "FrameRec"},
                                                          {"Convert", "FrameConvert"},
                                                          {"Setting", "FrameSetting"},
                                                          {"Help", "FrameAbout"},
                                                          {"Wav", "Framewav"}};
    for (const auto &[key, panel] : keys) {
        w.find<QToolButton>(key)->click();
        EXPECT_EQ(visiblePanel(*w.form), QString::fromLatin1(panel));
    }
    w.form->recorderRelease = [&] { ++released; };
    w.form->Toolbar1_ButtonClick(QStringLiteral("setting")); // case counts
    EXPECT_EQ(visiblePanel(*w.form), QStringLiteral("Framewav"));
    EXPECT_EQ(released, 1);
    EXPECT_EQ(w.form->MMCEdit()->Command(), QStringLiteral("stop"));
    EXPECT_EQ(w.form->MMCPlayList()->Command(), QStringLiteral("Close"));
    EXPECT_FALSE(w.ended);
}

TEST(Toolbar, AboutLabelsFilledOnEveryClick)
{
    TestEnv env;
    Window w(env);
    auto *version = w.find<QLabel>("lblVersion");
    EXPECT_EQ(version->text(), QStringLiteral("Version"));
    w.form->Toolbar1_ButtonClick(QStringLiteral("Help"));
    EXPECT_EQ(version->text(), QStringLiteral("Version %1.%2.%3")
                                   .arg(CLIPFORGE_VERSION_MAJOR)
                                   .arg(CLIPFORGE_VERSION_MINOR)
                                   .arg(CLIPFORGE_VERSION_PATCH));
    EXPECT_EQ(w.find<QLabel>("lblTitle")->text(), QStringLiteral("Orvane Clipforge"));
    EXPECT_TRUE(w.find<QLabel>("lblDescription")->text().startsWith("Orvane Clipforge can Crop and Convert You"));
    const QStringList support = w.find<QLabel>("Label7")->text().split("\r\n");
    ASSERT_EQ(support.size(), 3);
    EXPECT_EQ(support[0], QStringLiteral("Support :"));
    EXPECT_TRUE(support[1].endsWith("@example.org"));
    version->setText(QStringLiteral("Version"));
    w.form->Toolbar1_ButtonClick(QStringLiteral("Help"));
    EXPECT_NE(version->text(), QStringLiteral("Version"));
}

TEST(Toolbar, TooltipsOfTheAudioEditButtons)
{
    TestEnv env;
    Window w(env);
    const std::pair<const char *, const char *> tips[] = {
        {"CmdFoward", "Forward"}, {"CmdPause", "Pause"}, {"CmdPlay", "Play"},         {"CmdStop", "Stop"},
        {"CmdNext", "Next"},      {"CmdAdd", "Add New"}, {"Cmdremove", "Remove Form List"},
        {"CmdUP", "Move UP"},     {"CmdDown", "Move Down"}};
    for (const auto &[name, tip] : tips)
        EXPECT_TRUE(w.find<QWidget>(name)->toolTip().startsWith(QString::fromLatin1(tip))) << name;
}

TEST(Wiring, TheEditorPanelsSaveButtonsStartTheListExportsInOneDialog)
{
    TestEnv env;
    ScriptedDialogs dialogs; // every file dialog cancelled
    Window w(env);
    for (const char *button : {"CmdSaveWav", "CmdSaveList", "CmdSaveRingtone"})
        w.form->Framewav()->findChild<QPushButton *>(QString::fromLatin1(button))->click();
    QStringList filters;
    for (const dialogs::FileRequest &r : dialogs.fileRequests)
        filters << r.filter.section(QLatin1Char('|'), 0, 1);
    EXPECT_EQ(filters, (QStringList{"Wav(*.wav)|*.wav", "MP3(*.mp3)|*.mp3", "iPhone ringtone|*.m4r"}));
    EXPECT_EQ(w.form->Framewav()->findChild<CommonDialog *>(QStringLiteral("CmdSave")), w.form->wavExport()->CmdSave());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(w.form->isEnabled());
}
