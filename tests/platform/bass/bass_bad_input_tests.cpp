// Bad input through the library's calls: each call fails with a code, or
// gives a stream that decodes what there is and whose length says so. (Each
// reader over bad input directly: reader_table_tests.cpp.)
#include "bass_fixtures.h"
#include "testenv.h"
#include "testwav.h"

#include <QFile>

namespace {

QByteArray wavHeader(quint32 dataSize, quint16 channels = 2, quint32 rate = 44100)
{
    return canonicalWav(channels, int(rate), 16, {}, dataSize);
}

} // namespace

class BassBadInput : public BassTest {
protected:
    // Opens a file in all the ways the decoder tries (and from memory): each
    // either fails with a code or gives a channel that decodes to its end.
    void tryEveryWay(const QString &file, bool expectFailure)
    {
        const QByteArray native = QFile::encodeName(file);
        const QByteArray bytes = readFile(file);
        std::vector<std::pair<DWORD, int>> handles; // each handle with the code its call left
        auto take = [&](DWORD h) { handles.emplace_back(h, bass().BASS_ErrorGetCode()); };
        take(bass().BASS_StreamCreateFile(0, native.constData(), 0, 0, BASS_STREAM_DECODE));
        take(bass().BASS_StreamCreateURL(native.constData(), 0, BASS_STREAM_DECODE | BASS_STREAM_FETCHALL, nullptr, nullptr));
        take(bass().BASS_MusicLoad(0, native.constData(), 0, 0, kMusicFlags, 0));
        if (!bytes.isEmpty()) {
            take(bass().BASS_StreamCreateFile(1, bytes.constData(), 0, QWORD(bytes.size()), 0));
            take(bass().BASS_MusicLoad(1, bytes.constData(), 0, DWORD(bytes.size()), kMusicFlags, 0));
        }
        for (size_t i = 0; i < handles.size(); ++i) {
            const DWORD h = handles[i].first;
            if (h == 0) {
                EXPECT_NE(handles[i].second, 0) << file.toStdString() << " way " << i;
                continue;
            }
            EXPECT_EQ(handles[i].second, 0) << file.toStdString() << " way " << i;
            EXPECT_FALSE(expectFailure) << file.toStdString() << " opened by way " << i;
            // The length first given is what the file claims; at the end it is what came.
            const Decoded d = decode(h);
            EXPECT_EQ(bass().BASS_ChannelGetLength(h), QWORD(d.pcm.size())) << file.toStdString() << " way " << i;
            EXPECT_EQ(bass().BASS_ChannelIsActive(h), 0u);
            EXPECT_TRUE(bass().BASS_StreamFree(h));
        }
    }
    void expectFormatError(const QString &file)
    {
        EXPECT_EQ(open(file), 0u) << file.toStdString();
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FORMAT) << file.toStdString();
        const QByteArray native = QFile::encodeName(file);
        EXPECT_EQ(bass().BASS_MusicLoad(0, native.constData(), 0, 0, kMusicFlags, 0), 0u);
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
        tryEveryWay(file, true);
    }
    QString lameFile()
    {
        const QString wav = tone("src.wav", {"-r", "44100", "-c", "2", "-b", "16"}, 1.0);
        const QString mp3 = path("good.mp3");
        make("lame", {"--quiet", "-b", "128", wav, mp3});
        return mp3;
    }
};

TEST_F(BassBadInput, EmptyFile)
{
    ASSERT_TRUE(writeFile(path("empty.mp3"), {}));
    expectFormatError(path("empty.mp3"));
    char nothing = 0;
    EXPECT_EQ(bass().BASS_StreamCreateFile(1, &nothing, 0, 0, 0), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

TEST_F(BassBadInput, MissingFileOrFolder)
{
    EXPECT_EQ(open(path("nowhere.mp3")), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(open(dir_.path()), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    EXPECT_EQ(bass().BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(bass().BASS_MusicLoad(0, "", 0, 0, 0, 0), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

TEST_F(BassBadInput, TruncatedMp3)
{
    const QString mp3 = lameFile();
    const QByteArray whole = readFile(mp3);
    const qsizetype fullPcm = decode(open(mp3)).pcm.size();
    // Cut in the middle, in the middle of a frame: what is there decodes, no
    // more, and the length says so at the end. (Every reader over cut-off
    // files of its formats: reader_table_tests.cpp.)
    const QString half = path("half.mp3");
    ASSERT_TRUE(writeFile(half, whole.left(whole.size() / 2 + 77)));
    const DWORD h = open(half);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    const Decoded d = decode(h);
    EXPECT_GT(d.pcm.size(), fullPcm / 3);
    EXPECT_LT(d.pcm.size(), fullPcm);
    EXPECT_EQ(d.length, QWORD(d.pcm.size()));
    char buf[100];
    EXPECT_EQ(bass().BASS_ChannelGetData(h, buf, sizeof buf), 0xFFFFFFFFu);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ENDED);
    tryEveryWay(half, false);
}

TEST_F(BassBadInput, Mp3WhoseTagClaimsMoreThanTheFileHolds)
{
    const QByteArray audio = readFile(lameFile());
    QByteArray tag("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10); // 256 MB of tag
    tag += QByteArray("TIT2\x00\x00\x00\x05\x00\x00\x00Song", 15);
    const QString file = path("bigtag.mp3");
    ASSERT_TRUE(writeFile(file, tag + audio));
    expectFormatError(file);
}

TEST_F(BassBadInput, WavWithHugeDataSize)
{
    // A header that claims ~2 GB of samples over no samples at all: what
    // there is is no samples, a stream that has ended at once.
    const QString none = path("huge-empty.wav");
    ASSERT_TRUE(writeFile(none, wavHeader(0x7FFFFF00u)));
    const DWORD e = open(none);
    ASSERT_NE(e, 0u) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(bass().BASS_ChannelGetLength(e), 0u);
    EXPECT_EQ(bass().BASS_ChannelIsActive(e), DWORD(BASS_ACTIVE_STOPPED));
    tryEveryWay(none, false);
    // Over 1000 bytes of samples: those decode, and the length says so.
    QByteArray samples(1000, '\0');
    for (int i = 0; i < samples.size(); ++i)
        samples[i] = char(i * 7);
    const QString some = path("huge.wav");
    ASSERT_TRUE(writeFile(some, wavHeader(0xFFFFFFF0u) + samples));
    const DWORD h = open(some);
    if (h == 0) {
        EXPECT_NE(bass().BASS_ErrorGetCode(), 0);
    } else {
        const Decoded d = decode(h);
        EXPECT_EQ(d.pcm, samples);
        EXPECT_EQ(d.length, 1000u);
    }
    tryEveryWay(some, false);
}
