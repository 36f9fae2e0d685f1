// Every format a song or a video comes in, made by ffmpeg from one known
// signal and dropped on the clip list: the clip holds what ffmpeg decodes
// (bit for bit from lossless formats, by signal-to-noise ratio from lossy
// ones), lasts as long as ffprobe says, and carries the song's tags. Bad
// files get a message that names them and leave the working folder as it was.
#include "audio/songdecoder.h"
#include "base/wavformat.h"
#include "editor/cliplist.h"
#include "editorfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>

namespace {

constexpr double kSeconds = 3.0;

struct Format {
    const char *file;    // the song's name: its extension is the format's
    const char *options; // ffmpeg's output options (the inputs: the tone, a picture and a video)
    double minSnrDb;     // 0: lossless, the samples must be equal
    bool tagged;         // the container keeps tags TagLib reads
    bool cover = false;  // and a cover picture
    double slack = 0.05; // seconds the clip may differ from ffprobe's length
};

// Input 0: the tone. 1: a cover picture. 2: a small video.
const Format kFormats[] = {
    {"Song.flac", "-map 0:a -map 1 -c:a flac -c:v png -disposition:v attached_pic", 0, true, true},
    {"Deep.flac", "-map 0:a -c:a flac -sample_fmt s32", 0, true},
    {"Song.ogg", "-map 0:a -c:a libvorbis -q:a 6", 30, true},
    {"Song.opus", "-map 0:a -c:a libopus -b:a 128k", 25, true},
    {"Voice.ogg", "-map 0:a -c:a libopus -b:a 96k", 25, true},
    {"Song.m4a", "-map 0:a -map 1 -c:a aac -b:a 192k -c:v png -disposition:v attached_pic", 40, true, true},
    {"Lossless.m4a", "-map 0:a -c:a alac", 0, true},
    // ffprobe estimates an ADTS stream's length from its bit rate.
    {"Song.aac", "-map 0:a -c:a aac -b:a 160k -f adts", 40, false, false, 0.15},
    {"Song.aiff", "-map 0:a -c:a pcm_s16be -write_id3v2 1", 0, true},
    {"Song.wma", "-map 0:a -c:a wmav2 -b:a 192k", 30, true},
    {"Clip.mp4", "-map 2:v -map 0:a -c:v mpeg4 -c:a aac -b:a 192k", 40, true},
    {"Clip.m4v", "-map 2:v -map 0:a -c:v mpeg4 -c:a aac -b:a 192k -f mp4", 40, true},
    {"Clip.mov", "-map 2:v -map 0:a -c:v mpeg4 -c:a alac", 0, false},
    {"Clip.mkv", "-map 2:v -map 0:a -c:v mpeg4 -c:a flac", 0, false},
    {"Clip.webm", "-map 2:v -map 0:a -c:v libvpx -c:a libopus -b:a 128k", 25, false},
    {"Clip.avi", "-map 2:v -map 0:a -c:v mpeg4 -c:a pcm_s16le", 0, false},
};

void PrintTo(const Format &format, std::ostream *out) { *out << format.file; }

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The tone (two notes and a little noise, so that no codec has it easy),
// the picture and the video every format is made from, once.
const QTemporaryDir &sources()
{
    static QTemporaryDir dir;
    static const bool made = [] {
        const QString at = dir.path();
        return runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1/tone.wav' synth %2 sine 440 sine 660 "
                                       "synth %2 whitenoise amod 0.02 0.2 vol 0.5")
                            .arg(at).arg(kSeconds))
                == 0
            && runShell(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=orange:s=16x16 -frames:v 1 '%1/cover.png'").arg(at)) == 0
            && runShell(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=blue:s=32x32:r=5:d=%2 '%1/video.mkv'")
                            .arg(at).arg(kSeconds))
                   == 0;
    }();
    EXPECT_TRUE(made) << "sox or ffmpeg could not make the sources";
    return dir;
}

// The 16-bit samples ffmpeg decodes from a file.
QByteArray ffmpegSamples(const QString &file, const QString &scratch)
{
    const QString raw = scratch + QStringLiteral("/ref.raw");
    if (runShell(QStringLiteral("ffmpeg -v error -y -i '%1' -f s16le '%2'").arg(file, raw)) != 0)
        return {};
    return fileBytes(raw);
}

double ffprobeSeconds(const QString &file)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -show_entries format=duration -of csv=p=0 '%1'").arg(file), &out);
    return out.trimmed().toDouble();
}

// Signal-to-noise ratio of ours against theirs over the samples both have.
double snrDb(const QByteArray &ours, const QByteArray &theirs)
{
    const qsizetype n = std::min(ours.size(), theirs.size()) / 2;
    double signal = 0, noise = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const double a = qFromLittleEndian<qint16>(ours.constData() + 2 * i);
        const double b = qFromLittleEndian<qint16>(theirs.constData() + 2 * i);
        signal += b * b;
        noise += (a - b) * (a - b);
    }
    return noise == 0 ? 200 : 10 * std::log10(signal / noise);
}

class SongFormats : public EditorTest, public ::testing::WithParamInterface<Format> {
protected:
    // Makes the song in the home folder with ffmpeg.
    QString makeSong(const Format &format)
    {
        const QString src = sources().path();
        const QString song = env.paths().homeDir + QLatin1Char('/') + QLatin1String(format.file);
        const int rc = runShell(QStringLiteral("ffmpeg -v error -y -i '%1/tone.wav' -i '%1/cover.png' -i '%1/video.mkv' %2 "
                                               "-metadata title='Morning Tune' -metadata artist='The Larks' "
                                               "-metadata album='Dawn' '%3'")
                                    .arg(src, QLatin1String(format.options), song));
        EXPECT_EQ(rc, 0) << "ffmpeg could not make " << format.file;
        return song;
    }
    // Drops the songs on the list and waits for the import to end.
    void drop(const QStringList &songs)
    {
        const int before = entries().size();
        form->clipEditor()->list().importSongs(songs);
        waitFor([&] { return entries().size() > before || !dialogs.messages.isEmpty(); }, 30000);
    }
};

TEST_P(SongFormats, BecomesAClipOfTheSamplesFfmpegDecodesWithTheSongsTags)
{
    const Format &format = GetParam();
    const QString song = makeSong(format);
    drop({song});
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
    const QString name = QFileInfo(song).fileName().chopped(4); // the clip name drops four characters, as ever
    ASSERT_EQ(entries(), QStringList{name});

    const QString clip = env.paths().clipFile(name);
    const WavInfo info = readWavInfo(clip);
    ASSERT_TRUE(info.ok) << info.error.toStdString();
    EXPECT_TRUE(info.canonical);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.fileSize, 44 + info.dataSize);
    const QByteArray ours = readWavData(clip).take();
    const QByteArray theirs = ffmpegSamples(song, env.root());
    ASSERT_FALSE(theirs.isEmpty());
    if (format.minSnrDb == 0) {
        EXPECT_EQ(ours.size(), theirs.size());
        EXPECT_TRUE(ours == theirs) << "lossless: the same samples as ffmpeg's";
    } else {
        EXPECT_NEAR(double(ours.size()), double(theirs.size()), 0.02 * info.sampleRate * info.blockAlign);
        EXPECT_GE(snrDb(ours, theirs), format.minSnrDb);
    }
    const double seconds = double(info.frames()) / info.sampleRate;
    EXPECT_NEAR(seconds, ffprobeSeconds(song), format.slack);
    EXPECT_NEAR(seconds, kSeconds, 0.1);

    const SongTags &tags = form->workspace().clips().at(0).tags;
    if (format.tagged) {
        EXPECT_EQ(tags.title, QStringLiteral("Morning Tune"));
        EXPECT_EQ(tags.artist, QStringLiteral("The Larks"));
        EXPECT_EQ(tags.album, QStringLiteral("Dawn"));
    }
    if (format.cover)
        EXPECT_TRUE(tags.coverArt.startsWith("\x89PNG")) << "the cover arrives";
    EXPECT_TRUE(form->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, SongFormats, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Format> &info) {
                             return QString::fromLatin1(info.param.file).replace('.', '_').toStdString();
                         });

// Bad files: how each is made from a good one, and the words its message holds.
struct BadFile {
    const char *file;
    const char *ffmpeg; // options making it from the tone and the video; empty: the M4A below
    int keep;           // bytes of the made file kept: 0 all; < 0: the first -keep, then noise
    const char *says;
};

const BadFile kBadFiles[] = {
    {"Silent.mp4", "-map 2:v -c:v mpeg4", 0, "holds no audio stream"},
    {"Locked.m4a", "-map 0:a -c:a aac -encryption_scheme cenc-aes-ctr -encryption_key 76a6c65c5ea762046bd749a2e632ccbb "
                   "-encryption_kid a7e61c373e219033c21091fa607bf3b8", 0, "encrypted (DRM)"},
    {"Cut.m4a", "-map 0:a -c:a aac", 20000, "damaged"},
    {"Broken.mkv", "-map 0:a -c:a flac", 60, "damaged"},
    {"Noise.mp4", "-map 2:v -map 0:a -c:v mpeg4 -c:a aac -movflags +faststart", -40, "damaged"},
};

class BadSongFiles : public SongFormats {};

TEST_F(BadSongFiles, GetAMessageNamingThemAndLeaveTheWorkingFolderAsItWas)
{
    // A clip made before: it and its folder must stay as they are.
    drop({EditorTest::makeSong(QStringLiteral("Before.wav"), 0.5)});
    ASSERT_EQ(entries(), QStringList{"Before"});
    const QStringList folder = QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden);
    for (const BadFile &bad : kBadFiles) {
        QString song = makeSong(Format{bad.file, bad.ffmpeg, 0, false});
        QByteArray bytes = fileBytes(song);
        if (bad.keep > 0) {
            bytes.truncate(bad.keep);
        } else if (bad.keep < 0) {
            for (qsizetype i = -bad.keep; i < bytes.size(); ++i)
                bytes[i] = char((i * 7919) >> 3);
        }
        ASSERT_TRUE(writeFile(song, bytes));
        dialogs.messages.clear();
        drop({song});
        ASSERT_EQ(dialogs.messages.size(), 1) << bad.file;
        const QString text = dialogs.messages[0].text;
        EXPECT_TRUE(text.contains(song) && text.contains(QLatin1String(bad.says))) << bad.file << ": " << text.toStdString();
        EXPECT_EQ(entries(), QStringList{"Before"}) << bad.file;
        EXPECT_EQ(QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden), folder) << bad.file;
        EXPECT_TRUE(form->isEnabled());
    }
}

TEST_F(BadSongFiles, ASongLongerThanAClipHoldsIsRefusedBeforeDecoding)
{
    form->workspace().decoder().maxDataSize = 44100 * 4; // a clip of one second, for the test
    const QStringList folder = QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden);
    for (const Format &format : {kFormats[0], kFormats[5]}) { // its length exact (FLAC), or as the container says
        const QString song = makeSong(format);
        dialogs.messages.clear();
        drop({song});
        ASSERT_EQ(dialogs.messages.size(), 1);
        const QString text = dialogs.messages[0].text;
        EXPECT_TRUE(text.contains(song) && text.contains("too long") && !text.contains("stopped")) << text.toStdString();
        EXPECT_TRUE(entries().isEmpty());
        EXPECT_EQ(QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden), folder);
    }
}

TEST_F(BadSongFiles, AWavCutShortOfItsHeaderBecomesAClipWhoseHeaderTellsTheTruth)
{
    const QString whole = EditorTest::makeSong(QStringLiteral("Whole.wav"), 2.0);
    const QByteArray bytes = fileBytes(whole);
    const QString cut = env.paths().homeDir + QStringLiteral("/Download.wav");
    ASSERT_TRUE(writeFile(cut, bytes.left(44 + 44100 * 4 / 2 + 3))); // half a second and part of a frame
    drop({cut});
    ASSERT_EQ(entries(), QStringList{"Download"});
    const QString clip = env.paths().clipFile("Download");
    const WavInfo info = readWavInfo(clip);
    ASSERT_TRUE(info.ok);
    EXPECT_FALSE(info.cutShort);
    EXPECT_EQ(info.dataSize, 44100 * 4 / 2);
    EXPECT_EQ(info.fileSize, 44 + info.dataSize);
    EXPECT_EQ(readWavData(clip).take(), bytes.mid(44, 44100 * 4 / 2)) << "the samples there were, unchanged";
}

} // namespace
