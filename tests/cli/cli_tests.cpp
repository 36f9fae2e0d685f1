// orvane-clipforge-cli as a real process on songs made by sox, lame and the
// song synthesis of the analysis tests; ringtones judged by ffprobe. Every
// run has a private temporary folder, which must be empty again after it,
// and a cache folder (where the window keeps its clips) it must not touch.
#include "testenv.h"
#include "testwav.h"
#include "testsongs.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct CliRun {
    int status = -1;
    QString out, err;
};

QString quoted(const QString &path) { return QLatin1Char('\'') + path + QLatin1Char('\''); }

// The tags of a file and of its first stream (an Ogg keeps them there), by
// their names in lower case.
QMap<QString, QString> tags(const QString &file)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -show_entries format_tags:stream_tags -of json %1").arg(quoted(file)), &out);
    const QJsonObject all = QJsonDocument::fromJson(out.toUtf8()).object();
    QMap<QString, QString> found;
    for (const QJsonValue &tagged : {all[QStringLiteral("format")], all[QStringLiteral("streams")][0]}) {
        const QJsonObject t = tagged[QStringLiteral("tags")].toObject();
        for (auto it = t.begin(); it != t.end(); ++it)
            found.insert(it.key().toLower(), it.value().toString());
    }
    return found;
}

// ffprobe's answers for one entry list ("stream=codec_name"), one a line.
QStringList probe(const QString &file, const QString &entries)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -show_entries %1 -of default=nw=1:nk=1 %2").arg(entries, quoted(file)), &out);
    return out.trimmed().split(QLatin1Char('\n'));
}

double seconds(const QString &file) { return probe(file, QStringLiteral("format=duration")).value(0).toDouble(); }

// A 16-bit WAV of the samples.
bool writeWav(const QString &path, const TestAudio &audio)
{
    QByteArray pcm;
    for (float s : audio.samples)
        pcm += le16(quint16(qint16(std::clamp(s, -1.0f, 1.0f) * 32767)));
    return writeFile(path, canonicalWav(audio.channels, audio.rate, 16, pcm));
}

class CliTest : public ::testing::Test {
protected:
    // Made once: a tagged 12 s tone, a song of verses and choruses, and a
    // text file that calls itself a song.
    static void SetUpTestSuite()
    {
        songs_ = new QTemporaryDir;
        const QString dir = songs_->path();
        const QString tone = dir + QStringLiteral("/tone.mp3"), chorus = dir + QStringLiteral("/chorus.mp3");
        runShell(QStringLiteral("sox -n -r 44100 -c 2 %1.wav synth 12 sine 440 vol 0.3 && "
                                "lame --quiet --tt Tone --ta 'The Artist' --tl 'The Album' %1.wav %1")
                     .arg(quoted(tone)));
        writeWav(chorus + QStringLiteral(".wav"), makeSong({"IVCVCBCO", 120, 0, 22050, 1, 11}).audio);
        runShell(QStringLiteral("lame --quiet %1.wav %1").arg(quoted(chorus)));
        writeFile(dir + QStringLiteral("/broken.mp3"), "this is no song\n");
    }
    static void TearDownTestSuite() { delete songs_; }

    void SetUp() override
    {
        if (!haveTool(QStringLiteral("sox")) || !haveTool(QStringLiteral("lame")) || !haveTool(QStringLiteral("ffprobe")))
            GTEST_SKIP() << "sox, lame and ffprobe are needed";
        ASSERT_TRUE(QFile::exists(song(QStringLiteral("tone.mp3"))));
        QDir().mkpath(tmp());
        QDir().mkpath(outDir());
    }

    static QString song(const QString &name) { return songs_->path() + QLatin1Char('/') + name; }
    QString tmp() const { return env.root() + QStringLiteral("/tmp"); }
    QString cache() const { return env.root() + QStringLiteral("/cache"); }
    QString outDir() const { return env.root() + QStringLiteral("/out"); }
    QString out(const QString &name) const { return outDir() + QLatin1Char('/') + name; }

    // Runs the program; afterwards its scratch folder is gone and the
    // window's folders were not touched.
    CliRun cli(const QStringList &arguments)
    {
        QProcess p;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), tmp());
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache());
        environment.insert(QStringLiteral("HOME"), env.paths().homeDir);
        p.setProcessEnvironment(environment);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/orvane-clipforge-cli"), arguments);
        CliRun run;
        if (!p.waitForFinished(180000))
            return run;
        run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        run.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_EQ(QDir(tmp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList())
            << "the scratch folder stays after " << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(QFile::exists(cache())) << "the window's folder was touched";
        return run;
    }

    TestEnv env;
    static QTemporaryDir *songs_;
};

QTemporaryDir *CliTest::songs_ = nullptr;

struct FormatCase {
    const char *extension;
    const char *options; // besides --from 2 --length 5
    const char *codec;
    int bitRate;         // of the stream; 0: not checked
};

class CliFormats : public CliTest, public ::testing::WithParamInterface<FormatCase> {};

// The format is the output's extension; the ringtone holds the stretch and
// carries the song's tags with its own name as the title.
TEST_P(CliFormats, MakeWritesTheFormatOfTheExtensionTagged)
{
    const FormatCase &c = GetParam();
    const QString ring = out(QStringLiteral("ring.") + QLatin1String(c.extension));
    QStringList arguments{QStringLiteral("make"), song(QStringLiteral("tone.mp3")), QStringLiteral("-o"), ring,
                          QStringLiteral("--from"), QStringLiteral("2"), QStringLiteral("--length"), QStringLiteral("0:05")};
    if (*c.options)
        arguments += QString::fromLatin1(c.options).split(QLatin1Char(' '));
    const CliRun run = cli(arguments);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(probe(ring, QStringLiteral("stream=codec_name")).value(0), QLatin1String(c.codec));
    EXPECT_NEAR(seconds(ring), 5.0, 0.08);
    const QMap<QString, QString> tagged = tags(ring);
    EXPECT_EQ(tagged.value(QStringLiteral("title")), QStringLiteral("ring"));
    EXPECT_EQ(tagged.value(QStringLiteral("artist")), QStringLiteral("The Artist"));
    EXPECT_EQ(tagged.value(QStringLiteral("album")), QStringLiteral("The Album"));
    if (c.bitRate)
        EXPECT_EQ(probe(ring, QStringLiteral("stream=bit_rate")).value(0).toInt(), c.bitRate);
    EXPECT_EQ(QDir(outDir()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "a temporary file stayed";
}

INSTANTIATE_TEST_SUITE_P(Extensions, CliFormats,
                         ::testing::Values(FormatCase{"m4r", "", "aac", 0}, FormatCase{"M4A", "", "aac", 0},
                                           FormatCase{"ogg", "--fade-in 1", "vorbis", 0},
                                           FormatCase{"opus", "--normalize", "opus", 0},
                                           FormatCase{"flac", "--fade-out 0.5", "flac", 0},
                                           FormatCase{"mp3", "--bitrate 96", "mp3", 96000},
                                           FormatCase{"wav", "", "pcm_s16le", 0}),
                         [](const auto &info) { return std::string(info.param.extension); });

enum class After { Absent, Old, New };

struct RefusalCase {
    const char *name;
    const char *arguments; // $SONG, $TEXT, $MISSING and $OUT (an ogg) are replaced
    bool oldOutput;        // $OUT holds "old" before
    int status;
    const char *said;      // in standard error ($... replaced too)
    After after;
};

class CliRefusals : public CliTest, public ::testing::WithParamInterface<RefusalCase> {};

// Bad songs, bad options and an existing output: the status says which, the
// message names the file or the option, and the output is untouched.
TEST_P(CliRefusals, GiveTheStatusAndMessageAndLeaveTheOutput)
{
    const RefusalCase &c = GetParam();
    const QString ring = out(QStringLiteral("ring.ogg"));
    const auto fill = [&](QString text) {
        return text.replace(QStringLiteral("$SONG"), song(QStringLiteral("tone.mp3")))
            .replace(QStringLiteral("$TEXT"), song(QStringLiteral("broken.mp3")))
            .replace(QStringLiteral("$MISSING"), song(QStringLiteral("gone.mp3")))
            .replace(QStringLiteral("$OUT"), ring);
    };
    if (c.oldOutput)
        ASSERT_TRUE(writeFile(ring, "old"));
    QStringList arguments = QString::fromLatin1(c.arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString &word : arguments)
        word = fill(word);
    const CliRun run = cli(arguments);
    EXPECT_EQ(run.status, c.status) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(fill(QString::fromLatin1(c.said)))) << run.err.toStdString();
    switch (c.after) {
    case After::Absent: EXPECT_FALSE(QFile::exists(ring)); break;
    case After::Old: EXPECT_EQ(readFile(ring), QByteArray("old")); break;
    case After::New: EXPECT_EQ(probe(ring, QStringLiteral("stream=codec_name")).value(0), QStringLiteral("vorbis")); break;
    }
    EXPECT_EQ(QDir(outDir()).entryList(QDir::Files | QDir::Hidden).size(), c.after == After::Absent ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliRefusals,
    ::testing::Values(
        RefusalCase{"MissingSong", "make $MISSING -o $OUT", false, 1, "$MISSING", After::Absent},
        RefusalCase{"NotAudio", "make $TEXT -o $OUT", false, 1, "$TEXT", After::Absent},
        RefusalCase{"ExistingOutput", "make $SONG -o $OUT", true, 1, "$OUT exists already", After::Old},
        RefusalCase{"ExistingOutputForced", "make $SONG -o $OUT --force --length 3", true, 0, "", After::New},
        RefusalCase{"FromPastTheEnd", "make $SONG -o $OUT --from 0:30", false, 1, "past its end", After::Absent},
        RefusalCase{"BadTime", "make $SONG -o $OUT --from 1:7x", true, 2, "--from 1:7x", After::Old},
        RefusalCase{"BadFade", "make $SONG -o $OUT --fade-in 9", false, 2, "--fade-in 9", After::Absent},
        RefusalCase{"ToBeforeFrom", "make $SONG -o $OUT --from 5 --to 3", false, 2, "--to", After::Absent},
        RefusalCase{"BitRateOfAnOgg", "make $SONG -o $OUT --bitrate 128", false, 2, "--bitrate", After::Absent},
        RefusalCase{"UnknownFormat", "make $SONG -o $SONG.xyz", false, 2, ".xyz", After::Absent},
        RefusalCase{"UnknownOption", "make $SONG -o $OUT --loud", false, 2, "--loud", After::Absent},
        RefusalCase{"NoOutput", "make $SONG", false, 2, "-o", After::Absent},
        RefusalCase{"NoCommand", "", false, 2, "info, make or batch", After::Absent},
        RefusalCase{"BatchWithoutFolder", "batch $SONG", false, 2, "--out-dir", After::Absent},
        RefusalCase{"BadJobs", "batch $SONG --out-dir /tmp -j 0", false, 2, "-j 0", After::Absent}),
    [](const auto &info) { return std::string(info.param.name); });

// A folder and two paths: every song of the folder becomes a ringtone, the
// ones that cannot are named with the reason, the summary counts both, and
// a status of 1 says that some failed. Without a terminal no bar is drawn.
TEST_F(CliTest, BatchMakesEverySongOfTheFolderAndNamesTheFailures)
{
    const QString folder = env.root() + QStringLiteral("/songs");
    QDir().mkpath(folder);
    for (const char *name : {"tone.mp3", "broken.mp3"})
        QFile::copy(song(QString::fromLatin1(name)), folder + QLatin1Char('/') + QLatin1String(name));
    runShell(QStringLiteral("sox -n -r 48000 -c 1 %1 synth 6 sine 330").arg(quoted(folder + QStringLiteral("/low.flac"))));
    writeFile(folder + QStringLiteral("/notes.txt"), "not a song, not tried");
    const QString missing = song(QStringLiteral("gone.mp3"));

    const CliRun run = cli({QStringLiteral("batch"), folder, missing, QStringLiteral("--out-dir"), outDir(),
                         QStringLiteral("--length"), QStringLiteral("4"), QStringLiteral("--normalize"),
                         QStringLiteral("-j"), QStringLiteral("2")});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(QDir(outDir()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("low.m4r"), QStringLiteral("tone.m4r")}));
    for (const QString &ring : {out(QStringLiteral("low.m4r")), out(QStringLiteral("tone.m4r"))}) {
        EXPECT_NEAR(seconds(ring), 4.0, 0.08) << ring.toStdString();
        EXPECT_TRUE(run.out.contains(ring)) << run.out.toStdString();
    }
    EXPECT_TRUE(run.err.contains(folder + QStringLiteral("/broken.mp3: "))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(missing + QStringLiteral(": "))) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QStringLiteral("notes.txt")));
    EXPECT_FALSE(run.err.contains(QLatin1Char('\r')));
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("2 ringtones made, 2 failed.\n"))) << run.out.toStdString();

    // Again: the ringtones exist now, and only --force replaces them.
    const CliRun again = cli({QStringLiteral("batch"), folder + QStringLiteral("/tone.mp3"), QStringLiteral("--out-dir"),
                           outDir(), QStringLiteral("--length"), QStringLiteral("2")});
    EXPECT_EQ(again.status, 1);
    EXPECT_NEAR(seconds(out(QStringLiteral("tone.m4r"))), 4.0, 0.08);
    EXPECT_EQ(cli({QStringLiteral("batch"), folder + QStringLiteral("/tone.mp3"), QStringLiteral("--out-dir"), outDir(),
                   QStringLiteral("--length"), QStringLiteral("2"), QStringLiteral("--force")})
                  .status,
              0);
    EXPECT_NEAR(seconds(out(QStringLiteral("tone.m4r"))), 2.0, 0.08);

    // On a terminal (script(1) gives it one) a bar is drawn and taken away.
    if (haveTool(QStringLiteral("script"))) {
        QString screen;
        runShell(QStringLiteral("TMPDIR=%1 script -qec \"%2 batch %3 --out-dir %4 --format ogg --length 2\" /dev/null")
                     .arg(quoted(tmp()), quoted(QCoreApplication::applicationDirPath() + QStringLiteral("/orvane-clipforge-cli")),
                          quoted(folder + QStringLiteral("/tone.mp3")), quoted(outDir())),
                 &screen);
        EXPECT_TRUE(screen.contains(QStringLiteral("\r[")) && screen.contains(QStringLiteral("0/1 songs")))
            << screen.toStdString();
        EXPECT_TRUE(screen.contains(QStringLiteral("\r\x1b[K"))) << screen.toStdString();
        EXPECT_TRUE(QFile::exists(out(QStringLiteral("tone.ogg"))));
    }
}

// Every option the help names is in the manual page too.
TEST_F(CliTest, TheManualPageNamesEveryOption)
{
    const QString manual = QString::fromUtf8(readFile(QStringLiteral(CLIPFORGE_SOURCE_DIR "/desktop/orvane-clipforge-cli.1")))
                               .replace(QStringLiteral("\\-"), QStringLiteral("-"));
    ASSERT_FALSE(manual.isEmpty());
    const QString help = cli({QStringLiteral("--help")}).out;
    QRegularExpressionMatchIterator options = QRegularExpression(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*")).globalMatch(help);
    int named = 0;
    while (options.hasNext()) {
        const QString option = options.next().captured();
        ++named;
        EXPECT_TRUE(manual.contains(option)) << option.toStdString();
    }
    EXPECT_GE(named, 16);
}

// info tells the layout, the tags, the loudness and the chorus; make
// --chorus cuts the ringtone to the chorus info names first.
TEST_F(CliTest, InfoDescribesTheSongAndMakeTakesItsChorus)
{
    const CliRun info = cli({QStringLiteral("info"), QStringLiteral("--json"), song(QStringLiteral("tone.mp3")),
                          song(QStringLiteral("chorus.mp3"))});
    ASSERT_EQ(info.status, 0) << info.err.toStdString();
    const QJsonArray songs = QJsonDocument::fromJson(info.out.toUtf8()).array();
    ASSERT_EQ(songs.size(), 2) << info.out.toStdString();
    const QJsonObject tone = songs[0].toObject();
    EXPECT_NEAR(tone[QStringLiteral("lengthSeconds")].toDouble(), 12.0, 0.06);
    EXPECT_EQ(tone[QStringLiteral("rate")].toInt(), 44100);
    EXPECT_EQ(tone[QStringLiteral("channels")].toInt(), 2);
    EXPECT_EQ(tone[QStringLiteral("artist")].toString(), QStringLiteral("The Artist"));
    EXPECT_EQ(tone[QStringLiteral("album")].toString(), QStringLiteral("The Album"));
    // As ffmpeg's meter reads them (printed to a tenth).
    QString meter;
    runShell(QStringLiteral("ffmpeg -hide_banner -nostats -i %1 -af ebur128=peak=true -f null - 2>&1 | "
                            "sed -n 's/^ *\\(I\\|Peak\\): *\\([-0-9.]*\\).*/\\2/p'")
                 .arg(quoted(song(QStringLiteral("tone.mp3")))),
             &meter);
    const QStringList read = meter.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(read.size(), 2) << meter.toStdString();
    EXPECT_NEAR(tone[QStringLiteral("loudnessLufs")].toDouble(), read[0].toDouble(), 0.15);
    EXPECT_NEAR(tone[QStringLiteral("truePeakDbtp")].toDouble(), read[1].toDouble(), 0.25);
    EXPECT_TRUE(tone[QStringLiteral("chorus")].toArray().isEmpty());

    const QJsonArray chorus = songs[1].toObject()[QStringLiteral("chorus")].toArray();
    ASSERT_FALSE(chorus.isEmpty()) << info.out.toStdString();
    const double chorusSeconds =
        chorus[0].toObject()[QStringLiteral("end")].toDouble() - chorus[0].toObject()[QStringLiteral("start")].toDouble();
    const QString ring = out(QStringLiteral("chorus.ogg"));
    const CliRun make = cli({QStringLiteral("make"), song(QStringLiteral("chorus.mp3")), QStringLiteral("-o"), ring,
                          QStringLiteral("--chorus")});
    ASSERT_EQ(make.status, 0) << make.err.toStdString();
    EXPECT_NEAR(seconds(ring), chorusSeconds, 0.08);

    const CliRun text = cli({QStringLiteral("info"), song(QStringLiteral("tone.mp3")), song(QStringLiteral("gone.mp3"))});
    EXPECT_EQ(text.status, 1);
    EXPECT_TRUE(text.out.contains(QStringLiteral("The Artist")));
    EXPECT_TRUE(text.err.contains(song(QStringLiteral("gone.mp3"))));
}

// SIGTERM once the work has begun: the run stops, says so, and leaves
// neither a ringtone nor a temporary file nor its scratch folder.
TEST_F(CliTest, ATerminatedRunLeavesNothing)
{
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tmp());
    p.setProcessEnvironment(environment);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/orvane-clipforge-cli"),
            {QStringLiteral("make"), song(QStringLiteral("chorus.mp3")), QStringLiteral("-o"), out(QStringLiteral("ring.opus")),
             QStringLiteral("--normalize")});
    ASSERT_TRUE(waitFor([&] {
        const QStringList runs = QDir(tmp()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        return !runs.isEmpty() && QDir(tmp() + QLatin1Char('/') + runs.front()).exists(QStringLiteral("job0"));
    }, 30000));
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains(QStringLiteral("stopped")));
    EXPECT_EQ(QDir(outDir()).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(QDir(tmp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

TEST_F(CliTest, VersionAndHelp)
{
    const CliRun version = cli({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("orvane-clipforge-cli " CLIPFORGE_VERSION "\n"));
    const CliRun help = cli({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    for (const char *word : {"info SONG", "make SONG", "batch SONG_OR_FOLDER", "--chorus", "--force", "-j"})
        EXPECT_TRUE(help.out.contains(QLatin1String(word))) << word;
    const CliRun makeHelp = cli({QStringLiteral("make"), QStringLiteral("--help")});
    EXPECT_EQ(makeHelp.status, 0);
    EXPECT_TRUE(makeHelp.out.contains(QStringLiteral("--fade-in")));
    EXPECT_FALSE(makeHelp.out.contains(QStringLiteral("Prints each song's")));
}

} // namespace
