#include "base/apptitle.h"
#include "base/wavformat.h"
#include "converter/converterpanel.h"
#include "core/cliplist.h"
#include "core/encoderqueue.h"
#include "encode/mp3enc.h"
#include "export/mp3export.h"
#include "export/ringtoneexport.h"
#include "featureharness.h"
#include "widgets/frmload.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

// The converter panel with the list exports it shares the encoder and the
// window with; the converted songs become clips of the workspace's list.
class ConverterTest : public ::testing::Test, protected FeatureHarness {
protected:
    ConverterTest()
        : panel(new ConverterPanel({workspace.settings(),
                                    SongImporter(workspace.clips(), workspace.paths(), workspace.audio(), workspace.decoder()),
                                    jobs, workspace.encoder(), busy, notices},
                                   &window))
    {
        terminate = [] { ADD_FAILURE() << "the program was ended"; };
        panel->show();
    }
    QString tone(const QString &name, double seconds)
    {
        const QString path = env.paths().homeDir + QLatin1Char('/') + name;
        EXPECT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth %2 sine 1000 vol 0.5")
                               .arg(path)
                               .arg(seconds)),
                  0);
        return path;
    }
    QString mp3Song(const QString &name, double seconds)
    {
        const QString wav = tone(name + ".wav", seconds);
        const QString out = env.paths().homeDir + QLatin1Char('/') + name;
        EXPECT_EQ(runShell(QStringLiteral("lame --quiet -b 128 '%1' '%2'").arg(wav, out)), 0);
        return out;
    }
    // Converts to WAV and waits for the message that ends it.
    void convertToWav()
    {
        const qsizetype shown = dialogs.messages.size();
        panel->CmdconvertWav->click();
        EXPECT_TRUE(waitFor([&] { return dialogs.messages.size() > shown; }, 30000)) << "no message came";
    }
    QStringList entries() const { return workspace.clips().names(); }

    ConverterPanel *panel;
};

TEST_F(ConverterTest, ControlsStartEmptyAndTheWavSideIsFilledOnlyByItsChoosers)
{
    for (QLineEdit *box : {panel->txtopenwav, panel->txtsavemp3, panel->txtopenmp3, panel->txtsavewav})
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_FALSE(panel->txtopenwav->isEnabled());
    EXPECT_FALSE(panel->txtsavemp3->isEnabled());
    EXPECT_TRUE(panel->txtopenmp3->isEnabled());
    EXPECT_TRUE(panel->Text2->isHidden());
    EXPECT_EQ(panel->CmdConvertMP3->text(), QStringLiteral("Convert to MP3"));
    EXPECT_EQ(panel->CmdconvertWav->text(), QStringLiteral("Convert to Wav"));
}

TEST_F(ConverterTest, ChoosersShareOneDialogAndCancelEmptiesTheBox)
{
    dialogs.files = {QStringLiteral("/x/in.mp3"), env.paths().homeDir + "/out"};
    panel->CmdopenMp3->click();
    panel->CmdSavewav2->click();
    EXPECT_EQ(panel->txtopenmp3->text(), QStringLiteral("/x/in.mp3"));
    EXPECT_EQ(panel->txtsavewav->text(), env.paths().homeDir + "/out.wav");
    ASSERT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_TRUE(dialogs.fileRequests[0].filter.startsWith(QStringLiteral("Audio and video files|*.wav;*.mp3;*.flac;")))
        << "the songs the import takes";
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_TRUE(dialogs.fileRequests[1].save);
    EXPECT_EQ(dialogs.fileRequests[1].filter, QStringLiteral("Wav File(*.wav)|*.wav"));
    EXPECT_EQ(dialogs.fileRequests[1].initDir, workspace.settings().BaseFolder);

    panel->CmdopenMp3->click(); // cancelled
    EXPECT_TRUE(panel->txtopenmp3->text().isEmpty());
    panel->CmdconvertWav->click(); // nothing to convert: nothing happens
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ConverterTest, SongToWavListsTheClipAndCopiesItByteForByte)
{
    const QString song = mp3Song(QStringLiteral("song.mp3"), 1);
    const QString target = env.paths().homeDir + "/converted.wav";
    panel->txtopenmp3->setText(song);
    panel->txtsavewav->setText(target);
    convertToWav();
    EXPECT_EQ(dialogs.texts(), QStringList{"Convert Finish"});
    EXPECT_EQ(dialogs.messages[0].title, applicationTitle());
    EXPECT_EQ(entries(), QStringList{"song"});
    EXPECT_EQ(readFile(target), readFile(env.paths().clipFile("song")));
    EXPECT_TRUE(readWavInfo(target).ok);
    EXPECT_EQ(busy.window()->Label1()->text(), QStringLiteral("Converting......."));
    EXPECT_TRUE(window.isEnabled());

    // Converting the same song again never replaces the listed clip's file.
    const QByteArray first = readFile(env.paths().clipFile("song"));
    convertToWav();
    EXPECT_EQ(entries(), QStringList({"song", "song (2)"}));
    EXPECT_EQ(readFile(env.paths().clipFile("song")), first);
}

TEST_F(ConverterTest, AnOutputThatCannotBeWrittenIsReportedNotFinished)
{
    panel->txtopenmp3->setText(mp3Song(QStringLiteral("song.mp3"), 0.5));
    panel->txtsavewav->setText(env.paths().homeDir + "/no such folder/out.wav");
    convertToWav();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("no such folder")) << dialogs.messages[0].text.toStdString();
    EXPECT_FALSE(dialogs.texts().contains("Convert Finish"));
}

TEST_F(ConverterTest, WavToMp3KeepsTheBusyWindowUpUntilItsOwnFinishSave)
{
    const QString wav = tone(QStringLiteral("in.wav"), 1);
    const QString out = env.paths().homeDir + "/out.mp3";
    writeFile(env.paths().concatFile(), "the list export's joined list");
    panel->txtopenwav->setText(wav);
    panel->txtsavemp3->setText(out);
    int finished = 0;
    QObject::connect(&workspace.encoder().encoder(), &Mp3Enc::Finished, [&] { ++finished; });
    panel->CmdConvertMP3->click();
    EXPECT_FALSE(panel->Text2->text().isEmpty());
    EXPECT_FALSE(busy.window()->isHidden());
    EXPECT_TRUE(window.isEnabled());
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.isEmpty(); }, 20000));
    EXPECT_EQ(dialogs.texts(), QStringList{"Finish Save"});
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(busy.window()->isHidden());
    EXPECT_EQ(readFile(env.paths().concatFile()), "the list export's joined list") << "not the converter's to delete";
    QString probe;
    runShell(QStringLiteral("ffprobe -v error -show_entries stream=bit_rate,sample_rate,channels -of csv=p=0 '%1'").arg(out),
             &probe);
    EXPECT_TRUE(probe.contains("44100,2,128000")) << probe.toStdString();
}

// The converter keeps the window usable, so a list export can be started
// while its encoding runs; the export's join must survive the converter's
// finished event.
TEST_F(ConverterTest, AListExportStartedDuringAConversionStillFindsItsJoin)
{
    const QString wav = tone(QStringLiteral("long.wav"), 20);
    const QString converted = env.paths().homeDir + "/converted.mp3";
    const QString listed = env.paths().homeDir + "/list.mp3";
    runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 2 sine 440 vol 0.5").arg(env.paths().clipFile("clip")));
    workspace.clips().append(ClipEntry{QStringLiteral("clip"), {}});
    panel->txtopenwav->setText(wav);
    panel->txtsavemp3->setText(converted);
    // What the shared handler left behind, seen right after each finished event.
    QList<bool> enabledAfter, joinAfter;
    QObject::connect(&workspace.encoder().encoder(), &Mp3Enc::Finished, [&] {
        enabledAfter << window.isEnabled();
        joinAfter << QFile::exists(env.paths().concatFile());
    });
    panel->CmdConvertMP3->click();
    dialogs.files.push_back(listed);
    mp3->CmdSaveList_Click();
    ASSERT_TRUE(waitFor([&] { return dialogs.messages.size() == 2; }, 60000));
    EXPECT_EQ(dialogs.texts(), (QStringList{"Finish Save", "Finish Save"}));
    EXPECT_EQ(enabledAfter, (QList<bool>{false, true})) << "the window stays busy while the list export runs";
    EXPECT_EQ(joinAfter, (QList<bool>{true, false}));
    EXPECT_TRUE(busy.window()->isHidden());
    EXPECT_FALSE(QFile::exists(env.paths().concatFile()));
    QString seconds;
    runShell(QStringLiteral("ffprobe -v error -show_entries format=duration -of csv=p=0 '%1'").arg(listed), &seconds);
    EXPECT_NEAR(seconds.trimmed().toDouble(), 2.0, 0.06);
}

TEST_F(ConverterTest, AConversionEndingDuringARingtoneSaveLeavesTheWindowToTheSave)
{
    const QString wav = tone(QStringLiteral("short.wav"), 2);
    runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 90 pinknoise vol 0.5").arg(env.paths().clipFile("clip")));
    workspace.clips().append(ClipEntry{QStringLiteral("clip"), {}});
    panel->txtopenwav->setText(wav);
    panel->txtsavemp3->setText(env.paths().homeDir + "/converted.mp3");
    // The window and the busy window right after the conversion's end, and
    // whether the ringtone was still being saved then.
    QList<bool> after;
    QObject::connect(&workspace.encoder().encoder(), &Mp3Enc::Finished, [&] {
        after << window.isEnabled() << busy.window()->isVisible() << ringtone->running();
    });
    panel->CmdConvertMP3->click();
    dialogs.files.push_back(env.paths().homeDir + "/ring.ogg");
    ringtone->CmdSaveRingtone_Click();
    ASSERT_TRUE(waitFor([&] { return dialogs.messages.size() == 2 && window.isEnabled(); }, 60000));
    EXPECT_EQ(dialogs.texts(), (QStringList{"Finish Save", "Finish Save"}));
    EXPECT_EQ(after, (QList<bool>{false, true, true})) << "disabled, busy, saving";
    EXPECT_TRUE(busy.window()->isHidden());
    EXPECT_EQ(runShell(QStringLiteral("ffprobe -v error '%1'").arg(env.paths().homeDir + "/ring.ogg")), 0);
}
