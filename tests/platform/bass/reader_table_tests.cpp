// Every reader of libbass.so's reader table over bad input: empty, nonsense,
// cut-off and damaged files of every format, from a path and from memory.
// Each reader refuses with a code and words, or decodes what is there to an
// end (a cut-off song never more than the uncut one); none crashes.
#include "bass_fixtures.h"
#include "reader.h"

#include <QFile>
#include <QRandomGenerator>
#include <map>

using namespace orvane;

namespace {

enum class Kind { Empty, Nonsense, CutOff, Damaged };

struct Input {
    QString path;
    QByteArray bytes;
    QString format;       // the reader the uncut file is of; empty for nonsense
    qint64 wholePcm = -1; // bytes that reader decodes from the uncut file
    bool mustRefuse = true; // too little of anything to open
};

constexpr qint64 kReadCap = qint64(64) << 20; // a reader past this never ends

QByteArray randomBytes(int n, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray b(n, '\0');
    for (auto &c : b)
        c = char(gen.bounded(256));
    return b;
}

const ReaderEntry &entryNamed(const std::string &name)
{
    for (const ReaderEntry &e : readerTable())
        if (name == e.name)
            return e;
    throw std::invalid_argument(name);
}

// Reads to the end in the decoder's blocks; -1 when it did not end by the cap.
qint64 readToEnd(Reader &reader)
{
    std::vector<unsigned char> block(20000);
    const size_t ask = block.size() - block.size() % size_t(reader.format().frameBytes());
    qint64 total = 0;
    while (total < kReadCap) {
        const long got = reader.read(block.data(), ask);
        if (got < 0)
            return total;
        total += got;
        if (size_t(got) < ask)
            return total;
    }
    return -1;
}

// What a cut-off file may decode beyond the uncut one. mpg123 drops the
// gapless trim of a stream shorter than its LAME header says, so it keeps the
// encoder's priming and padding: at most two frames. Tracker music is not
// bounded by its bytes at all (a cut-off pattern plays as empty rows).
qint64 primingAllowance(const std::string &reader, const Format &f)
{
    return reader == "mpeg" ? 2 * 1152 * f.frameBytes() : 0;
}

// The files every test case reads, made once: real files of each reader's
// formats by sox, lame, ffmpeg (and a module of our own), then cut short,
// damaged, and plain nonsense. The FFmpeg reader ("media") is loaded from
// its module beside the test, as libbass.so loads it.
class Inputs {
public:
    static const Inputs &get()
    {
        static Inputs inputs;
        return inputs;
    }
    std::map<Kind, std::vector<Input>> byKind;

private:
    Inputs()
    {
        struct Made {
            const char *name, *format;
            QStringList command; // %1: the file made
        };
        const QString wav = dir_.filePath("tone.wav");
        run("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "0.6", "sine", "440"});
        const std::vector<Made> made = {
            {"a.mp3", "mpeg", {"lame", "--quiet", "-b", "128", wav, "%1"}},
            {"a.mp2", "mpeg", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "mp2", "-f", "mp2", "%1"}},
            {"a.wav", "sndfile", {"sox", wav, "-b", "24", "%1"}},
            {"u8.wav", "sndfile", {"sox", wav, "-b", "8", "-e", "unsigned-integer", "%1"}},
            {"f.wav", "sndfile", {"sox", wav, "-b", "32", "-e", "floating-point", "%1"}},
            {"a.flac", "sndfile", {"sox", wav, "%1"}},
            {"a.ogg", "sndfile", {"sox", wav, "%1"}},
            {"a.aiff", "sndfile", {"sox", wav, "-c", "1", "%1"}},
            {"a.opus", "sndfile", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "libopus", "%1"}},
            {"a.m4a", "media", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "aac", "%1"}},
            {"fast.m4a", "media", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "alac", "-movflags", "+faststart", "%1"}},
            {"a.aac", "media", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "aac", "-f", "adts", "%1"}},
            {"a.wma", "media", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "wmav2", "%1"}},
            {"a.mka", "media", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "flac", "%1"}},
            {"a.webm", "media", {"ffmpeg", "-v", "error", "-i", wav, "-c:a", "libopus", "%1"}},
        };
        std::vector<Input> whole;
        for (const Made &m : made) {
            const QString file = dir_.filePath(m.name);
            QStringList args = m.command.mid(1);
            args.replaceInStrings("%1", file);
            run(m.command.first(), args);
            whole.push_back(Input{file, bytesOf(file), m.format});
        }
        const QString mod = dir_.filePath("a.mod");
        save(mod, makeProTrackerModule(16));
        whole.push_back(Input{mod, bytesOf(mod), "tracker"});

        for (Input &w : whole) {
            w.wholePcm = decodedBytes(w);
            if (w.wholePcm <= 0)
                throw std::runtime_error("the uncut file does not decode: " + w.path.toStdString());
            const qsizetype n = w.bytes.size();
            for (qsizetype cut : {qsizetype(1), qsizetype(4), qsizetype(12), qsizetype(44), qsizetype(200), n / 3,
                                  n / 2 + 77, n - 1})
                add(Kind::CutOff, w, w.bytes.left(cut));
            QByteArray damaged = w.bytes;
            const QByteArray noise = randomBytes(int(n / 4), quint32(n));
            damaged.replace(n / 3, noise.size(), noise);
            add(Kind::Damaged, w, damaged);
        }
        add(Kind::Empty, Input{}, QByteArray());
        for (quint32 seed = 1; seed <= 20; ++seed)
            add(Kind::Nonsense, Input{}, randomBytes(int(seed) * 3000, seed));
        add(Kind::Nonsense, Input{}, QByteArray(5000, '\0'));
        add(Kind::Nonsense, Input{}, QByteArray("RIFF").append(QByteArray(40, 'x')));
        add(Kind::Nonsense, Input{}, QByteArray("just some text, saved as a song.\n").repeated(100));
    }

    void add(Kind kind, const Input &of, const QByteArray &bytes)
    {
        const QString file = dir_.filePath(QStringLiteral("in%1.bin").arg(++count_));
        save(file, bytes);
        // No header of any format fits in 12 bytes.
        const bool mustRefuse = kind == Kind::Empty || kind == Kind::Nonsense || bytes.size() <= 12;
        byKind[kind].push_back(Input{file, bytes, of.format, of.wholePcm, mustRefuse});
    }
    static qint64 decodedBytes(const Input &input)
    {
        Opening opened = entryNamed(input.format.toStdString()).open(Source{input.path.toStdString(), {}}, kMusicFlags);
        return opened.reader ? readToEnd(*opened.reader) : -1;
    }
    static void run(const QString &program, const QStringList &args)
    {
        if (runProgram(program, args) != 0)
            throw std::runtime_error("fixture command failed: " + program.toStdString());
    }
    static void save(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write " + path.toStdString());
    }
    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    int count_ = 0;
};

using Case = std::tuple<std::string, Kind>;

class ReaderTable : public ::testing::TestWithParam<Case> {};

TEST_P(ReaderTable, RefusesWithACodeOrDecodesWhatIsThere)
{
    const auto &[name, kind] = GetParam();
    const ReaderEntry &reader = entryNamed(name);
    for (const Input &input : Inputs::get().byKind.at(kind)) {
        const std::string what = input.path.toStdString() + " of " + input.format.toStdString() + ", "
                               + std::to_string(input.bytes.size()) + " bytes";
        // Every sniff looks at any head without harm; the result is the table's business.
        (void)reader.sniff(headOf(Source{input.path.toStdString(), {}}));
        for (bool fromMemory : {false, true}) {
            Source source;
            if (fromMemory)
                source.bytes.assign(input.bytes.begin(), input.bytes.end());
            else
                source.path = input.path.toStdString();
            Opening opened = reader.open(source, kMusicFlags);
            if (!opened.reader) {
                EXPECT_NE(opened.error, BASS_OK) << what;
                EXPECT_FALSE(opened.why.empty()) << what;
                continue;
            }
            EXPECT_FALSE(input.mustRefuse) << what << " opened";
            const Format &f = opened.reader->format();
            ASSERT_GT(f.rate, 0) << what;
            ASSERT_GT(f.channels, 0) << what;
            const qint64 decoded = readToEnd(*opened.reader);
            ASSERT_GE(decoded, 0) << what << ": no end in sight";
            EXPECT_EQ(decoded % f.frameBytes(), 0) << what;
            if (kind == Kind::CutOff && input.format == QString::fromStdString(name) && !reader.music)
                EXPECT_LE(decoded, input.wholePcm + primingAllowance(name, f)) << what;
        }
    }
}

std::vector<std::string> readerNames()
{
    std::vector<std::string> names;
    for (const ReaderEntry &e : readerTable())
        names.emplace_back(e.name);
    return names;
}

std::string caseName(const ::testing::TestParamInfo<Case> &info)
{
    static const char *const kinds[] = {"Empty", "Nonsense", "CutOff", "Damaged"};
    return std::get<0>(info.param) + kinds[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EveryReader, ReaderTable,
                         ::testing::Combine(::testing::ValuesIn(readerNames()),
                                            ::testing::Values(Kind::Empty, Kind::Nonsense, Kind::CutOff,
                                                              Kind::Damaged)),
                         caseName);

// Through the table: nonsense is no reader's, and says so.
TEST(ReaderTableOpen, NonsenseIsNoReadersFormat)
{
    for (const Input &input : Inputs::get().byKind.at(Kind::Nonsense)) {
        for (bool music : {false, true}) {
            const Opening opened = openSource(Source{input.path.toStdString(), {}}, music, 0);
            EXPECT_EQ(opened.reader, nullptr) << input.path.toStdString();
            EXPECT_EQ(opened.error, BASS_ERROR_FORMAT) << input.path.toStdString();
        }
    }
}

} // namespace
