// The workflows of the core on their own, without a window or an event
// loop: song to clip, the edits of a clip, the ringtone save and the facts
// of a clip. Songs are made by sox and lame; results are judged by ffprobe.
#include "audio/audiostart.h"
#include "base/wavformat.h"
#include "core/clipedits.h"
#include "core/clipfacts.h"
#include "core/ringtonesave.h"
#include "core/songclip.h"
#include "testenv.h"
#include "testwav.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

namespace {

bool haveTools()
{
    return haveTool(QStringLiteral("sox")) && haveTool(QStringLiteral("lame")) && haveTool(QStringLiteral("ffprobe"));
}

#define SKIP_WITHOUT_TOOLS()                                                                                       \
    if (!haveTools())                                                                                              \
    GTEST_SKIP() << "sox, lame and ffprobe are needed"

QString quoted(const QString &path) { return QLatin1Char('\'') + path + QLatin1Char('\''); }

qint32 firstSample(const QString &clip)
{
    const WavInfo info = readWavInfo(clip);
    qint32 value = -1;
    QFile f(clip);
    if (f.open(QIODevice::ReadOnly) && f.seek(info.dataOffset))
        f.read(reinterpret_cast<char *>(&value), 4);
    return value;
}

// ffprobe's answer for one entry list ("format=duration"), simplified.
QString probe(const QString &file, const char *entries)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -show_entries %1 -of default=nw=1:nk=1 %2").arg(QLatin1String(entries), quoted(file)),
             &out);
    return out.simplified();
}

double probedSeconds(const QString &file) { return probe(file, "format=duration").toDouble(); }

class Workflows : public ::testing::Test {
protected:
    TestEnv env;
    QString home(const QString &name) const { return env.paths().homeDir + QLatin1Char('/') + name; }
    // A tone made by sox (the arguments after the output's name).
    QString sox(const QString &name, const QString &format, const QString &effects)
    {
        const QString path = home(name);
        runShell(QStringLiteral("sox -n %1 %2 %3").arg(format, quoted(path), effects));
        return path;
    }
};

} // namespace

struct SongCase {
    const char *name;
    const char *make;   // shell command writing the song to $S (empty: no file)
    bool ok;
    int channels;       // of the clip
};

class SongToClip : public Workflows, public ::testing::WithParamInterface<SongCase> {};

// Every kind of song becomes a clip of the song's length, or a failure that
// names the song and leaves no clip file.
TEST_P(SongToClip, MakesAClipOrNamesTheSong)
{
    SKIP_WITHOUT_TOOLS();
    const SongCase &c = GetParam();
    const QString song = home(QStringLiteral("song"));
    if (*c.make)
        ASSERT_EQ(runShell(QStringLiteral("S=%1; %2").arg(quoted(song), QString::fromLatin1(c.make))), 0);
    AudioStart audio(env.paths());
    const QString here = QDir::currentPath();
    ASSERT_TRUE(audio.initwav()) << "the audio library";
    QDir::setCurrent(here);
    const QString clip = env.root() + QStringLiteral("/clip.wav");
    double lastFraction = -1;
    const Outcome made = songToClip(audio, song, clip, [&](double f) {
        lastFraction = f;
        return true;
    });
    EXPECT_EQ(bool(made), c.ok) << made.error().toStdString();
    if (!c.ok) {
        EXPECT_TRUE(made.error().contains(song)) << made.error().toStdString();
        EXPECT_FALSE(QFile::exists(clip));
        return;
    }
    const WavInfo info = readWavInfo(clip);
    ASSERT_TRUE(info.ok);
    EXPECT_EQ(info.sampleFormat(), SampleFormat::S16);
    EXPECT_EQ(info.channels, c.channels);
    EXPECT_NEAR(double(info.frames()) / info.sampleRate, 1.5, 0.06);
    EXPECT_EQ(lastFraction, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SongToClip,
    ::testing::Values(SongCase{"Wav", "sox -n -r 44100 -c 2 -b 16 \"$S.wav\" synth 1.5 sine 440 && mv \"$S.wav\" \"$S\"", true, 2},
                      SongCase{"ULawWav", "sox -n -r 8000 -c 1 -e u-law \"$S.wav\" synth 1.5 sine 440 && mv \"$S.wav\" \"$S\"", true, 1},
                      SongCase{"Mp3", "sox -n -r 44100 -c 2 \"$S.wav\" synth 1.5 sine 440 && lame --quiet \"$S.wav\" \"$S\"", true, 2},
                      SongCase{"Flac", "sox -n -r 48000 -c 1 \"$S.flac\" synth 1.5 sine 440 && mv \"$S.flac\" \"$S\"", true, 1},
                      SongCase{"NotAudio", "echo 'not a song' > \"$S\"", false, 0},
                      SongCase{"Missing", "", false, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Workflows, ASongToClipThatIsStoppedLeavesNoClip)
{
    SKIP_WITHOUT_TOOLS();
    const QString song = home(QStringLiteral("song.mp3"));
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 %1.wav synth 20 sine 440 && lame --quiet %1.wav %1").arg(quoted(song))), 0);
    AudioStart audio(env.paths());
    const QString here = QDir::currentPath();
    ASSERT_TRUE(audio.initwav());
    QDir::setCurrent(here);
    const QString clip = env.root() + QStringLiteral("/clip.wav");
    EXPECT_FALSE(songToClip(audio, song, clip, [](double f) { return f < 0.3; }));
    EXPECT_FALSE(QFile::exists(clip));
}

struct EditCase {
    const char *name;
    qint64 from;
    std::optional<qint64> to;
    double fadeIn, fadeOut;
    qint64 keptFrames;    // -1: refused, the clip unchanged
};

class EditClip : public Workflows, public ::testing::WithParamInterface<EditCase> {};

// A 10 s ramp at 8000 Hz cut to a stretch: exactly its frames are kept,
// with or without fades (which leave the length alone); a stretch that is
// empty or past the end changes nothing.
TEST_P(EditClip, KeepsTheStretchOrRefusesAndChangesNothing)
{
    const EditCase &c = GetParam();
    const QString clip = env.root() + QStringLiteral("/clip.wav");
    const QByteArray ramp = rampClip(8000, 80000);
    ASSERT_TRUE(writeFile(clip, ramp));
    ClipEdits edits;
    edits.fromMs = c.from;
    edits.toMs = c.to;
    edits.fades = {c.fadeIn, c.fadeOut};
    const Outcome done = editClip(clip, edits);
    if (c.keptFrames < 0) {
        EXPECT_FALSE(done);
        EXPECT_TRUE(done.error().contains(clip)) << done.error().toStdString();
        EXPECT_EQ(readFile(clip), ramp);
        return;
    }
    ASSERT_TRUE(done) << done.error().toStdString();
    EXPECT_EQ(readWavInfo(clip).frames(), c.keptFrames);
    if (c.fadeIn == 0)
        EXPECT_EQ(firstSample(clip), qint32(c.from * 8));
}

INSTANTIATE_TEST_SUITE_P(Stretches, EditClip,
                         ::testing::Values(EditCase{"Whole", 0, std::nullopt, 0, 0, 80000},
                                           EditCase{"Middle", 2500, 7250, 0, 0, 38000},
                                           EditCase{"ToPastTheEnd", 9000, 60000, 0, 0, 8000},
                                           EditCase{"WithFades", 1000, 5000, 1, 0.5, 32000},
                                           EditCase{"FadesOnly", 0, std::nullopt, 2, 2, 80000},
                                           EditCase{"FromPastTheEnd", 10000, std::nullopt, 0, 0, -1},
                                           EditCase{"Empty", 4000, 4000, 0, 0, -1},
                                           EditCase{"Negative", -5, 3000, 0, 0, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

// Cuts of two clips on two threads at once keep exactly their own stretch:
// the cut's device is shared by the process.
TEST_F(Workflows, CutsOnSeveralThreadsKeepTheirOwnStretch)
{
    const QByteArray ramp = rampClip(8000, 16000);
    std::atomic<int> wrong = 0;
    const auto cutMany = [&](int worker) {
        const QString clip = env.root() + QStringLiteral("/clip%1.wav").arg(worker);
        for (int i = 0; i < 25; ++i) {
            writeFile(clip, ramp);
            ClipEdits edits;
            edits.fromMs = 100 * (worker + 1) + i;
            edits.toMs = edits.fromMs + 500;
            if (!editClip(clip, edits) || readWavInfo(clip).frames() != 4000 ||
                firstSample(clip) != qint32(edits.fromMs * 8))
                ++wrong;
        }
    };
    std::thread a(cutMany, 0), b(cutMany, 1);
    a.join();
    b.join();
    EXPECT_EQ(wrong, 0);
}

TEST_F(Workflows, NormalizeBringsTheClipToTheRingtoneLoudness)
{
    SKIP_WITHOUT_TOOLS();
    const QString clip = sox(QStringLiteral("quiet.wav"), QStringLiteral("-r 44100 -c 2 -b 16"),
                             QStringLiteral("synth 4 pinknoise vol 0.05"));
    ClipEdits edits;
    edits.fromMs = 1000;
    edits.normalize = true;
    ASSERT_TRUE(editClip(clip, edits));
    const Result<LoudnessMeasurement> after = measureLoudness(clip);
    ASSERT_TRUE(after) << after.error().toStdString();
    EXPECT_NEAR(after.value().integratedLufs, kTargetLoudnessLufs, 0.5);
    EXPECT_NEAR(probedSeconds(clip), 3.0, 0.01);
}

struct SaveCase {
    const char *name;
    RingtoneFormat format;
    const char *extension;
    std::optional<bool> keepOnlyTheLimit; // the answer; none: no one is asked
    bool asked;
    double seconds;
};

class SaveRingtone : public Workflows, public ::testing::WithParamInterface<SaveCase> {};

// Two clips of 21 s joined: the question comes only for an M4R past its
// 40 s, and its answer decides the length; the title is the file's name
// and the joined file does not stay.
TEST_P(SaveRingtone, JoinsEncodesAndAsksAboutTheLength)
{
    SKIP_WITHOUT_TOOLS();
    const SaveCase &c = GetParam();
    const QString fmt = QStringLiteral("-r 44100 -c 2 -b 16");
    RingtoneRequest request;
    request.clipFiles = {sox(QStringLiteral("a.wav"), fmt, QStringLiteral("synth 21 sine 440 vol 0.3")),
                         sox(QStringLiteral("b.wav"), fmt, QStringLiteral("synth 21 sine 660 vol 0.3"))};
    request.joinedFile = env.paths().scratchFile(QStringLiteral("joined.wav"));
    request.outPath = home(QStringLiteral("My Ring.") + QLatin1String(c.extension));
    request.format = c.format;
    request.tags.title = QStringLiteral("Song Title");
    bool asked = false;
    LengthQuestion question;
    if (c.keepOnlyTheLimit)
        question = [&](double seconds, double limit) {
            asked = true;
            EXPECT_NEAR(seconds, 42, 0.01);
            EXPECT_EQ(limit, 40);
            return *c.keepOnlyTheLimit;
        };
    double last = 0;
    const Outcome saved = saveRingtone(request, question, [&](double f) {
        EXPECT_GE(f, last);
        last = f;
        return true;
    });
    ASSERT_TRUE(saved) << saved.error().toStdString();
    EXPECT_EQ(asked, c.asked);
    EXPECT_NEAR(probedSeconds(request.outPath), c.seconds, 0.1);
    // An Ogg keeps its tags with the stream, the others with the file.
    EXPECT_EQ(probe(request.outPath, "format_tags=title:stream_tags=title"), QStringLiteral("My Ring"));
    EXPECT_FALSE(QFile::exists(request.joinedFile));
    EXPECT_NEAR(last, 1.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveRingtone,
                         ::testing::Values(SaveCase{"M4rCut", RingtoneFormat::M4r, "m4r", true, true, 40},
                                           SaveCase{"M4rWhole", RingtoneFormat::M4r, "m4r", false, true, 42},
                                           SaveCase{"M4rNoOneAsked", RingtoneFormat::M4r, "m4r", std::nullopt, false, 42},
                                           SaveCase{"OggNotAsked", RingtoneFormat::Ogg, "ogg", true, false, 42}),
                         [](const auto &info) { return std::string(info.param.name); });

// A missing clip, and a save stopped half way, leave the old ringtone as it
// was, and neither the joined file nor a temporary file beside it.
TEST_F(Workflows, AFailedOrStoppedSaveKeepsTheOldRingtone)
{
    SKIP_WITHOUT_TOOLS();
    const QString clip = sox(QStringLiteral("a.wav"), QStringLiteral("-r 44100 -c 2 -b 16"), QStringLiteral("synth 5 sine 440"));
    const QString outDir = env.root() + QStringLiteral("/out");
    QDir().mkpath(outDir);
    RingtoneRequest request;
    request.joinedFile = env.paths().scratchFile(QStringLiteral("joined.wav"));
    request.outPath = outDir + QStringLiteral("/ring.ogg");
    request.format = RingtoneFormat::Ogg;
    ASSERT_TRUE(writeFile(request.outPath, "old ringtone"));

    request.clipFiles = {clip, home(QStringLiteral("gone.wav"))};
    const Outcome missing = saveRingtone(request);
    EXPECT_FALSE(missing);
    EXPECT_TRUE(missing.error().contains(QStringLiteral("gone"))) << missing.error().toStdString();

    request.clipFiles = {clip};
    EXPECT_FALSE(saveRingtone(request, {}, [](double f) { return f < 0.5; }));

    EXPECT_EQ(readFile(request.outPath), QByteArray("old ringtone"));
    EXPECT_EQ(QDir(outDir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("ring.ogg")});
    EXPECT_FALSE(QFile::exists(request.joinedFile));
}

TEST(TempoOfBeats, IsSixtyOverTheMedianGap)
{
    struct Case {
        std::vector<double> beats;
        std::optional<double> bpm;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{0.5, 1.0, 1.5}, std::nullopt},
        {{0.5, 1.0, 1.5, 2.0}, 120.0},
        {{0.0, 0.4, 0.8, 1.9, 2.3, 2.7}, 150.0}, // one beat missed
        {{1.0, 1.0, 1.0, 1.0}, std::nullopt},
    };
    for (const Case &c : cases) {
        const std::optional<double> bpm = tempoOfBeats(c.beats);
        ASSERT_EQ(bpm.has_value(), c.bpm.has_value()) << c.beats.size();
        if (bpm)
            EXPECT_NEAR(*bpm, *c.bpm, 1e-9);
    }
}

// A drum-like pulse at 100 BPM with its layout, loudness and tempo; a file
// that is no clip is refused.
TEST_F(Workflows, MeasureClipGivesLayoutLoudnessAndTempo)
{
    SKIP_WITHOUT_TOOLS();
    const QString clip = sox(QStringLiteral("pulse.wav"), QStringLiteral("-r 22050 -c 1 -b 16"),
                             QStringLiteral("synth 0.05 pinknoise fade 0 0.05 0.04 pad 0 0.55 repeat 19"));
    const Result<ClipFacts> facts = measureClip(clip);
    ASSERT_TRUE(facts) << facts.error().toStdString();
    EXPECT_EQ(facts.value().rate, 22050u);
    EXPECT_EQ(facts.value().channels, 1);
    EXPECT_NEAR(facts.value().lengthMs, 12000, 1);
    EXPECT_TRUE(facts.value().loudness.ok());
    ASSERT_TRUE(facts.value().tempoBpm.has_value());
    EXPECT_NEAR(*facts.value().tempoBpm, 100, 3);

    const QString text = env.homeFile(QStringLiteral("notes.wav"), "no clip");
    const Result<ClipFacts> refused = measureClip(text);
    EXPECT_FALSE(refused);
    EXPECT_TRUE(refused.error().contains(text));
}
