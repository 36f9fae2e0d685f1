#include "base/wavformat.h"
#include "editor/cliptrimmer.h"
#include "editorfixture.h"
#include "platform/mci/mmcontrol.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

QByteArray audioOf(const QString &path, WavInfo *info = nullptr)
{
    WavInfo local;
    return readWavData(path, info ? info : &local).take();
}

// The bytes of [fromMs, toMs) of a clip at its own rate.
QByteArray stretch(const QByteArray &audio, const WavInfo &info, int fromMs, int toMs)
{
    const qint64 a = qint64(std::llround(fromMs * double(info.sampleRate) / 1000.0)) * info.blockAlign;
    const qint64 b = qint64(std::llround(toMs * double(info.sampleRate) / 1000.0)) * info.blockAlign;
    return audio.mid(a, b - a);
}

} // namespace

class TrimTest : public EditorTest {
protected:
    // Imports a song and opens it for trimming.
    QString openSong(const QString &name, double seconds, const QString &format = QStringLiteral("-r 44100 -c 2 -b 16"))
    {
        importThroughDialog(makeSong(name, seconds, format));
        panel().List1->setCurrentRow(panel().List1->count() - 1);
        editor().trimmer().List1_DblClick();
        return env.paths().clipFile(entries().last());
    }
};

TEST_F(TrimTest, OpeningShowsTheLengthAndEnablesTheTrimmingControls)
{
    openSong(QStringLiteral("song.wav"), 30);
    EXPECT_EQ(form->MMCEdit()->Length(), 30000);
    EXPECT_EQ(panel().SliderEdit->maximum(), 30);
    EXPECT_EQ(panel().Lbltotal->text(), QStringLiteral("00:00:30"));
    EXPECT_EQ(panel().Lblout->text(), QStringLiteral("00:00:30"));
    EXPECT_EQ(panel().Lblin->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(form->workspace().trim().mode(), EditMode::Edit);
    for (QWidget *w : {(QWidget *)panel().SliderEdit, (QWidget *)panel().CmdEditPlay, (QWidget *)panel().CmdMarkin,
                       (QWidget *)panel().CmdEditDone})
        EXPECT_TRUE(w->isEnabled());
    for (QWidget *w : {panel().CmdFoward, panel().CmdPause, panel().CmdPlay, panel().CmdStop, panel().CmdNext})
        EXPECT_FALSE(w->isEnabled());
}

TEST_F(TrimTest, DoneKeepsExactlyTheMarkedStretch)
{
    const QString clip = openSong(QStringLiteral("song.wav"), 30);
    WavInfo before;
    const QByteArray source = audioOf(clip, &before);
    editor().trimmer().setMarks(5000, 12000);
    click("CmdEditDone");
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
    WavInfo after;
    const QByteArray cut = audioOf(clip, &after);
    ASSERT_TRUE(after.ok);
    EXPECT_EQ(after.sampleRate, 44100u);
    EXPECT_EQ(after.channels, 2);
    EXPECT_EQ(cut.size(), qint64(7000) * 44100 / 1000 * 4);
    EXPECT_TRUE(cut == stretch(source, before, 5000, 12000));
    EXPECT_EQ(QFile(clip).size(), cut.size() + 44) << "written in the 44-byte layout";
    EXPECT_EQ(form->workspace().trim().mode(), EditMode::Play);
    EXPECT_FALSE(panel().CmdEditDone->isEnabled());
    EXPECT_FALSE(QFile::exists(env.paths().scratchFile("temp.wav")));
    EXPECT_FALSE(QFile::exists(env.paths().scratchFile("temp2.wav")));

    // Opened again, the shorter length shows.
    editor().trimmer().List1_DblClick();
    EXPECT_EQ(panel().Lbltotal->text(), QStringLiteral("00:00:07"));
}

TEST_F(TrimTest, DoneWithoutMarksKeepsTheWholeClipAndMarkInAloneCutsTheStart)
{
    const QString clip = openSong(QStringLiteral("whole.wav"), 20);
    WavInfo info;
    const QByteArray source = audioOf(clip, &info);
    click("CmdEditDone");
    EXPECT_TRUE(audioOf(clip) == source);

    editor().trimmer().List1_DblClick();
    editor().trimmer().setMarks(4000, form->MMCEdit()->Length());
    click("CmdEditDone");
    EXPECT_TRUE(audioOf(clip) == stretch(source, info, 4000, 20000));
}

TEST_F(TrimTest, OddFormatsAreCutOnTheirOwnSamples)
{
    const char *formats[] = {"-r 22050 -c 1 -b 16", "-r 48000 -c 2 -b 16", "-r 44100 -c 1 -b 8", "-r 44100 -c 2 -b 24"};
    int n = 0;
    for (const char *format : formats) {
        const QString clip = openSong(QStringLiteral("f%1.wav").arg(n++), 3, QString::fromLatin1(format));
        WavInfo info;
        const QByteArray source = audioOf(clip, &info);
        editor().trimmer().setMarks(500, 1750);
        click("CmdEditDone");
        WavInfo after;
        const QByteArray cut = audioOf(clip, &after);
        EXPECT_EQ(after.sampleRate, info.sampleRate) << format;
        EXPECT_EQ(after.bitsPerSample, info.bitsPerSample) << format;
        EXPECT_TRUE(cut == stretch(source, info, 500, 1750)) << format;
    }
}

TEST_F(TrimTest, RefusedMarksChangeNothing)
{
    const QString clip = openSong(QStringLiteral("song.wav"), 5);
    const QByteArray before = readFile(clip);
    editor().trimmer().setMarks(3000, 3000);
    click("CmdEditDone");
    editor().trimmer().setMarks(4000, 1000);
    click("CmdEditDone");
    EXPECT_EQ(dialogs.texts(), QStringList({"Time Input Error", "Time Input Error"}));
    EXPECT_EQ(form->workspace().trim().mode(), EditMode::Edit);
    EXPECT_TRUE(panel().CmdEditDone->isEnabled());
    EXPECT_EQ(readFile(clip), before);
}

TEST_F(TrimTest, ACutThatFailsLeavesTheClipAsItWas)
{
    // A clip that is not audio at all: the cut fails and says so.
    QDir().mkpath(env.paths().workDir);
    writeFile(env.paths().clipFile("junk"), "RIFF this is no wave at all");
    form->workspace().clips().append(ClipEntry{QStringLiteral("junk"), {}});
    panel().List1->setCurrentRow(0);
    editor().trimmer().List1_DblClick();
    EXPECT_EQ(form->MMCEdit()->Length(), 0);
    editor().trimmer().setMarks(0, 1000);
    click("CmdEditDone");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("junk"));
    EXPECT_EQ(readFile(env.paths().clipFile("junk")), QByteArray("RIFF this is no wave at all"));
}

TEST_F(TrimTest, DoneCutsTheClipThatWasOpenedWhateverTheListPlayerSelectsSince)
{
    const QString a = openSong(QStringLiteral("a.wav"), 2);
    importThroughDialog(makeSong(QStringLiteral("b.wav"), 3, QStringLiteral("-r 44100 -c 2 -b 16"), 880));
    const QString b = env.paths().clipFile(QStringLiteral("b"));
    const QByteArray bBefore = readFile(b);
    panel().List1->setCurrentRow(0);
    editor().trimmer().List1_DblClick();
    WavInfo info;
    const QByteArray source = audioOf(a, &info);

    editor().trimmer().setMarks(500, 1500);
    editor().player().Timer1_Timer(); // enables Next: "a" is not the last entry
    click("CmdNext");                 // the list player selects and plays "b"
    ASSERT_EQ(panel().List1->currentRow(), 1);
    click("CmdEditDone");
    EXPECT_TRUE(audioOf(a) == stretch(source, info, 500, 1500));
    EXPECT_EQ(readFile(b), bBefore);

    // The opened entry removed meanwhile: Done says so and cuts nothing.
    editor().trimmer().List1_DblClick(); // "b" is selected now
    editor().trimmer().setMarks(100, 200);
    dialogs.answers = {dialogs::Answer::Yes};
    click("Cmdremove");
    ASSERT_EQ(entries(), QStringList{"a"});
    dialogs.messages.clear();
    click("CmdEditDone");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("was removed")) << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(audioOf(a).size(), stretch(source, info, 500, 1500).size());
}
