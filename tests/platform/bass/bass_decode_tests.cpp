// Decoding every input format through libbass.so, compared sample by sample
// with an independent decoder (mpg123 or ffmpeg).
#include "bass_fixtures.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool saveBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The samples of a file as they are stored, in their own encoding, read by sox.
QByteArray storedSamples(const QString &path)
{
    QByteArray out;
    EXPECT_EQ(runProgram(QStringLiteral("sox"), {path, QStringLiteral("-t"), QStringLiteral("raw"), QStringLiteral("-")}, &out), 0);
    return out;
}

} // namespace

// --- Every format, against an independent decoder -----------------------------

namespace {

enum class Ref { None, Stored, Mpg123, Ffmpeg, Sox };

// One song: a sox tone (the song itself, or encoded into it by `encode`,
// whose IN and OUT stand for the tone and the song), or, with no tone
// format, the MPEG-1 Layer I stream of our own; what its decoding must give.
struct DecodeRow {
    const char *name;
    const char *song;
    QStringList toneFormat;
    double seconds;
    QStringList encode = {};
    DWORD rate = 44100, chans = 2;
    qint64 frames = 0;      // the exact count; 0: only a multiple of `frameGrain`
    qint64 frameGrain = 1;
    Ref ref = Ref::Ffmpeg;  // the samples must match within `tolerance`
    int tolerance = 1;
    Ref also = Ref::None;   // a second decoder: as many samples, and within
    int alsoTolerance = -1; // this much of each (-1: the count only)
    bool lengthKnown = false;   // the length is exact before decoding
    DWORD ctype = 0, origres = 0;
    bool eightBit = false;
    int minPeak = 0;
    const char *synth = "sine 440";
};

void PrintTo(const DecodeRow &row, std::ostream *os) { *os << row.name; }

const QStringList kCdTone = {"-r", "44100", "-c", "2", "-b", "16"};

const DecodeRow kDecodeRows[] = {
    {.name = "Layer3CbrFromLameIsGapless", .song = "cbr.mp3", .toneFormat = kCdTone, .seconds = 1.3,
     .encode = {"lame", "--quiet", "-b", "192", "IN", "OUT"}, .frames = 57330, .ref = Ref::Mpg123,
     .also = Ref::Ffmpeg, .lengthKnown = true, .ctype = 1, .minPeak = 10000},
    {.name = "Layer3VbrWithXingFrameIsMeasuredExactly", .song = "vbr.mp3", .toneFormat = kCdTone, .seconds = 2.1,
     .encode = {"lame", "--quiet", "-V", "2", "IN", "OUT"}, .frames = 92610, .ref = Ref::Mpg123, .lengthKnown = true,
     .synth = "sine 300-3000"},
    {.name = "Layer3MonoAt22050", .song = "mono.mp3", .toneFormat = {"-r", "22050", "-c", "1", "-b", "16"},
     .seconds = 0.7, .encode = {"lame", "--quiet", "-m", "m", "-b", "64", "IN", "OUT"}, .rate = 22050, .chans = 1,
     .frames = 15435, .ref = Ref::Mpg123},
    {.name = "Layer2", .song = "song.mp2", .toneFormat = {"-r", "48000", "-c", "2", "-b", "16"}, .seconds = 1.0,
     .encode = {"ffmpeg", "-v", "error", "-i", "IN", "-c:a", "mp2", "-b:a", "192k", "-f", "mp2", "OUT"},
     .rate = 48000, .frameGrain = 1152, .ref = Ref::Mpg123, .minPeak = 10000},
    {.name = "Layer1", .song = "song.mp1", .toneFormat = {}, .seconds = 0, .rate = 48000, .chans = 1,
     .frames = 40 * 384, .ref = Ref::Mpg123, .also = Ref::Ffmpeg, .alsoTolerance = 1, .minPeak = 100},
    {.name = "Wav8BitStaysUnsigned8Bit", .song = "u8.wav",
     .toneFormat = {"-r", "11025", "-c", "1", "-b", "8", "-e", "unsigned-integer"}, .seconds = 0.4, .rate = 11025,
     .chans = 1, .frames = 4410, .ref = Ref::Stored, .tolerance = 0, .lengthKnown = true, .origres = 8,
     .eightBit = true},
    {.name = "Wav16BitIsTheFilesSamples", .song = "s16.wav", .toneFormat = kCdTone, .seconds = 0.6, .frames = 26460,
     .ref = Ref::Stored, .tolerance = 0, .lengthKnown = true, .ctype = 2},
    {.name = "Wav24Bit", .song = "s24.wav", .toneFormat = {"-r", "48000", "-c", "2", "-b", "24"}, .seconds = 0.6,
     .rate = 48000, .frames = 28800, .origres = 24},
    {.name = "WavFloat", .song = "f32.wav", .toneFormat = {"-r", "44100", "-c", "1", "-b", "32", "-e", "floating-point"},
     .seconds = 0.6, .chans = 1, .frames = 26460, .minPeak = 10000},
    {.name = "Flac", .song = "song.flac", .toneFormat = kCdTone, .seconds = 0.8, .frames = 35280, .tolerance = 0},
    // sox reads Ogg Vorbis with libvorbisfile (ffmpeg drops the first 128 frames here).
    {.name = "OggVorbisGivesTheFramesThatWentIn", .song = "song.ogg", .toneFormat = {"-r", "44100", "-c", "2"},
     .seconds = 0.8, .frames = 35280, .ref = Ref::Sox},
    {.name = "Aiff", .song = "song.aiff", .toneFormat = {"-r", "22050", "-c", "2", "-b", "16"}, .seconds = 0.5,
     .rate = 22050, .frames = 11025, .tolerance = 0},
};

class DecodeTable : public BassTest, public ::testing::WithParamInterface<DecodeRow> {
protected:
    QString makeSong(const DecodeRow &row)
    {
        const QString song = path(QString::fromLatin1(row.song));
        if (row.toneFormat.isEmpty()) {
            QFile f(song);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(makeLayer1Stream(40)) > 0);
            return song;
        }
        if (row.encode.isEmpty())
            return tone(QString::fromLatin1(row.song), row.toneFormat, row.seconds, QString::fromLatin1(row.synth));
        const QString source = tone(QStringLiteral("src.wav"), row.toneFormat, row.seconds, QString::fromLatin1(row.synth));
        QStringList args = row.encode.mid(1);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^IN$")), source);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^OUT$")), song);
        make(row.encode.front(), args);
        return song;
    }
    QByteArray decodedBy(Ref ref, const QString &song)
    {
        QByteArray out;
        switch (ref) {
        case Ref::Stored: return storedSamples(song);
        case Ref::Mpg123: return mpg123S16(song);
        case Ref::Ffmpeg: return ffmpegS16(song);
        case Ref::Sox: EXPECT_EQ(runProgram(QStringLiteral("sox"), {song, "-t", "s16", "-"}, &out), 0); return out;
        case Ref::None: break;
        }
        return out;
    }
};

} // namespace

TEST_P(DecodeTable, GivesTheSamplesOfAnIndependentDecoder)
{
    const DecodeRow &row = GetParam();
    const QString song = makeSong(row);
    const DWORD h = open(song);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    const Decoded d = decode(h);
    EXPECT_EQ(d.info.freq, row.rate);
    EXPECT_EQ(d.rate, row.rate);
    EXPECT_EQ(d.info.chans, row.chans);
    EXPECT_EQ(d.info.flags & BASS_SAMPLE_8BITS, row.eightBit ? DWORD(BASS_SAMPLE_8BITS) : 0u);
    if (row.ctype)
        EXPECT_EQ(d.info.ctype, row.ctype);
    if (row.origres)
        EXPECT_EQ(d.info.origres, row.origres);
    const qint64 frameBytes = qint64(row.chans) * (row.eightBit ? 1 : 2);
    if (row.frames)
        EXPECT_EQ(d.pcm.size(), row.frames * frameBytes);
    EXPECT_EQ(d.pcm.size() % (row.frameGrain * frameBytes), 0);
    if (row.lengthKnown)
        EXPECT_EQ(d.length, QWORD(d.pcm.size()));
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), QWORD(d.pcm.size()));
    if (row.tolerance == 0)
        EXPECT_EQ(d.pcm, decodedBy(row.ref, song));
    else
        EXPECT_TRUE(samplesMatch(d.pcm, decodedBy(row.ref, song), row.tolerance));
    if (row.also != Ref::None) {
        const QByteArray theirs = decodedBy(row.also, song);
        EXPECT_EQ(theirs.size(), d.pcm.size());
        if (row.alsoTolerance >= 0)
            EXPECT_TRUE(samplesMatch(d.pcm, theirs, row.alsoTolerance));
    }
    if (row.minPeak)
        EXPECT_GT(peak16(d.pcm), row.minPeak);
}

INSTANTIATE_TEST_SUITE_P(EveryFormat, DecodeTable, ::testing::ValuesIn(kDecodeRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(BassTest, TagsAreSkipped)
{
    const QString wav = tone("src.wav", {"-r", "44100", "-c", "2", "-b", "16"}, 0.5);
    const QString plain = path("plain.mp3");
    make("lame", {"--quiet", "-b", "128", wav, plain});
    const QByteArray audio = fileBytes(plain);
    // ID3v2.3 with one text frame (synchsafe size), ID3v1 and an APEv2 tag.
    QByteArray frame = QByteArray("TIT2") + QByteArray("\x00\x00\x00\x06\x00\x00", 6) + QByteArray("\x00Song\x00", 6);
    QByteArray id3v2("ID3\x03\x00\x00", 6);
    const int size = int(frame.size()) + 100; // with padding
    id3v2.append(char((size >> 21) & 0x7F)).append(char((size >> 14) & 0x7F)).append(char((size >> 7) & 0x7F)).append(char(size & 0x7F));
    id3v2 += frame;
    id3v2 += QByteArray(100, '\0');
    QByteArray ape("APETAGEX", 8);
    auto le32 = [](QByteArray &b, quint32 v) { for (int i = 0; i < 4; ++i) b.append(char((v >> (8 * i)) & 0xFF)); };
    QByteArray item;
    le32(item, 4); le32(item, 0); item += "Title"; item.append('\0'); item += "Song";
    QByteArray footer("APETAGEX", 8);
    le32(footer, 2000); le32(footer, quint32(item.size() + 32)); le32(footer, 1); le32(footer, 0);
    footer += QByteArray(8, '\0');
    QByteArray id3v1("TAG", 3);
    id3v1 += QByteArray("Song").leftJustified(125, '\0');
    const QString tagged = path("tagged.mp3");
    ASSERT_TRUE(saveBytes(tagged, id3v2 + audio + item + footer + id3v1));

    const DWORD a = open(plain), b = open(tagged);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u) << bass().BASS_ErrorGetCode();
    const Decoded da = decode(a), db = decode(b);
    EXPECT_EQ(da.pcm.size(), qsizetype(22050) * 4);
    EXPECT_TRUE(samplesMatch(db.pcm, da.pcm, 0));
}

TEST_F(BassTest, MemoryImageDecodesAsTheFile)
{
    const QString wav = tone("src.wav", {"-r", "44100", "-c", "2", "-b", "16"}, 0.5);
    const QString mp3 = path("song.mp3");
    make("lame", {"--quiet", "-b", "128", wav, mp3});
    const QByteArray bytes = fileBytes(mp3);
    const Decoded fromFile = decode(open(mp3));
    QByteArray padded = QByteArray(7, 'x') + bytes + QByteArray(5, 'y');
    const DWORD h = bass().BASS_StreamCreateFile(1, padded.constData(), 7, QWORD(bytes.size()), 0);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    padded.fill('\0'); // the library keeps its own copy
    const Decoded fromMemory = decode(h);
    EXPECT_TRUE(samplesMatch(fromMemory.pcm, fromFile.pcm, 0));

    // A WAV image in memory, as the recorder makes.
    const QByteArray wavBytes = fileBytes(wav);
    const DWORD w = bass().BASS_StreamCreateFile(1, wavBytes.constData(), 0, QWORD(wavBytes.size()), 0);
    ASSERT_NE(w, 0u) << bass().BASS_ErrorGetCode();
    EXPECT_TRUE(samplesMatch(decode(w).pcm, storedSamples(wav), 0));
}

// A recording stopped at once is a WAV of its header alone: a stream that
// opens, from a file and from memory, and has ended before the first read.
TEST_F(BassTest, AWavWithNoSamplesIsAStreamThatHasEndedAtOnce)
{
    const QString wav = path("empty.wav");
    make("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "trim", "0", "0"});
    const QByteArray image = fileBytes(wav);
    ASSERT_EQ(image.size(), 44);
    for (bool fromMemory : {false, true}) {
        const DWORD h = fromMemory ? bass().BASS_StreamCreateFile(1, image.constData(), 0, 44, BASS_STREAM_DECODE)
                                   : open(wav);
        ASSERT_NE(h, 0u) << "from memory: " << fromMemory << ", error " << bass().BASS_ErrorGetCode();
        BASS_CHANNELINFO info{};
        ASSERT_TRUE(bass().BASS_ChannelGetInfo(h, &info));
        EXPECT_EQ(info.freq, 44100u);
        EXPECT_EQ(info.chans, 2u);
        EXPECT_EQ(bass().BASS_ChannelGetLength(h), 0u);
        EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
        char buf[400];
        EXPECT_EQ(bass().BASS_ChannelGetData(h, buf, sizeof buf), 0xFFFFFFFFu);
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ENDED);
        EXPECT_EQ(bass().BASS_ChannelGetPosition(h), 0u);
        EXPECT_TRUE(bass().BASS_StreamFree(h));
    }
}

TEST_F(BassTest, TypeComesFromTheContentNotTheName)
{
    const QString wav = tone("src.wav", {"-r", "44100", "-c", "2", "-b", "16"}, 0.5);
    const QString mp3 = path("real.mp3");
    make("lame", {"--quiet", "-b", "128", wav, mp3});
    ASSERT_TRUE(QFile::copy(wav, path("wave.mp3")));
    ASSERT_TRUE(QFile::copy(mp3, path("mpeg.wav")));
    ASSERT_TRUE(QFile::copy(mp3, path("noname")));
    const Decoded a = decode(open(path("wave.mp3")));
    EXPECT_EQ(a.info.ctype, 2u);
    EXPECT_EQ(a.pcm, storedSamples(wav));
    const Decoded b = decode(open(path("mpeg.wav")));
    EXPECT_EQ(b.info.ctype, 1u);
    EXPECT_EQ(b.pcm.size(), qsizetype(22050) * 4);
    EXPECT_EQ(decode(open(path("noname"))).pcm, b.pcm);
}

// --- the decoder's use of the channel ------------------------------------------

TEST_F(BassTest, FiftyThousandBytesComeInBlocksOf20000_20000_10000)
{
    const QString wav = tone("m.wav", {"-r", "8000", "-c", "1", "-b", "16"}, 25000.0 / 8000);
    const DWORD h = open(wav);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(bass().BASS_ChannelGetLength(h), 50000u);
    QByteArray buf(20000, '\0');
    std::vector<DWORD> blocks;
    while (bass().BASS_ChannelIsActive(h)) {
        const DWORD got = bass().BASS_ChannelGetData(h, buf.data(), 20000);
        blocks.push_back(got);
        if (blocks.size() > 10)
            break;
    }
    EXPECT_EQ(blocks, (std::vector<DWORD>{20000, 20000, 10000}));
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), 50000u);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), 0u);
    EXPECT_EQ(bass().BASS_ChannelGetData(h, buf.data(), 20000), 0xFFFFFFFFu);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ENDED);
    // Rewound to the start (SetBytePos 0), it plays again.
    EXPECT_TRUE(bass().BASS_ChannelSetPosition(h, 0));
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), 0u);
    EXPECT_NE(bass().BASS_ChannelIsActive(h), 0u);
    EXPECT_EQ(decode(h).pcm, storedSamples(wav));
}

TEST_F(BassTest, SetPositionSeeksWithinTheSong)
{
    const QString wav = tone("src.wav", {"-r", "44100", "-c", "2", "-b", "16"}, 1.0);
    const QString mp3 = path("song.mp3");
    make("lame", {"--quiet", "-b", "128", wav, mp3});
    const DWORD h = open(mp3);
    const Decoded all = decode(h);
    ASSERT_TRUE(bass().BASS_ChannelSetPosition(h, 40000));
    const Decoded tail = decode(h);
    EXPECT_TRUE(samplesMatch(tail.pcm, all.pcm.mid(40000), 1));
    EXPECT_FALSE(bass().BASS_ChannelSetPosition(h, 40001)); // not on a frame
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_FALSE(bass().BASS_ChannelSetPosition(h, all.length + 4));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_POSITION);
}

// --- Tracker music -------------------------------------------------------------

TEST_F(BassTest, ProTrackerModuleRendersAt44100Stereo)
{
    const QString mod = path("tune.mod");
    ASSERT_TRUE(saveBytes(mod, makeProTrackerModule(16)));
    const QByteArray native = QFile::encodeName(mod);
    // Not a stream: the decoder's first call fails, then MusicLoad takes it.
    EXPECT_EQ(bass().BASS_StreamCreateFile(0, native.constData(), 0, 0, BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
    const DWORD h = bass().BASS_MusicLoad(0, native.constData(), 0, 0, kMusicFlags, 0);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    const Decoded d = decode(h);
    EXPECT_EQ(d.info.freq, 44100u);
    EXPECT_EQ(d.rate, 44100u);
    EXPECT_EQ(d.info.chans, 2u);
    EXPECT_EQ(d.info.ctype, 3u);
    // 16 rows at speed 6, tempo 125: 16 x 6 x 20 ms = 1.92 s, and a short tail.
    const double seconds = double(d.pcm.size()) / 4 / 44100;
    EXPECT_NEAR(seconds, 1.92, 0.15);
    EXPECT_GT(peak16(d.pcm), 1000);
    EXPECT_EQ(d.length, QWORD(d.pcm.size())); // known before rendering

    const QByteArray bytes = makeProTrackerModule(16);
    const DWORD m = bass().BASS_MusicLoad(1, bytes.constData(), 0, DWORD(bytes.size()), kMusicFlags, 0);
    ASSERT_NE(m, 0u) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(decode(m).pcm, d.pcm);
}

// --- Addresses -----------------------------------------------------------------

namespace {

// Serves one file at /song.mp3 on 127.0.0.1 (anything else: 404), written
// in random-size pieces, from one byte to a few kilobytes, with random
// pauses; with a Content-Length or ended by closing the connection, at random.
const char *const kPieceServer = R"(
import http.server, random, sys, time
data = open(sys.argv[1], 'rb').read()
rnd = random.Random(int(sys.argv[2]))
class Pieces(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'
    def do_GET(self):
        if self.path != '/song.mp3':
            self.send_error(404)
            return
        self.send_response(200)
        if rnd.random() < 0.5:
            self.send_header('Content-Length', str(len(data)))
        self.end_headers()
        at = 0
        while at < len(data):
            n = rnd.choice((1, rnd.randint(1, 100), rnd.randint(1, 5000)))
            self.wfile.write(data[at:at + n])
            self.wfile.flush()
            at += n
            if rnd.random() < 0.03:
                time.sleep(rnd.random() * 0.004)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(('127.0.0.1', 0), Pieces)
print(server.server_address[1], flush=True)
server.serve_forever()
)";

} // namespace

TEST_F(BassTest, HttpAddressDecodesAsTheFileHoweverTheBytesArrive)
{
    const QString wav = tone("src.wav", {"-r", "44100", "-c", "2", "-b", "16"}, 1.5, "sine 300-3000");
    const QString mp3 = path("served.mp3");
    make("lame", {"--quiet", "-V", "4", wav, mp3});
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const int seed = QRandomGenerator::global()->bounded(1 << 30);
    server.start("python3", {"-c", kPieceServer, mp3, QString::number(seed)});
    ASSERT_TRUE(server.waitForStarted(10000));
    ASSERT_TRUE(server.waitForReadyRead(10000));
    const int port = server.readLine().trimmed().toInt();
    ASSERT_GT(port, 0);
    const QByteArray url = QStringLiteral("http://127.0.0.1:%1/song.mp3").arg(port).toUtf8();
    // The first decoder of the process reads the address, as in an import.
    std::vector<Decoded> fetched;
    for (int run = 0; run < 25; ++run) {
        const DWORD h = bass().BASS_StreamCreateURL(url.constData(), 0, BASS_STREAM_DECODE | BASS_STREAM_FETCHALL, nullptr, nullptr);
        ASSERT_NE(h, 0u) << "seed " << seed << ", run " << run << ": " << bass().BASS_ErrorGetCode();
        fetched.push_back(decode(h, 4 * (1 + run * 997 % 9000))); // blocks of many sizes
        EXPECT_TRUE(bass().BASS_StreamFree(h));
    }
    const Decoded file = decode(open(mp3));
    ASSERT_GT(file.pcm.size(), 0);
    for (size_t run = 0; run < fetched.size(); ++run) {
        EXPECT_EQ(fetched[run].length, file.length) << "seed " << seed << ", run " << run;
        ASSERT_TRUE(samplesMatch(fetched[run].pcm, file.pcm, 0)) << "seed " << seed << ", run " << run;
    }
    const QByteArray missing = QStringLiteral("http://127.0.0.1:%1/nothing.mp3").arg(port).toUtf8();
    EXPECT_EQ(bass().BASS_StreamCreateURL(missing.constData(), 0, BASS_STREAM_DECODE | BASS_STREAM_FETCHALL, nullptr, nullptr), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NETWORK);
    server.kill();
    server.waitForFinished(5000);
}

TEST_F(BassTest, AnythingButHttpHttpsOrFtpFailsWithACode)
{
    for (const char *url : {"/home/user/song.mp3", "C:\\Music\\song.mp3", "file:///etc/passwd", "gopher://x/",
                            "", "httpx://a"}) {
        EXPECT_EQ(bass().BASS_StreamCreateURL(url, 0, BASS_STREAM_DECODE | BASS_STREAM_FETCHALL, nullptr, nullptr), 0u) << url;
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_PROTOCOL) << url;
    }
    EXPECT_EQ(bass().BASS_StreamCreateURL(nullptr, 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    // Nothing listens on port 9 of this machine.
    EXPECT_EQ(bass().BASS_StreamCreateURL("http://127.0.0.1:9/song.mp3", 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NETWORK);
}

// --- Handles, start and threads ---------------------------------------------------

TEST_F(BassTest, StaleAndUnknownHandlesFailWithACode)
{
    const QString wav = tone("s.wav", {"-r", "8000", "-c", "1", "-b", "16"}, 0.2);
    const DWORD h = open(wav);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(bass().BASS_StreamFree(h));
    char buf[64];
    BASS_CHANNELINFO info{};
    DWORD rate = 0;
    for (DWORD bad : {h, 0u, 12345u, 0xFFFFFFFFu}) {
        EXPECT_EQ(bass().BASS_ChannelGetData(bad, buf, sizeof buf), 0xFFFFFFFFu);
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(bass().BASS_ChannelGetInfo(bad, &info));
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(bass().BASS_ChannelGetAttributes(bad, &rate, nullptr, nullptr));
        EXPECT_EQ(bass().BASS_ChannelIsActive(bad), 0u);
        EXPECT_EQ(bass().BASS_ChannelGetPosition(bad), QWORD(-1));
        EXPECT_EQ(bass().BASS_ChannelGetLength(bad), QWORD(-1));
        EXPECT_FALSE(bass().BASS_ChannelSetPosition(bad, 0));
        EXPECT_FALSE(bass().BASS_ChannelPlay(bad, 0));
        EXPECT_FALSE(bass().BASS_ChannelStop(bad));
        EXPECT_FALSE(bass().BASS_StreamFree(bad));
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    }
    // BASS_Free releases every stream: their handles are stale afterwards.
    const DWORD g = open(wav);
    ASSERT_NE(g, 0u);
    EXPECT_NE(g, h); // handles are not reused
    ASSERT_TRUE(bass().BASS_Free());
    EXPECT_FALSE(bass().BASS_ChannelGetInfo(g, &info));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    // Not started: streams cannot be made; BASS_Free is safe.
    EXPECT_EQ(open(wav), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(bass().BASS_Free());
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    ASSERT_TRUE(bass().BASS_Init(0, 44100, 0, nullptr, nullptr));
}

TEST_F(BassTest, StartFlagsAttributesAndErrorWords)
{
    EXPECT_TRUE(bass().BASS_SetConfig(1, 0));
    EXPECT_FALSE(bass().BASS_Init(0, 44100, 0, nullptr, nullptr)); // already started
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    const DWORD h = open(tone("s.wav", {"-r", "16000", "-c", "2", "-b", "16"}, 0.2));
    ASSERT_NE(h, 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_OK);
    DWORD rate = 0, volume = 0;
    int pan = 7;
    EXPECT_TRUE(bass().BASS_ChannelGetAttributes(h, nullptr, nullptr, nullptr));
    EXPECT_TRUE(bass().BASS_ChannelGetAttributes(h, &rate, &volume, &pan));
    EXPECT_EQ(rate, 16000u);
    EXPECT_EQ(volume, 100u);
    EXPECT_EQ(pan, 0);
    EXPECT_FALSE(bass().BASS_ChannelGetInfo(h, nullptr));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    // Started with device 0 there is no output.
    EXPECT_FALSE(bass().BASS_ChannelPlay(h, 0));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_TRUE(bass().BASS_ChannelStop(h));
    EXPECT_STREQ(bass().BASS_ErrorText(BASS_ERROR_MEM), "out of memory");
    EXPECT_STRNE(bass().BASS_ErrorText(BASS_ERROR_INIT), "unknown error");
    EXPECT_STREQ(bass().BASS_ErrorText(4242), "unknown error");
    EXPECT_EQ(BASS_ERROR_MEM, 1);
    EXPECT_EQ(BASS_ERROR_INIT, 8);
}

TEST_F(BassTest, DefaultOutputNeedsASoundServer)
{
    ASSERT_TRUE(bass().BASS_Free());
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/clipforge-no-server");
    EXPECT_FALSE(bass().BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
    EXPECT_FALSE(bass().BASS_Init(5, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    if (runProgram("pactl", {"info"}) == 0) {
        EXPECT_TRUE(bass().BASS_Init(-1, 44100, 0, nullptr, nullptr)) << bass().BASS_ErrorGetCode();
        ASSERT_TRUE(bass().BASS_Free());
    }
    ASSERT_TRUE(bass().BASS_Init(0, 44100, 0, nullptr, nullptr));
}

TEST_F(BassTest, ErrorCodeIsPerThread)
{
    EXPECT_EQ(open(path("missing.mp3")), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
    int other = -99;
    std::thread t([&] { other = bass().BASS_ErrorGetCode(); });
    t.join();
    EXPECT_EQ(other, BASS_OK);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

TEST_F(BassTest, CallsFromManyThreadsAtOnce)
{
    const QString wav = tone("src.wav", {"-r", "44100", "-c", "2", "-b", "16"}, 0.5);
    const QString mp3 = path("song.mp3");
    make("lame", {"--quiet", "-b", "128", wav, mp3});
    const QByteArray native = QFile::encodeName(mp3);
    const Decoded reference = decode(open(mp3));
    std::atomic<int> mismatches{0};
    std::atomic<DWORD> shared{open(mp3)};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                const DWORD h = bass().BASS_StreamCreateFile(0, native.constData(), 0, 0, BASS_STREAM_DECODE);
                QByteArray pcm, buf(20000, '\0');
                DWORD got;
                while ((got = bass().BASS_ChannelGetData(h, buf.data(), 20000)) != 0xFFFFFFFFu)
                    pcm.append(buf.constData(), int(got));
                if (pcm != reference.pcm)
                    ++mismatches;
                bass().BASS_StreamFree(h);
                // Everybody pulls at one shared channel too, which one thread frees.
                bass().BASS_ChannelGetData(shared.load(), buf.data(), 4000);
                if (t == 0 && round == 2)
                    bass().BASS_StreamFree(shared.load());
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(mismatches.load(), 0);
}
