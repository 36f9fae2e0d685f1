// Recording and playback of libbass.so against the sound server that
// test.sh provides (a private PulseAudio with the null sink clipforge_sink),
// through the program's loader. Extra null sinks and sources are loaded with
// pactl for the tests that need several inputs, and unloaded afterwards.
#include "bass_fixtures.h"
#include "support/testenv.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

QString pactl(const QString &args, int *rc = nullptr)
{
    QString out;
    const int code = runShell(QStringLiteral("pactl ") + args, &out);
    if (rc)
        *rc = code;
    return out;
}

// The server's sources as `pactl list sources` gives them, in its order.
struct PaSource {
    QString name, description;
    bool monitor = false;
};

std::vector<PaSource> serverSources()
{
    std::vector<PaSource> list;
    const QStringList lines = pactl(QStringLiteral("list sources")).split('\n');
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (raw.startsWith(QStringLiteral("Source #")))
            list.emplace_back();
        else if (list.empty())
            continue;
        else if (line.startsWith(QStringLiteral("Name: ")))
            list.back().name = line.mid(6);
        else if (line.startsWith(QStringLiteral("Description: ")))
            list.back().description = line.mid(13);
        else if (line.startsWith(QStringLiteral("Monitor of Sink: ")))
            list.back().monitor = line.mid(17) != QStringLiteral("n/a");
    }
    return list;
}

// The names of the sources that our recording streams record from.
QStringList recordingSources()
{
    QMap<QString, QString> byIndex;
    for (const QString &line : pactl(QStringLiteral("list short sources")).split('\n')) {
        const QStringList f = line.split('\t');
        if (f.size() >= 2)
            byIndex[f[0]] = f[1];
    }
    QStringList names;
    QString source;
    for (const QString &raw : pactl(QStringLiteral("list source-outputs")).split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith(QStringLiteral("Source: ")))
            source = line.mid(8);
        else if (line.startsWith(QStringLiteral("application.name = ")) && line.contains(QStringLiteral("Orvane audio library")))
            names << byIndex.value(source);
    }
    return names;
}

// The volume pactl reports for a source, in percent of its first channel; -1 when none.
int pactlSourcePercent(const QString &source)
{
    const QString out = pactl(QStringLiteral("get-source-volume ") + source);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d+)%")).match(out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// What a recording procedure saw.
struct Capture {
    const BassApi *api = nullptr;
    std::mutex lock;
    QByteArray data;
    std::vector<DWORD> blocks;
    std::vector<std::thread::id> threads;
    std::vector<Clock::time_point> times;
    std::atomic<int> calls{0};
    std::atomic<bool> stopped{false}; // set once BASS_ChannelStop / RecordFree returned
    std::atomic<int> late{0};         // calls after that
    int returnZeroAt = -1;            // the call that returns 0 (1-based)
    int stopInsideAt = -1;            // the call that stops the recording itself
    int sleepMs = 0;                  // each call takes this long
    QWORD positionInside = 0;

    static BOOL proc(DWORD handle, const void *buffer, DWORD length, void *user)
    {
        auto *c = static_cast<Capture *>(user);
        if (c->stopped)
            ++c->late;
        const int n = ++c->calls;
        {
            std::lock_guard<std::mutex> guard(c->lock);
            c->data.append(static_cast<const char *>(buffer), int(length));
            c->blocks.push_back(length);
            c->threads.push_back(std::this_thread::get_id());
            c->times.push_back(Clock::now());
        }
        c->positionInside = c->api->BASS_ChannelGetPosition(handle);
        if (c->sleepMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(c->sleepMs));
        if (n == c->stopInsideAt)
            c->api->BASS_ChannelStop(handle);
        return n == c->returnZeroAt ? 0 : 1;
    }
    qsizetype size()
    {
        std::lock_guard<std::mutex> guard(lock);
        return data.size();
    }
    QByteArray copy()
    {
        std::lock_guard<std::mutex> guard(lock);
        return data;
    }
};

// The left channel of 16-bit stereo.
std::vector<double> leftChannel(const QByteArray &pcm, qsizetype fromByte = 0)
{
    std::vector<double> left;
    const auto *s = reinterpret_cast<const int16_t *>(pcm.constData());
    for (qsizetype i = fromByte / 2; i + 1 < pcm.size() / 2; i += 2)
        left.push_back(s[i]);
    return left;
}

// The frequency of a tone from its rising zero crossings (with hysteresis).
double toneFrequency(const std::vector<double> &x, double rate)
{
    int crossings = 0;
    bool low = true;
    qsizetype first = -1, last = -1;
    for (size_t i = 0; i < x.size(); ++i) {
        if (low && x[i] > 1000) {
            low = false;
            ++crossings;
            if (first < 0)
                first = qsizetype(i);
            last = qsizetype(i);
        } else if (!low && x[i] < -1000) {
            low = true;
        }
    }
    if (crossings < 2)
        return 0;
    return (crossings - 1) * rate / double(last - first);
}

int peakOf(const std::vector<double> &x)
{
    double p = 0;
    for (double v : x)
        p = std::max(p, std::abs(v));
    return int(p);
}

} // namespace

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(runShell(QStringLiteral("pactl info >/dev/null 2>&1")), 0) << "no sound server answers (run through ./test.sh)";
        ASSERT_TRUE(dir_.isValid());
        auto loaded = BassLibrary::load(appLibraryPath());
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        lib_ = loaded.take();
        capture_.api = &bass();
        defaultSource_ = pactl(QStringLiteral("get-default-source")).trimmed();
        ASSERT_FALSE(defaultSource_.isEmpty());
    }

    void TearDown() override
    {
        if (lib_) {
            bass().BASS_RecordFree();
            bass().BASS_Free();
        }
        if (player_) {
            player_->kill();
            player_->waitForFinished(2000);
        }

        for (const QString &module : modules_)
            pactl(QStringLiteral("unload-module ") + module);
    }

    const BassApi &bass() const { return lib_->api(); }

    // Loads a module; unloaded at the end of the test.
    void load(const QString &args)
    {
        int rc = 0;
        const QString index = pactl(QStringLiteral("load-module ") + args, &rc).trimmed();
        ASSERT_EQ(rc, 0) << args.toStdString();
        modules_ << index;
    }
    // A null sink; the description of its monitor is "Monitor of DESCRIPTION".
    // (A null sink with no stream renders nothing, so its monitor gives no
    // samples; the tests record only from clipforge_sink's monitor, which the
    // sound server's latency keeper keeps running, and from null sources.)
    QString nullSink(const QString &stem)
    {
        const QString name = QStringLiteral("%1_%2").arg(stem).arg(::getpid());
        load(QStringLiteral("module-null-sink sink_name=%1 sink_properties=device.description=%2").arg(name, stem));
        return name;
    }
    // A null source (not a monitor: it stands for a sound card's input), silent.
    QString nullSource(const QString &stem)
    {
        const QString name = QStringLiteral("%1_%2").arg(stem).arg(::getpid());
        load(QStringLiteral("module-null-source source_name=%1 description=%2").arg(name, stem));
        return name;
    }

    QStringList inputNames()
    {
        QStringList names;
        for (int i = 0; i < 100; ++i) {
            const char *n = bass().BASS_RecordGetInputName(i);
            if (!n)
                break;
            names << QString::fromUtf8(n);
        }
        return names;
    }
    int inputIndex(const QString &description)
    {
        return int(inputNames().indexOf(description));
    }
    QString defaultDescription()
    {
        for (const PaSource &s : serverSources())
            if (s.name == defaultSource_)
                return s.description;
        return {};
    }

    // Plays a 440 Hz tone (half scale) into clipforge_sink for `seconds`.
    void playTone(double seconds, const QString &synth = QStringLiteral("sine 440"))
    {
        const QString file = dir_.filePath(QStringLiteral("tone.wav"));
        ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth %2 %3 vol 0.5")
                               .arg(file, QString::number(seconds), synth)),
                  0);
        player_ = std::make_unique<QProcess>();
        player_->start(QStringLiteral("paplay"), {QStringLiteral("--device=clipforge_sink"), file});
        ASSERT_TRUE(player_->waitForStarted(5000));
        // Until the server has the stream (the keeper is the other one).
        for (int i = 0; i < 100; ++i) {
            if (pactl(QStringLiteral("list sink-inputs")).count(QStringLiteral("paplay")) > 0)
                break;
            sleepMs(20);
        }
        sleepMs(300);
    }

    QByteArray fileBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<BassLibrary> lib_;
    QTemporaryDir dir_;
    QStringList modules_;
    QString defaultSource_;
    Capture capture_;
    std::unique_ptr<QProcess> player_;
};

// --- inputs -------------------------------------------------------------

TEST_F(RecordTest, EveryRecordingCallFailsBeforeRecordInit)
{
    EXPECT_EQ(bass().BASS_RecordGetInputName(0), nullptr);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(bass().BASS_RecordGetInput(0), 0xFFFFFFFFu);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(bass().BASS_RecordSetInput(0, BASS_INPUT_ON));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(bass().BASS_RecordFree());
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(bass().BASS_RecordInit(3));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
}

TEST_F(RecordTest, WithOnlyNullSinksEveryInputIsAMonitorInTheServersOrder)
{
    nullSink(QStringLiteral("CfRecA"));
    nullSink(QStringLiteral("CfRecB"));
    ASSERT_TRUE(bass().BASS_RecordInit(-1)) << bass().BASS_ErrorGetCode();
    EXPECT_FALSE(bass().BASS_RecordInit(-1));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ALREADY);

    QStringList expected;
    for (const PaSource &s : serverSources()) {
        if (!s.monitor)
            GTEST_SKIP() << "the server has a source that is not a monitor: " << s.name.toStdString();
        expected << s.description;
    }
    const QStringList names = inputNames();
    EXPECT_EQ(names, expected);
    ASSERT_GE(names.size(), 3);
    const qsizetype a = names.indexOf(QStringLiteral("Monitor of CfRecA"));
    const qsizetype b = names.indexOf(QStringLiteral("Monitor of CfRecB"));
    EXPECT_GE(a, 0);
    EXPECT_EQ(b, a + 1); // loaded one after the other
    EXPECT_EQ(bass().BASS_RecordGetInputName(int(names.size())), nullptr);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(bass().BASS_RecordGetInputName(-1), nullptr);
    EXPECT_EQ(bass().BASS_RecordGetInput(int(names.size())), 0xFFFFFFFFu);

    // The default source alone is on.
    const QString on = defaultDescription();
    for (int i = 0; i < names.size(); ++i) {
        const DWORD v = bass().BASS_RecordGetInput(i);
        EXPECT_EQ(v & BASS_INPUT_TYPE_MASK, BASS_INPUT_TYPE_WAVE) << names[i].toStdString();
        EXPECT_EQ(v & 0xFFFFu, 100u) << names[i].toStdString();
        EXPECT_EQ((v & BASS_INPUT_OFF) == 0, names[i] == on) << names[i].toStdString();
    }
}

TEST_F(RecordTest, HardwareSourcesComeBeforeTheMonitors)
{
    nullSink(QStringLiteral("CfRecA"));
    const QString source = nullSource(QStringLiteral("CfRecSource"));
    ASSERT_TRUE(bass().BASS_RecordInit(-1)) << bass().BASS_ErrorGetCode();

    QStringList hardware, monitors;
    for (const PaSource &s : serverSources())
        (s.monitor ? monitors : hardware) << s.description;
    ASSERT_TRUE(hardware.contains(QStringLiteral("CfRecSource")));
    const QStringList names = inputNames();
    EXPECT_EQ(names, hardware + monitors);
    const int i = int(names.indexOf(QStringLiteral("CfRecSource")));
    ASSERT_GE(i, 0);
    EXPECT_LT(i, names.indexOf(QStringLiteral("Monitor of CfRecA")));
    // A source with no port is of no known type; off unless it is the default.
    const DWORD v = bass().BASS_RecordGetInput(i);
    EXPECT_EQ(v & BASS_INPUT_TYPE_MASK, BASS_INPUT_TYPE_UNDEF);
    EXPECT_EQ((v & BASS_INPUT_OFF) != 0, pactl(QStringLiteral("get-default-source")).trimmed() != source);
}

TEST_F(RecordTest, NamesStayValidAcrossEnumerationsAndFollowTheServer)
{
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    const char *first = bass().BASS_RecordGetInputName(0);
    ASSERT_NE(first, nullptr);
    const std::string text = first;
    const int before = int(inputNames().size());
    nullSink(QStringLiteral("CfRecLate"));
    // A new enumeration (from input 0) sees the new sink's monitor.
    const QStringList after = inputNames();
    EXPECT_EQ(after.size(), before + 1);
    EXPECT_TRUE(after.contains(QStringLiteral("Monitor of CfRecLate")));
    EXPECT_EQ(std::string(first), text);
}

TEST_F(RecordTest, SetInputOnAndOffMovesWhichOneIsRecorded)
{
    const QString a = nullSource(QStringLiteral("CfRecSilence"));
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    const int ia = inputIndex(QStringLiteral("CfRecSilence"));
    const int id = inputIndex(defaultDescription());
    ASSERT_GE(ia, 0);
    ASSERT_GE(id, 0);
    ASSERT_NE(ia, id);

    ASSERT_TRUE(bass().BASS_RecordSetInput(ia, BASS_INPUT_ON)) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & BASS_INPUT_OFF, 0u);
    EXPECT_NE(bass().BASS_RecordGetInput(id) & BASS_INPUT_OFF, 0u);

    playTone(5);
    const DWORD h = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(recordingSources(), QStringList{a});
    sleepMs(700);
    const qsizetype silentPart = capture_.size();

    // Switching the default source on moves the running recording there.
    ASSERT_TRUE(bass().BASS_RecordSetInput(id, BASS_INPUT_ON)) << bass().BASS_ErrorGetCode();
    EXPECT_NE(bass().BASS_RecordGetInput(ia) & BASS_INPUT_OFF, 0u);
    EXPECT_EQ(bass().BASS_RecordGetInput(id) & BASS_INPUT_OFF, 0u);
    EXPECT_EQ(recordingSources(), QStringList{defaultSource_});
    sleepMs(1000);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_PLAYING));
    ASSERT_TRUE(bass().BASS_ChannelStop(h));
    const QByteArray pcm = capture_.copy();
    ASSERT_GT(silentPart, 44100); // at least a quarter of a second before the move
    EXPECT_LT(peakOf(leftChannel(pcm.left(silentPart))), 50) << "the silent source hears no tone";
    const std::vector<double> moved = leftChannel(pcm, pcm.size() - 4 * 22050); // the last half second
    EXPECT_GT(peakOf(moved), 8000);
    EXPECT_NEAR(toneFrequency(moved, 44100), 440.0, 5.0);

    // Off: no input is on; a recording then takes the server's default source.
    ASSERT_TRUE(bass().BASS_RecordSetInput(id, BASS_INPUT_OFF));
    for (int i = 0; i < int(inputNames().size()); ++i)
        EXPECT_NE(bass().BASS_RecordGetInput(i) & BASS_INPUT_OFF, 0u) << i;
    Capture second;
    second.api = &bass();
    const DWORD h2 = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &second);
    ASSERT_NE(h2, 0u);
    EXPECT_NE(h2, h);
    EXPECT_EQ(recordingSources(), QStringList{defaultSource_});
    EXPECT_TRUE(bass().BASS_ChannelStop(h2));
    // Switching off an input that is not on changes nothing.
    ASSERT_TRUE(bass().BASS_RecordSetInput(ia, BASS_INPUT_ON));
    ASSERT_TRUE(bass().BASS_RecordSetInput(id, BASS_INPUT_OFF));
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & BASS_INPUT_OFF, 0u);
    EXPECT_FALSE(bass().BASS_RecordSetInput(ia, BASS_INPUT_ON | BASS_INPUT_OFF));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_FALSE(bass().BASS_RecordSetInput(-1, BASS_INPUT_ON));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

    // The choice outlasts the recording side: freed and started again (as
    // every change of panel does), the same input is on.
    ASSERT_TRUE(bass().BASS_RecordFree());
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & BASS_INPUT_OFF, 0u);
    EXPECT_NE(bass().BASS_RecordGetInput(id) & BASS_INPUT_OFF, 0u);
}

TEST_F(RecordTest, LevelSetsTheSourceVolumeOnTheServer)
{
    const QString a = nullSink(QStringLiteral("CfRecA"));
    const QString monitor = a + QStringLiteral(".monitor");
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    const int ia = inputIndex(QStringLiteral("Monitor of CfRecA"));
    ASSERT_GE(ia, 0);
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & 0xFFFFu, 100u);

    ASSERT_TRUE(bass().BASS_RecordSetInput(ia, BASS_INPUT_LEVEL | 50)) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(pactlSourcePercent(monitor), 50);
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & 0xFFFFu, 50u);
    // Setting the level leaves the on/off state alone.
    EXPECT_NE(bass().BASS_RecordGetInput(ia) & BASS_INPUT_OFF, 0u);

    ASSERT_TRUE(bass().BASS_RecordSetInput(ia, BASS_INPUT_LEVEL | 0));
    EXPECT_EQ(pactlSourcePercent(monitor), 0);
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & 0xFFFFu, 0u);
    ASSERT_TRUE(bass().BASS_RecordSetInput(ia, BASS_INPUT_LEVEL | 250)); // above 100: 100
    EXPECT_EQ(pactlSourcePercent(monitor), 100);

    // A change made elsewhere shows at once.
    pactl(QStringLiteral("set-source-volume %1 30%").arg(monitor));
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & 0xFFFFu, 30u);

    // Level and on together.
    ASSERT_TRUE(bass().BASS_RecordSetInput(ia, BASS_INPUT_ON | BASS_INPUT_LEVEL | 75));
    EXPECT_EQ(pactlSourcePercent(monitor), 75);
    EXPECT_EQ(bass().BASS_RecordGetInput(ia) & (0xFFFFu | BASS_INPUT_OFF), 75u);
}

// --- recording ----------------------------------------------------------

TEST_F(RecordTest, RecordsTwoSecondsOfAToneFromTheSinkMonitor)
{
    playTone(4);
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    const int im = inputIndex(QStringLiteral("Monitor of ClipforgeSink"));
    ASSERT_GE(im, 0);
    ASSERT_TRUE(bass().BASS_RecordSetInput(im, BASS_INPUT_ON));

    const auto start = Clock::now();
    const DWORD h = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_OK);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_PLAYING));
    BASS_CHANNELINFO info{};
    ASSERT_TRUE(bass().BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.freq, 44100u);
    EXPECT_EQ(info.chans, 2u);
    EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, 0u);
    sleepMs(1000);
    const QWORD midway = bass().BASS_ChannelGetPosition(h);
    EXPECT_GT(midway, 0u);
    EXPECT_LE(midway, QWORD(capture_.size()));
    while (secondsSince(start) < 2.0)
        sleepMs(5);
    ASSERT_TRUE(bass().BASS_ChannelStop(h));
    const double elapsed = secondsSince(start);
    capture_.stopped = true;
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));

    const QByteArray pcm = capture_.copy();
    const double bytes = double(pcm.size());
    EXPECT_EQ(pcm.size() % 4, 0);
    EXPECT_NEAR(bytes, 352800.0, 352800.0 * 0.05);
    EXPECT_NEAR(bytes, elapsed * 176400.0, elapsed * 176400.0 * 0.05);
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), QWORD(pcm.size())); // the bytes delivered

    // Blocks of 10 to 50 ms, all from one thread of the library's own.
    for (DWORD b : capture_.blocks) {
        EXPECT_GE(b, 1764u);
        EXPECT_LE(b, 8820u);
        EXPECT_EQ(b % 4, 0u);
    }
    ASSERT_FALSE(capture_.threads.empty());
    for (const auto &t : capture_.threads) {
        EXPECT_EQ(t, capture_.threads.front());
        EXPECT_NE(t, std::this_thread::get_id());
    }

    // The samples hold the tone.
    const std::vector<double> lastSecond = leftChannel(pcm, std::max<qsizetype>(0, pcm.size() - 176400));
    EXPECT_GT(peakOf(lastSecond), 8000);
    EXPECT_LT(peakOf(lastSecond), 20000);
    EXPECT_NEAR(toneFrequency(lastSecond, 44100), 440.0, 3.0);

    // Nothing comes after the stop.
    const int calls = capture_.calls;
    sleepMs(300);
    EXPECT_EQ(capture_.calls, calls);
    EXPECT_EQ(capture_.late, 0);
    EXPECT_TRUE(bass().BASS_RecordFree());
}

TEST_F(RecordTest, MonoAndOtherRatesAreDeliveredAsAsked)
{
    playTone(3);
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    const auto start = Clock::now();
    const DWORD h = bass().BASS_RecordStart(22050, 1, 0, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    sleepMs(1000);
    ASSERT_TRUE(bass().BASS_ChannelStop(h));
    const double elapsed = secondsSince(start);
    const QByteArray pcm = capture_.copy();
    EXPECT_NEAR(double(pcm.size()), elapsed * 44100.0, elapsed * 44100.0 * 0.06);
    for (DWORD b : capture_.blocks) {
        EXPECT_GE(b, 440u); // 10 ms: 220 frames
        EXPECT_LE(b, 2205u);
        EXPECT_EQ(b % 2, 0u);
    }
    std::vector<double> mono;
    const auto *s = reinterpret_cast<const int16_t *>(pcm.constData());
    for (qsizetype i = pcm.size() / 4; i < pcm.size() / 2; ++i)
        mono.push_back(s[i]);
    EXPECT_NEAR(toneFrequency(mono, 22050), 440.0, 3.0);
}

TEST_F(RecordTest, ACallbackReturningZeroStopsTheRecording)
{
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    capture_.returnZeroAt = 3;
    const DWORD h = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u);
    for (int i = 0; i < 200 && bass().BASS_ChannelIsActive(h); ++i)
        sleepMs(10);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    sleepMs(300);
    EXPECT_EQ(capture_.calls, 3);
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), QWORD(capture_.size()));
    EXPECT_TRUE(recordingSources().isEmpty()) << "the stream is gone from the server";
    // Another recording may start now.
    Capture next;
    next.api = &bass();
    const DWORD h2 = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &next);
    ASSERT_NE(h2, 0u) << bass().BASS_ErrorGetCode();
    sleepMs(200);
    EXPECT_TRUE(bass().BASS_ChannelStop(h2));
    EXPECT_GT(next.calls, 0);
    // The older handle is gone once a new recording started.
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), QWORD(-1));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(RecordTest, TheCallbackMayCallTheLibraryAndStopItsOwnRecording)
{
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    capture_.stopInsideAt = 2;
    const DWORD h = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u);
    for (int i = 0; i < 200 && bass().BASS_ChannelIsActive(h); ++i)
        sleepMs(10);
    sleepMs(200);
    EXPECT_EQ(capture_.calls, 2);
    EXPECT_EQ(capture_.positionInside, QWORD(capture_.size())); // the position inside counts the block in hand
    EXPECT_TRUE(bass().BASS_ChannelStop(h)); // stopping again is harmless
}

TEST_F(RecordTest, RecordFreeDuringARecordingLeavesNoCallbackAfterIt)
{
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    capture_.sleepMs = 15; // often inside the procedure when the free comes
    const DWORD h = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u);
    sleepMs(500);
    ASSERT_GT(capture_.calls, 5);
    ASSERT_TRUE(bass().BASS_RecordFree());
    capture_.stopped = true;
    const int calls = capture_.calls;
    sleepMs(300);
    EXPECT_EQ(capture_.calls, calls);
    EXPECT_EQ(capture_.late, 0);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(bass().BASS_RecordGetInputName(0), nullptr);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_TRUE(recordingSources().isEmpty());
    // Started again, it records again.
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    EXPECT_NE(bass().BASS_RecordGetInputName(0), nullptr);
}

TEST_F(RecordTest, BadRecordingArgumentsAndCallsOnARecording)
{
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    EXPECT_EQ(bass().BASS_RecordStart(44100, 2, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(bass().BASS_RecordStart(44100, 0, 0, &Capture::proc, &capture_), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
    EXPECT_EQ(bass().BASS_RecordStart(0, 2, 0, &Capture::proc, &capture_), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

    const DWORD h = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_), 0u);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    char buf[16];
    EXPECT_EQ(bass().BASS_ChannelGetData(h, buf, sizeof buf), 0xFFFFFFFFu);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_FALSE(bass().BASS_ChannelPlay(h, 0));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_FALSE(bass().BASS_StreamFree(h));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    DWORD rate = 0;
    EXPECT_TRUE(bass().BASS_ChannelGetAttributes(h, &rate, nullptr, nullptr));
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_PLAYING)); // all that did not disturb it
    EXPECT_TRUE(bass().BASS_ChannelStop(h));
    EXPECT_EQ(bass().BASS_ChannelIsActive(h + 1), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
}

TEST_F(RecordTest, EightBitRecordingIsUnsigned)
{
    playTone(3);
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    const DWORD h = bass().BASS_RecordStart(44100, 2, BASS_SAMPLE_8BITS, &Capture::proc, &capture_);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    sleepMs(600);
    ASSERT_TRUE(bass().BASS_ChannelStop(h));
    const QByteArray pcm = capture_.copy();
    ASSERT_GT(pcm.size(), 44100);
    int lo = 255, hi = 0;
    for (qsizetype i = pcm.size() / 2; i < pcm.size(); ++i) {
        lo = std::min(lo, int(uchar(pcm[i])));
        hi = std::max(hi, int(uchar(pcm[i])));
    }
    EXPECT_LT(lo, 128 - 40); // a half-scale tone around 128
    EXPECT_GT(hi, 128 + 40);
}

// --- no sound server ----------------------------------------------------

namespace {
// PULSE_SERVER set for a scope.
class ServerAddress {
public:
    explicit ServerAddress(const QByteArray &address) : old_(qgetenv("PULSE_SERVER")), had_(qEnvironmentVariableIsSet("PULSE_SERVER"))
    {
        qputenv("PULSE_SERVER", address);
    }
    ~ServerAddress()
    {
        if (had_)
            qputenv("PULSE_SERVER", old_);
        else
            qunsetenv("PULSE_SERVER");
    }

private:
    QByteArray old_;
    bool had_;
};
} // namespace

TEST_F(RecordTest, WithNoSoundServerRecordInitAndInitFailQuicklyWithDeviceError)
{
    ServerAddress dead("unix:/nonexistent/clipforge-no-server");
    auto start = Clock::now();
    EXPECT_FALSE(bass().BASS_RecordInit(-1));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_LT(secondsSince(start), 2.0);
    start = Clock::now();
    EXPECT_FALSE(bass().BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
    EXPECT_LT(secondsSince(start), 2.0);
    EXPECT_EQ(bass().BASS_RecordGetInputName(0), nullptr);
    // Decoding needs no server.
    EXPECT_TRUE(bass().BASS_Init(0, 44100, 0, nullptr, nullptr));
}

TEST_F(RecordTest, AServerThatNeverAnswersIsGivenUpWithinAFewSeconds)
{
    // A socket that takes connections and says nothing (PULSE_SERVER is a
    // list split at blanks: a path without any).
    const QByteArray path = QByteArray("/tmp/clipforge-mute-") + QByteArray::number(::getpid()) + ".sock";
    ::unlink(path.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(size_t(path.size()), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    {
        ServerAddress mute("unix:" + path);
        const auto start = Clock::now();
        EXPECT_FALSE(bass().BASS_RecordInit(-1));
        EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
        EXPECT_GE(secondsSince(start), 1.0) << "it did wait for an answer";
        EXPECT_LT(secondsSince(start), 5.0);
    }
    ::close(fd);
    ::unlink(path.constData());
}

// --- playback -----------------------------------------------------------

TEST_F(RecordTest, PlaysAWavImageFromMemoryThroughTheDefaultOutput)
{
    const QString wav = dir_.filePath(QStringLiteral("image.wav"));
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 1.0 sine 880 vol 0.5").arg(wav)), 0);
    const QByteArray image = fileBytes(wav);
    ASSERT_EQ(image.size(), 44 + 176400);
    const QWORD length = 176400;

    ASSERT_TRUE(bass().BASS_Init(-1, 44100, 0, nullptr, nullptr)) << bass().BASS_ErrorGetCode();
    // Listen on the sink's monitor to hear what is played.
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    ASSERT_TRUE(bass().BASS_RecordSetInput(inputIndex(QStringLiteral("Monitor of ClipforgeSink")), BASS_INPUT_ON));
    const DWORD rec = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(rec, 0u);

    const DWORD h = bass().BASS_StreamCreateFile(1, image.constData(), 0, QWORD(image.size()), 0);
    ASSERT_NE(h, 0u) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(bass().BASS_ChannelGetLength(h), length);
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), 0u);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    char buf[64];
    EXPECT_EQ(bass().BASS_ChannelGetData(h, buf, sizeof buf), 0xFFFFFFFFu); // it plays; it does not decode
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);

    const qsizetype heardBefore = capture_.size();
    const auto start = Clock::now();
    ASSERT_TRUE(bass().BASS_ChannelPlay(h, 0)) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_PLAYING));
    sleepMs(300);
    const QWORD p1 = bass().BASS_ChannelGetPosition(h);
    const double t1 = secondsSince(start);
    sleepMs(200);
    const QWORD p2 = bass().BASS_ChannelGetPosition(h);
    const double t2 = secondsSince(start);
    EXPECT_GT(p1, 0u);
    EXPECT_GT(p2, p1);
    EXPECT_LT(p2, length);
    EXPECT_EQ(p1 % 4, 0u);
    // The position is what was heard: never ahead of the time played, and
    // not far behind it.
    EXPECT_LE(double(p1), t1 * 176400.0 + 4410.0);
    EXPECT_GE(double(p1), (t1 - 0.4) * 176400.0);
    EXPECT_NEAR(double(p2 - p1) / 176400.0, t2 - t1, 0.08);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_PLAYING));

    // It stops by itself at the end.
    while (bass().BASS_ChannelIsActive(h) && secondsSince(start) < 4.0)
        sleepMs(10);
    const double ended = secondsSince(start);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_GT(ended, 0.9);
    EXPECT_LT(ended, 1.6);
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), length);

    // The monitor heard the tone.
    sleepMs(100);
    const QByteArray heard = capture_.copy().mid(heardBefore);
    std::vector<double> left = leftChannel(heard);
    EXPECT_GT(peakOf(left), 8000);
    EXPECT_NEAR(toneFrequency(left, 44100), 880.0, 8.0);

    // Played again without restart after the end: from the start.
    ASSERT_TRUE(bass().BASS_ChannelPlay(h, 0));
    sleepMs(150);
    const QWORD again = bass().BASS_ChannelGetPosition(h);
    EXPECT_LT(again, QWORD(0.4 * 176400));
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_PLAYING));
    // Stopped, it stays where it was; played again, it goes on from there.
    sleepMs(200);
    ASSERT_TRUE(bass().BASS_ChannelStop(h));
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    const QWORD at = bass().BASS_ChannelGetPosition(h);
    EXPECT_GT(at, again);
    sleepMs(200);
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), at);
    ASSERT_TRUE(bass().BASS_ChannelPlay(h, 0));
    sleepMs(150);
    EXPECT_GE(bass().BASS_ChannelGetPosition(h), at);
    // Restart: from the start.
    ASSERT_TRUE(bass().BASS_ChannelPlay(h, 1));
    EXPECT_LT(bass().BASS_ChannelGetPosition(h), QWORD(0.1 * 176400));
    // Moved while playing: goes on from there.
    ASSERT_TRUE(bass().BASS_ChannelSetPosition(h, 150000));
    EXPECT_GE(bass().BASS_ChannelGetPosition(h), 150000u);
    EXPECT_FALSE(bass().BASS_ChannelSetPosition(h, 3)); // not a whole frame
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_TRUE(bass().BASS_ChannelStop(h));
    EXPECT_TRUE(bass().BASS_StreamFree(h));
    EXPECT_FALSE(bass().BASS_ChannelPlay(h, 0));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_TRUE(bass().BASS_ChannelStop(rec));
}

TEST_F(RecordTest, DecodeOnlyStreamsAndDeviceZeroNeverPlay)
{
    const QString wav = dir_.filePath(QStringLiteral("short.wav"));
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 0.2 sine 440").arg(wav)), 0);
    const QByteArray image = fileBytes(wav);
    ASSERT_TRUE(bass().BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const DWORD d = bass().BASS_StreamCreateFile(1, image.constData(), 0, QWORD(image.size()), BASS_STREAM_DECODE);
    ASSERT_NE(d, 0u);
    EXPECT_FALSE(bass().BASS_ChannelPlay(d, 0));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    char buf[400];
    EXPECT_EQ(bass().BASS_ChannelGetData(d, buf, sizeof buf), DWORD(sizeof buf));
    ASSERT_TRUE(bass().BASS_Free());

    // Device 0 has no output: every stream decodes.
    ASSERT_TRUE(bass().BASS_Init(0, 44100, 0, nullptr, nullptr));
    const DWORD z = bass().BASS_StreamCreateFile(1, image.constData(), 0, QWORD(image.size()), 0);
    ASSERT_NE(z, 0u);
    EXPECT_FALSE(bass().BASS_ChannelPlay(z, 0));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
    EXPECT_EQ(bass().BASS_ChannelGetData(z, buf, sizeof buf), DWORD(sizeof buf));
}

TEST_F(RecordTest, AnImageShorterThanTheOutputsBufferPlaysToItsEnd)
{
    ASSERT_TRUE(bass().BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const QString wav = dir_.filePath(QStringLiteral("blip.wav"));
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 0.05 sine 440").arg(wav)), 0);
    const QByteArray blip = fileBytes(wav);
    const DWORD h = bass().BASS_StreamCreateFile(1, blip.constData(), 0, QWORD(blip.size()), 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(bass().BASS_ChannelPlay(h, 0));
    const auto start = Clock::now();
    while (bass().BASS_ChannelIsActive(h) && secondsSince(start) < 3.0)
        sleepMs(10);
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_EQ(bass().BASS_ChannelGetPosition(h), bass().BASS_ChannelGetLength(h));

    // A header alone (a recording stopped at once) plays nothing and has ended.
    const QString none = dir_.filePath(QStringLiteral("empty.wav"));
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' trim 0 0").arg(none)), 0);
    const QByteArray header = fileBytes(none);
    const DWORD empty = bass().BASS_StreamCreateFile(1, header.constData(), 0, QWORD(header.size()), 0);
    ASSERT_NE(empty, 0u) << bass().BASS_ErrorGetCode();
    EXPECT_EQ(bass().BASS_ChannelGetLength(empty), 0u);
    for (BOOL restart : {0, 1, 0}) {
        ASSERT_TRUE(bass().BASS_ChannelPlay(empty, restart)) << bass().BASS_ErrorGetCode();
        EXPECT_EQ(bass().BASS_ChannelIsActive(empty), DWORD(BASS_ACTIVE_STOPPED));
        EXPECT_EQ(bass().BASS_ChannelGetPosition(empty), 0u);
    }
}

TEST_F(RecordTest, BassFreeEndsPlaybackAndRecording)
{
    const QString wav = dir_.filePath(QStringLiteral("long.wav"));
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 5 sine 440 vol 0.5").arg(wav)), 0);
    const QByteArray image = fileBytes(wav);
    ASSERT_TRUE(bass().BASS_RecordInit(-1));
    ASSERT_TRUE(bass().BASS_Init(-1, 44100, 0, nullptr, nullptr));
    const DWORD rec = bass().BASS_RecordStart(44100, 2, 0, &Capture::proc, &capture_);
    ASSERT_NE(rec, 0u);
    const DWORD h = bass().BASS_StreamCreateFile(1, image.constData(), 0, QWORD(image.size()), 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(bass().BASS_ChannelPlay(h, 0));
    sleepMs(300);
    ASSERT_TRUE(bass().BASS_Free());
    capture_.stopped = true;
    const int calls = capture_.calls;
    sleepMs(300);
    EXPECT_EQ(capture_.calls, calls);
    EXPECT_EQ(bass().BASS_ChannelIsActive(h), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_EQ(bass().BASS_ChannelIsActive(rec), DWORD(BASS_ACTIVE_STOPPED));
    EXPECT_EQ(bass().BASS_RecordGetInputName(0), nullptr);
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(pactl(QStringLiteral("list sink-inputs")).contains(QStringLiteral("Orvane audio library")));
    EXPECT_TRUE(recordingSources().isEmpty());
    // Nothing is left to free.
    EXPECT_FALSE(bass().BASS_Free());
    EXPECT_EQ(bass().BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST(BassErrorText, EveryCodeHasWords)
{
    auto lib = BassLibrary::load(appLibraryPath()).take();
    ASSERT_TRUE(lib);
    for (int code : {BASS_OK, BASS_ERROR_MEM, BASS_ERROR_FILEOPEN, BASS_ERROR_FORMAT, BASS_ERROR_HANDLE,
                     BASS_ERROR_ENDED, BASS_ERROR_DEVICE, BASS_ERROR_NOTAVAIL, BASS_ERROR_INIT, BASS_ERROR_ILLPARAM,
                     BASS_ERROR_NETWORK, BASS_ERROR_POSITION, BASS_ERROR_PROTOCOL, BASS_ERROR_ALREADY,
                     BASS_ERROR_UNKNOWN}) {
        const char *text = lib->api().BASS_ErrorText(code);
        ASSERT_NE(text, nullptr);
        EXPECT_GT(std::strlen(text), 4u) << code;
    }
    EXPECT_STRNE(lib->api().BASS_ErrorText(BASS_ERROR_DEVICE), lib->api().BASS_ErrorText(BASS_ERROR_INIT));
}
