// Tags: read from songs with TagLib, written into every format, read back
// by ffprobe and ffmpeg.
#include "encodefixture.h"

#include "testenv.h"

#include <QFile>

namespace {

struct SongCase {
    const char *name;
    const char *make; // shell command; %1 the WAV it starts from, %2 the song, %3 the cover
    SongTags expected; // the cover's bytes are filled in by the test
    bool hasCover;
};

const SongCase kSongs[] = {
    {"Mp3Id3v2WithCover", "lame --quiet --id3v2-only --ta 'The Artist' --tl 'The Album' --tt 'Song' --ti '%3' '%1' '%2'",
     {"Song", "The Artist", "The Album", {}, "image/png"}, true},
    {"Mp3Id3v1Only", "lame --quiet --id3v1-only --ta 'Old Artist' --tl 'Old Album' '%1' '%2'",
     {"", "Old Artist", "Old Album", {}, ""}, false},
    {"WavRiffInfo", "ffmpeg -v error -i '%1' -metadata artist='Wav Artist' -metadata album='Wav Album' -c copy '%2'",
     {"", "Wav Artist", "Wav Album", {}, ""}, false},
    {"WavUntagged", "cp '%1' '%2'", {}, false},
    {"Mp3Untagged", "lame --quiet '%1' '%2'", {}, false},
};

} // namespace

class TagFixture : public EncodeFixture {
protected:
    QString makeCover()
    {
        const QString cover = file(QStringLiteral("cover.png"));
        EXPECT_EQ(runShell(QStringLiteral("ffmpeg -v error -f lavfi -i color=c=red:s=24x24 -frames:v 1 '%1'").arg(cover)), 0);
        return cover;
    }
};

class ReadSongTagsTest : public TagFixture, public ::testing::TestWithParam<SongCase> {};

TEST_P(ReadSongTagsTest, ArtistAlbumAndCoverOfTheSong)
{
    const SongCase &c = GetParam();
    const QString wav = makeWav(QStringLiteral("song.wav"), 1.0);
    const QString cover = makeCover();
    const QString song = file(QStringLiteral("the song.") + (QString::fromLatin1(c.name).startsWith("Mp3") ? "mp3" : "wav"));
    const QString make = QString::fromLatin1(c.make)
                             .replace(QLatin1String("%1"), wav)
                             .replace(QLatin1String("%2"), song)
                             .replace(QLatin1String("%3"), cover);
    ASSERT_EQ(runShell(make), 0);
    SongTags expected = c.expected;
    if (c.hasCover)
        expected.coverArt = readFile(cover);
    const SongTags read = readSongTags(song);
    EXPECT_EQ(read.title, expected.title);
    EXPECT_EQ(read.artist, expected.artist);
    EXPECT_EQ(read.album, expected.album);
    EXPECT_EQ(read.coverMime, expected.coverMime);
    EXPECT_TRUE(read.coverArt == expected.coverArt) << read.coverArt.size() << " cover bytes read";
}

INSTANTIATE_TEST_SUITE_P(Songs, ReadSongTagsTest, ::testing::ValuesIn(kSongs),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ReadSongTags, NoFileOrNoSongGivesNoTags)
{
    EXPECT_EQ(readSongTags(QStringLiteral("/nonexistent/song.mp3")), SongTags{});
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.mp3"));
    writeFile(junk, QByteArray(5000, 'x'));
    EXPECT_EQ(readSongTags(junk), SongTags{});
}

// The song's artist, album and cover reach every format; the title is the
// file's own name.
class WriteTagsTest : public TagFixture, public ::testing::TestWithParam<RingtoneFormat> {};

TEST_P(WriteTagsTest, SongArtistAlbumAndCoverInTheSavedFile)
{
    const RingtoneFormat format = GetParam();
    const QString wav = makeWav(QStringLiteral("joined.wav"), 2.0);
    const QString cover = makeCover();
    const QString song = file(QStringLiteral("song.mp3"));
    ASSERT_EQ(runShell(QStringLiteral("ffmpeg -v error -i '%1' -i '%2' -map 0 -map 1 -c:a libmp3lame -c:v copy -disposition:v attached_pic "
                                      "-id3v2_version 4 -metadata artist='Ann Ørsted' -metadata album='Läuten' '%3'")
                           .arg(wav, cover, song)),
              0);
    const QString name = QStringLiteral("Ring tone.") + extensionFor(format);
    ASSERT_EQ(save(wav, name, format, readSongTags(song)), QString());

    const auto tags = tagsOf(probe(file(name)));
    EXPECT_EQ(tags.value(QStringLiteral("title")), QStringLiteral("Ring tone"));
    EXPECT_EQ(tags.value(QStringLiteral("artist")), QStringLiteral("Ann Ørsted"));
    EXPECT_EQ(tags.value(QStringLiteral("album")), QStringLiteral("Läuten"));
    EXPECT_TRUE(coverOf(file(name), file(QStringLiteral("cover.out"))) == readFile(cover)) << "the cover differs";
}

INSTANTIATE_TEST_SUITE_P(AllFormats, WriteTagsTest,
                         ::testing::Values(RingtoneFormat::M4r, RingtoneFormat::Ogg, RingtoneFormat::Opus,
                                           RingtoneFormat::Flac, RingtoneFormat::Mp3, RingtoneFormat::Wav),
                         [](const auto &info) { return extensionFor(info.param).toStdString(); });

// The list export's and the converter's MP3s, under any typed name, get
// ID3v2.4; their sound stays as it was.
TEST(WriteTags, Mp3OfAnotherEncoderGetsId3v24AndKeepsItsFrames)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("in.wav")), mp3 = dir.filePath(QStringLiteral("list export"));
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 1 sine 440 && lame --quiet '%1' '%2'").arg(wav, mp3)), 0);
    const QByteArray before = readFile(mp3);
    const Outcome written = writeTags(mp3, tagsForOutput(SongTags{{}, QStringLiteral("A"), {}, {}, {}}, mp3));
    ASSERT_TRUE(written) << written.error().toStdString();
    const QByteArray after = readFile(mp3);
    EXPECT_TRUE(after.startsWith(QByteArray("ID3\x04", 4)));
    EXPECT_TRUE(after.endsWith(before)) << "the MP3 frames changed";
    const auto tags = tagsOf(probe(mp3));
    EXPECT_EQ(tags.value(QStringLiteral("title")), QStringLiteral("list export"));
    EXPECT_EQ(tags.value(QStringLiteral("artist")), QStringLiteral("A"));

    EXPECT_TRUE(writeTags(wav + QStringLiteral(".missing"), SongTags{}).error().contains(QStringLiteral("in.wav.missing")));
}

TEST(RingtoneFormatNames, TypedExtensionWinsAndAMissingOneComesFromTheFilter)
{
    struct Case {
        const char *typed;
        RingtoneFormat filter;
        const char *saved;
        RingtoneFormat format;
    } cases[] = {
        {"/h/ring", RingtoneFormat::M4r, "/h/ring.m4r", RingtoneFormat::M4r},
        {"/h/ring", RingtoneFormat::Opus, "/h/ring.opus", RingtoneFormat::Opus},
        {"/h/ring.ogg", RingtoneFormat::M4r, "/h/ring.ogg", RingtoneFormat::Ogg},
        {"/h/ring.FLAC", RingtoneFormat::Mp3, "/h/ring.FLAC", RingtoneFormat::Flac},
        {"/h/my.song", RingtoneFormat::Wav, "/h/my.song.wav", RingtoneFormat::Wav},
        {"/h.d/ring", RingtoneFormat::Mp3, "/h.d/ring.mp3", RingtoneFormat::Mp3},
    };
    for (const Case &c : cases) {
        const NamedFormat named = formatForName(QString::fromUtf8(c.typed), c.filter);
        EXPECT_EQ(named.format, c.format) << c.typed;
        EXPECT_EQ(named.fileName, QString::fromUtf8(c.saved));
    }
    const QStringList filters = ringtoneFilters();
    EXPECT_EQ(filters, (QStringList{"iPhone ringtone (*.m4r)", "Ogg Vorbis (*.ogg)", "Opus (*.opus)", "FLAC (*.flac)",
                                    "MP3 (*.mp3)", "WAV (*.wav)"}));
    for (const QString &f : filters)
        EXPECT_EQ(filterFor(formatForFilter(f)), f);
}
