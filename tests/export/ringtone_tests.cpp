#include "exportfixture.h"
#include "export/ringtoneexport.h"
#include "widgets/frmload.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

// One fact of a saved file as ffprobe reports it ("stream=codec_name",
// "format_tags=artist", "format=duration").
QString probe(const QString &path, const QString &entry)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -show_entries %1 -of default=nw=1:nk=1 '%2'").arg(entry, path), &out);
    return out.trimmed();
}

// The first stream's tag, which Ogg and FLAC keep per stream.
QString tag(const QString &path, const char *name)
{
    const QString format = probe(path, QStringLiteral("format_tags=%1").arg(QLatin1String(name)));
    return format.isEmpty() ? probe(path, QStringLiteral("stream_tags=%1").arg(QLatin1String(name))).section('\n', 0, 0)
                            : format;
}

} // namespace

class RingtoneTest : public ::testing::Test, protected ExportFixture {
protected:
    // Saves as a ringtone under `name` with the filter `filter` (1: M4R ...
    // 6: WAV) and waits for its end.
    void save(const QString &name, int filter)
    {
        dialogs.files.push_back(home(name));
        dialogs.filters.push_back(filter);
        bool saved = false;
        const auto connection = QObject::connect(ringtone, &RingtoneExport::saved, [&] { saved = true; });
        ringtone->CmdSaveRingtone_Click();
        const bool ended = saved || waitFor([&] { return saved; }, 30000);
        QObject::disconnect(connection);
        ASSERT_TRUE(ended);
        EXPECT_TRUE(window.isEnabled());
        EXPECT_TRUE(busy.window()->isHidden());
        EXPECT_FALSE(QFile::exists(env.paths().scratchFile(QStringLiteral("ringtone.wav")))) << "the joined list";
    }
};

TEST_F(RingtoneTest, TheNameOrElseTheFilterChoosesTheFormatAndTheFirstSongTagsIt)
{
    addSine(QStringLiteral("first"), 2, QStringLiteral("sine 660"), SongTags{QStringLiteral("ignored"), QStringLiteral("The Artist"),
                                                 QStringLiteral("The Album"), {}, {}});
    addSine(QStringLiteral("second"), 1);
    struct Case { const char *typed, *saved, *codec; int filter; };
    const Case cases[] = {
        {"tone", "tone.ogg", "vorbis", 2},
        {"Ring.M4R", "Ring.M4R", "aac", 3}, // the typed extension wins over Opus
        {"lossless", "lossless.flac", "flac", 4},
    };
    for (const Case &c : cases) {
        save(QString::fromLatin1(c.typed), c.filter);
        EXPECT_EQ(dialogs.texts().last(), QStringLiteral("Finish Save")) << c.typed;
        const QString out = home(QString::fromLatin1(c.saved));
        EXPECT_EQ(probe(out, QStringLiteral("stream=codec_name")).section('\n', 0, 0), QLatin1String(c.codec)) << c.saved;
        EXPECT_EQ(tag(out, "title"), QFileInfo(out).completeBaseName()) << c.saved;
        EXPECT_EQ(tag(out, "artist"), QStringLiteral("The Artist")) << c.saved;
        EXPECT_NEAR(probe(out, QStringLiteral("format=duration")).toDouble(), 3.0, 0.1) << c.saved;
    }
    EXPECT_FALSE(QFile::exists(env.paths().concatFile()));
    EXPECT_EQ(dialogs.fileRequests[0].filter,
              QStringLiteral("iPhone ringtone|*.m4r|Ogg Vorbis|*.ogg|Opus|*.opus|FLAC|*.flac|MP3|*.mp3|WAV|*.wav"));
}

TEST_F(RingtoneTest, AnM4rLongerThan40SecondsIsCutOnlyWhenTheUserSaysSo)
{
    addSine(QStringLiteral("a"), 22);
    addSine(QStringLiteral("b"), 22);
    dialogs.answers = {dialogs::Answer::Yes, dialogs::Answer::No};
    // The question comes between the two jobs, over a window that can take the answer.
    QList<bool> usable;
    dialogs.onMessage = [&] { usable << (window.isEnabled() && !busy.held()); };
    save(QStringLiteral("cut"), 1);
    save(QStringLiteral("whole"), 1);
    EXPECT_NEAR(probe(home(QStringLiteral("cut.m4r")), QStringLiteral("format=duration")).toDouble(), 40.0, 0.05);
    EXPECT_NEAR(probe(home(QStringLiteral("whole.m4r")), QStringLiteral("format=duration")).toDouble(), 44.0, 0.05);
    EXPECT_TRUE(dialogs.texts()[0].contains(QStringLiteral("40 s")));
    EXPECT_EQ(usable, (QList<bool>{true, true, true, true})) << "both questions and both Finish Save";
}

TEST_F(RingtoneTest, ARunnerBusyWithAnotherJobEndsTheSaveWithAMessage)
{
    addSine(QStringLiteral("a"), 1);
    std::atomic<bool> release = false;
    jobs.run(QStringLiteral("Other"), [&](const JobRunner::Progress &) {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return Outcome::success();
    }, {});
    int saved = 0;
    QObject::connect(ringtone, &RingtoneExport::saved, [&] { ++saved; });
    dialogs.files.push_back(home(QStringLiteral("tone.ogg")));
    ringtone->CmdSaveRingtone_Click();
    release = true;
    ASSERT_TRUE(waitFor([&] { return idle(); }, 10000));
    EXPECT_EQ(saved, 1);
    EXPECT_FALSE(ringtone->running());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains(home(QStringLiteral("tone.ogg")))) << dialogs.texts()[0].toStdString();
    EXPECT_FALSE(QFile::exists(home(QStringLiteral("tone.ogg"))));
}

// A failed save names what failed, leaves the user's file as it was and
// no joined or partial file, and gives the window back.
struct FailedSave {
    QStringList present, missing; // the listed clips with and without a file
    const char *target, *named;
};
void PrintTo(const FailedSave &c, std::ostream *os) { *os << c.named; }

class RingtoneFailure : public RingtoneTest, public ::testing::WithParamInterface<FailedSave> {};

TEST_P(RingtoneFailure, IsNamedAndLeavesNothing)
{
    const FailedSave &c = GetParam();
    for (const QString &name : c.present)
        addSine(name, 1);
    for (const QString &name : c.missing)
        addEntry(name);
    const QString old = home(QStringLiteral("tone.opus"));
    writeFile(old, QByteArrayLiteral("the user's old ringtone"));
    save(QString::fromLatin1(c.target), 3);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains(QString::fromLatin1(c.named))) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(readFile(old), QByteArrayLiteral("the user's old ringtone"));
    EXPECT_EQ(QDir(env.paths().homeDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("tone.opus")});
}

INSTANTIATE_TEST_SUITE_P(
    Causes, RingtoneFailure,
    ::testing::Values(FailedSave{{}, {}, "tone.opus", "empty"},
                      FailedSave{{QStringLiteral("a")}, {QStringLiteral("Gone Song")}, "tone.opus", "\"Gone Song\""},
                      FailedSave{{QStringLiteral("a")}, {}, "missing/folder/tone.opus", "missing/folder/tone.opus"}));
