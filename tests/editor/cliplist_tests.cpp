#include "editor/cliplist.h"
#include "editorfixture.h"

#include <QFile>
#include <QPushButton>

using dialogs::Answer;

TEST_F(EditorTest, ImportCopiesAWavSongIntoTheWorkingFolder)
{
    const QString song = makeSong(QStringLiteral("My Song.wav"), 0.5);
    importThroughDialog(song);
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].title, QStringLiteral("Select a file to Convert"));
    EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("Audio files (*.wav;*.mp3)|*.wav;*.mp3"));
    EXPECT_EQ(entries(), QStringList{"My Song"});
    EXPECT_EQ(readFile(env.paths().clipFile("My Song")), readFile(song));

    importThroughDialog(makeSong(QStringLiteral("A.WAV"), 0.2)); // the type test ignores case
    EXPECT_EQ(entries(), QStringList({"My Song", "A"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EditorTest, CancelAndOtherTypesChangeNothing)
{
    click("CmdAdd"); // unscripted: cancelled
    importThroughDialog(env.homeFile(QStringLiteral("notes.txt"), "text"));
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EditorTest, ASecondSongOfTheSameNameNeverReplacesTheFirstClip)
{
    importThroughDialog(makeSong(QStringLiteral("a.wav"), 0.3, "-r 44100 -c 2 -b 16", 440));
    QDir().mkpath(env.paths().homeDir + "/other");
    importThroughDialog(makeSong(QStringLiteral("other/a.wav"), 0.3, "-r 22050 -c 1 -b 16", 880));
    importThroughDialog(makeSong(QStringLiteral("a.wav"), 0.3));
    EXPECT_EQ(entries(), QStringList({"a", "a (2)", "a (3)"}));
    EXPECT_EQ(readFile(env.paths().clipFile("a (2)")), readFile(env.paths().homeDir + "/other/a.wav"));
    EXPECT_NE(readFile(env.paths().clipFile("a")), readFile(env.paths().clipFile("a (2)")));
}

TEST_F(EditorTest, AFailedCopyLeavesNoEntryAndSaysWhichSong)
{
    const QString song = makeSong(QStringLiteral("gone.wav"), 0.2);
    QFile::remove(song); // vanished between the dialog and the copy
    importThroughDialog(song);
    EXPECT_TRUE(entries().isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains(song));
    EXPECT_TRUE(QDir(env.paths().workDir).entryList(QDir::Files).isEmpty()) << "no partial clip left";
}

TEST_F(EditorTest, ShortSongNamesKeepTheirWholeName)
{
    EXPECT_EQ(clipNameOf(QStringLiteral("/m/My Song.mp3")), QStringLiteral("My Song"));
    EXPECT_EQ(clipNameOf(QStringLiteral("/m/a.b.wav")), QStringLiteral("a.b"));
    EXPECT_EQ(clipNameOf(QStringLiteral("/m/x.flac")), QStringLiteral("x."));
    EXPECT_EQ(clipNameOf(QStringLiteral("/m/.wav")), QStringLiteral(".wav"));
    EXPECT_EQ(clipNameOf(QStringLiteral("abc")), QStringLiteral("abc"));
}

TEST_F(EditorTest, RemovalAsksAndDeletesOnlyOnYes)
{
    importThroughDialog(makeSong(QStringLiteral("one.wav"), 0.2));
    importThroughDialog(makeSong(QStringLiteral("two.wav"), 0.2));

    click("Cmdremove"); // nothing selected: no question
    EXPECT_TRUE(dialogs.messages.isEmpty());

    panel().List1->setCurrentRow(0);
    dialogs.answers = {Answer::No};
    click("Cmdremove");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Deleting"));
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Are you sure you want to delete one ?"));
    EXPECT_EQ(entries(), QStringList({"one", "two"}));
    EXPECT_FALSE(panel().CmdEditPlay->isEnabled());

    panel().List1->setCurrentRow(0);
    dialogs.answers = {Answer::Yes};
    click("Cmdremove");
    EXPECT_EQ(entries(), QStringList{"two"});
    EXPECT_FALSE(QFile::exists(env.paths().clipFile("one")));

    QFile::remove(env.paths().clipFile("two")); // its file already gone
    panel().List1->setCurrentRow(0);
    dialogs.answers = {Answer::Yes};
    click("Cmdremove");
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_EQ(dialogs.messages.size(), 3); // only the two questions
}

TEST_F(EditorTest, SelectionSetsTheButtonsAndEndsTheTrimmingSession)
{
    importThroughDialog(makeSong(QStringLiteral("one.wav"), 0.2));
    editor().state().markIn = 100;
    editor().state().markOut = 200;
    panel().List1->setCurrentRow(0);
    for (QWidget *w : {panel().CmdEditDone, panel().CmdFoward, panel().CmdPause, panel().CmdPlay, panel().CmdStop,
                       panel().CmdNext})
        EXPECT_TRUE(w->isEnabled());
    for (QWidget *w : {panel().CmdEditPlay, panel().CmdEditStop, panel().CmdMarkin, panel().CmdMarkOut})
        EXPECT_FALSE(w->isEnabled());
    click("CmdEditDone");
    EXPECT_EQ(dialogs.texts(), QStringList{"Time Input Error"});
}
