#include "base/wavformat.h"
#include "base/wavheader.h"
#include "editor/cliplist.h"
#include "core/listjoin.h"
#include "editorfixture.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QtEndian>

using dialogs::Answer;

TEST_F(EditorTest, ImportCopiesAWavSongIntoTheWorkingFolder)
{
    const QString song = makeSong(QStringLiteral("My Song.wav"), 0.5);
    importThroughDialog(song);
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].title, QStringLiteral("Select a file to Convert"));
    const QStringList filter = dialogs.fileRequests[0].filter.split('|');
    ASSERT_EQ(filter.size(), 4);
    EXPECT_EQ(filter[0], QStringLiteral("Audio and video files"));
    for (const char *type : {"*.wav", "*.mp3", "*.flac", "*.ogg", "*.opus", "*.m4a", "*.aac", "*.aiff", "*.wma", "*.mp4",
                             "*.m4v", "*.mov", "*.mkv", "*.webm", "*.avi"})
        EXPECT_TRUE(filter[1].split(';').contains(QLatin1String(type))) << type;
    EXPECT_EQ(filter[2], QStringLiteral("All files"));
    EXPECT_EQ(filter[3], QStringLiteral("*"));
    EXPECT_EQ(entries(), QStringList{"My Song"});
    EXPECT_EQ(readFile(env.paths().clipFile("My Song")), readFile(song));

    importThroughDialog(makeSong(QStringLiteral("A.WAV"), 0.2)); // the type test ignores case
    EXPECT_EQ(entries(), QStringList({"My Song", "A"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EditorTest, CancelChangesNothingAndAFileOfAnotherTypeIsJudgedByWhatItHolds)
{
    click("CmdAdd"); // unscripted: cancelled
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // Chosen under "All files": the audio library looks at it and says it cannot play it.
    importThroughDialog(env.homeFile(QStringLiteral("notes.txt"), "text"));
    EXPECT_TRUE(entries().isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Can't play the file")) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(QDir(env.paths().workDir).entryList(QDir::Files).isEmpty());
    // A song under another name is imported by what it holds.
    const QString tone = makeSong(QStringLiteral("tone.wav"), 0.4);
    const QString renamed = env.paths().homeDir + QStringLiteral("/Ringtone.bin");
    ASSERT_EQ(runShell(QStringLiteral("ffmpeg -v error -i '%1' -c:a flac -f flac '%2'").arg(tone, renamed)), 0);
    importThroughDialog(renamed);
    EXPECT_EQ(entries(), QStringList{"Ringtone"});
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
    form->workspace().trim().markIn() = 100;
    form->workspace().trim().markOut() = 200;
    panel().List1->setCurrentRow(0);
    for (QWidget *w : {panel().CmdEditDone, panel().CmdFoward, panel().CmdPause, panel().CmdPlay, panel().CmdStop,
                       panel().CmdNext})
        EXPECT_TRUE(w->isEnabled());
    for (QWidget *w : {panel().CmdEditPlay, panel().CmdEditStop, panel().CmdMarkin, panel().CmdMarkOut})
        EXPECT_FALSE(w->isEnabled());
    click("CmdEditDone");
    EXPECT_EQ(dialogs.texts(), QStringList{"Time Input Error"});
}

TEST_F(EditorTest, SongsNamedLikeTheProgramsOwnFilesTakeAFreeNameAndJoinWhole)
{
    const char *names[] = {"concat.wav", "CONCAT.wav", "tempwav.wav", "TempWav2.wav"};
    for (const char *name : names)
        importThroughDialog(makeSong(QString::fromLatin1(name), 0.3));
    for (const QString &entry : entries())
        EXPECT_FALSE(AppPaths::isReservedClipName(entry)) << entry.toStdString();
    EXPECT_EQ(entries().size(), 4);

    const Result<qint64> joined = joinClipList(entries(), env.paths());
    ASSERT_TRUE(joined) << joined.error().toStdString();
    EXPECT_EQ(joined.value(), 4 * qint64(0.3 * 44100) * 4);

    // A clip that is the join's own file (left by an older run) is refused
    // before anything is written, and keeps its bytes.
    const QByteArray tone = readFile(env.paths().clipFile(entries().first()));
    ASSERT_TRUE(writeFile(env.paths().concatFile(), tone));
    const Result<qint64> refused = joinClipList({QStringLiteral("concat")}, env.paths());
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains("concat")) << refused.error().toStdString();
    EXPECT_EQ(readFile(env.paths().concatFile()), tone);
}

// WAV songs that no reader here takes are refused by name; the layouts that
// libsndfile decodes become 16-bit PCM clips of the song's rate and channels,
// sample for sample what sox decodes (within the codec's rounding).
TEST_F(EditorTest, WavSongsAreCheckedAtImportAndCodedLayoutsBecomePcm)
{
    // GSM's last block of 320 samples is decoded by one and not the other.
    struct Coded { const char *name, *format; int tolerance, blockBytes; };
    const Coded coded[] = {
        {"ulaw.wav", "-r 8000 -c 1 -e u-law", 0, 0},
        {"alaw.wav", "-r 22050 -c 2 -e a-law", 0, 0},
        {"ima.wav", "-r 44100 -c 2 -e ima-adpcm", 16, 0},
        {"ms.wav", "-r 11025 -c 1 -e ms-adpcm", 16, 0},
        {"gsm.wav", "-r 8000 -c 1 -e gsm-full-rate", 16, 320 * 2},
    };
    for (const Coded &c : coded) {
        const QString song = makeSong(QString::fromLatin1(c.name), 1.3, QString::fromLatin1(c.format));
        const QString reference = env.paths().homeDir + QStringLiteral("/reference.wav");
        ASSERT_EQ(runShell(QStringLiteral("sox '%1' -e signed-integer -b 16 '%2'").arg(song, reference)), 0);
        importThroughDialog(song);
        ASSERT_TRUE(dialogs.messages.isEmpty()) << c.name << ": " << dialogs.texts().join('|').toStdString();
        WavInfo clip, ref;
        const QByteArray clipAudio = readWavData(env.paths().clipFile(entries().last()), &clip).take();
        const QByteArray refAudio = readWavData(reference, &ref).take();
        ASSERT_TRUE(clip.ok) << c.name;
        EXPECT_TRUE(clip.canonical) << c.name;
        EXPECT_EQ(clip.formatTag, kWavFormatPcm) << c.name;
        EXPECT_EQ(clip.bitsPerSample, 16) << c.name;
        EXPECT_EQ(clip.sampleRate, ref.sampleRate) << c.name;
        EXPECT_EQ(clip.channels, ref.channels) << c.name;
        ASSERT_LE(std::abs(clipAudio.size() - refAudio.size()), c.blockBytes) << c.name;
        int worst = 0;
        for (qsizetype i = 0; i + 1 < std::min(clipAudio.size(), refAudio.size()); i += 2)
            worst = std::max(worst, std::abs(qFromLittleEndian<qint16>(clipAudio.constData() + i) -
                                             qFromLittleEndian<qint16>(refAudio.constData() + i)));
        EXPECT_LE(worst, c.tolerance) << c.name;
    }
    const int listed = int(entries().size());

    const QByteArray junk[] = {
        QByteArray(),
        QByteArray(4000, 'x'),
        QByteArray("RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00", 20) + QByteArray(3000, '\xff'),
        wavHeaderBytes(WavHeader::make(0, 44100, 16, 1 << 20)),
    };
    int n = 0;
    for (const QByteArray &bytes : junk) {
        dialogs.messages.clear();
        const QString song = env.homeFile(QStringLiteral("junk%1.wav").arg(n++), bytes);
        importThroughDialog(song);
        ASSERT_EQ(dialogs.messages.size(), 1) << n;
        EXPECT_TRUE(dialogs.messages[0].text.contains(song)) << dialogs.messages[0].text.toStdString();
    }
    EXPECT_EQ(entries().size(), listed);
    EXPECT_EQ(QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden).size(), listed) << "no clip or part left";
}
