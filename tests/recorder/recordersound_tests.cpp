// Recording through the sound server: a tone played into a null sink is
// recorded from the sink's monitor, played back and saved. Skipped while the
// audio library cannot record (it reports no device although a server answers).
#include "recorderfixture.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "platform/bass/bass.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QtEndian>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// A null sink of its own, loaded into the server for one test.
class ExtraSink {
public:
    explicit ExtraSink(const QString &name, const QString &description) : name_(name)
    {
        QString out;
        runShell(QStringLiteral("pactl load-module module-null-sink sink_name=%1 sink_properties=device.description=%2")
                     .arg(name, description),
                 &out);
        module_ = out.trimmed();
    }
    ~ExtraSink()
    {
        if (!module_.isEmpty())
            runShell(QStringLiteral("pactl unload-module %1").arg(module_));
    }
    bool loaded() const { return !module_.isEmpty(); }
    QString monitor() const { return name_ + QStringLiteral(".monitor"); }

private:
    QString name_, module_;
};

// Root mean square of the last `bytes` of 16-bit samples.
double tailLevel(const QByteArray &image, int bytes)
{
    if (image.size() < 44 + bytes)
        return 0;
    const char *p = image.constData() + image.size() - bytes;
    double sum = 0;
    for (int i = 0; i < bytes / 2; ++i) {
        const double v = qFromLittleEndian<qint16>(p + 2 * i);
        sum += v * v;
    }
    return std::sqrt(sum / (bytes / 2));
}

class RecorderSoundTest : public RecorderTest {
protected:
    void SetUp() override
    {
        ASSERT_EQ(runShell(QStringLiteral("pactl info >/dev/null 2>&1")), 0) << "no sound server answers";
        ASSERT_TRUE(form->audio().checkLibrary());
        const BassApi *bass = form->audio().api();
        if (!bass->BASS_RecordInit(-1)) {
            const int code = bass->BASS_ErrorGetCode();
            if (code == BASS_ERROR_DEVICE)
                GTEST_SKIP() << "the sound server offers no recording device";
            FAIL() << "BASS_RecordInit failed with " << code;
        }
        bass->BASS_RecordFree();
        ASSERT_TRUE(openPanel()) << dialogs.texts().join(' ').toStdString();
    }
    void TearDown() override
    {
        for (auto &p : players) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    int inputNamed(const QString &part) const
    {
        for (int i = 0; i < panel->cmbInput->count(); ++i)
            if (panel->cmbInput->itemText(i).contains(part))
                return i;
        return -1;
    }
    void choose(int input)
    {
        panel->cmbInput->setCurrentIndex(input);
        panel->cmbInput_Click();
    }
    // Plays `seconds` of a sine into `sink` in the background. A 200 ms
    // buffer keeps the player from running dry on a busy machine, which
    // would leave gaps in what the monitor hears.
    void play(const QString &sink, int hz, double seconds)
    {
        const QString file = homePath(QStringLiteral("tone%1.wav").arg(hz));
        ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth %2 sine %3 vol 0.5").arg(file).arg(seconds).arg(hz)), 0);
        auto p = std::make_unique<QProcess>();
        p->start(QStringLiteral("paplay"), {QStringLiteral("--device=") + sink, QStringLiteral("--latency-msec=200"), file});
        ASSERT_TRUE(p->waitForStarted(5000));
        players.push_back(std::move(p));
    }
    bool recordedAtLeast(qint32 bytes) { return waitFor([&] { return engine().capLen() >= 44 + bytes; }, 15000); }
    // Records until the tone is heard, then one more second of it.
    void recordTheTone()
    {
        ASSERT_TRUE(waitFor([&] { return tailLevel(engine().capImage(), 17640) > 3000; }, 15000)) << "the tone never came";
        ASSERT_TRUE(recordedAtLeast(engine().capLen() - 44 + 176400));
    }
    QString saveAs(QPushButton *format, const QString &name)
    {
        dialogs.files = {homePath(name)};
        panel->btnSave->click();
        format->click();
        return homePath(name);
    }

    std::vector<std::unique_ptr<QProcess>> players;
};

} // namespace

TEST_F(RecorderSoundTest, TwoSecondsOfTheToneRecordedPlayedAndSavedAsWavAndMp3)
{
    const int monitor = inputNamed(QStringLiteral("ClipforgeSink"));
    ASSERT_GE(monitor, 0);
    choose(monitor);
    play(QStringLiteral("clipforge_sink"), 440, 10);

    QElapsedTimer clock;
    clock.start();
    panel->btnRecord->click();
    ASSERT_EQ(panel->btnRecord->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(panel->btnSave->isEnabled());
    ASSERT_TRUE(recordedAtLeast(352800));
    panel->tmrRecTest_Timer();
    EXPECT_NEAR(panel->lblPos->text().toDouble(), 352800, 35280) << "the counter after two seconds";
    EXPECT_GE(clock.elapsed(), 1500) << "no faster than the sound itself";
    recordTheTone();
    panel->btnRecord->click();
    EXPECT_EQ(panel->btnRecord->text(), QStringLiteral("Record"));
    ASSERT_TRUE(panel->btnPlay->isEnabled());
    const qint32 data = engine().capLen() - 44;

    const QString wav = saveAs(panel->CmdWav, QStringLiteral("rec.wav"));
    const QByteArray file = readFile(wav);
    ASSERT_EQ(file.size(), 44 + data);
    EXPECT_EQ(le32(file, 4), data + 36);
    EXPECT_EQ(soxiFormat(wav), QStringLiteral("44100 2 16 %1").arg(data / 4));
    EXPECT_NEAR(roughFrequency(wav, -1), 440, 10);

    const QString mp3 = saveAs(panel->CmdMp3, QStringLiteral("rec.mp3"));
    ASSERT_TRUE(waitFor([&] { return dialogs.texts().contains(QStringLiteral("Finish Save")); }, 30000)) << dialogs.texts().join(' ').toStdString();
    EXPECT_FALSE(form->Text1()->text().isEmpty());
    QString decoded;
    runShell(QStringLiteral("ffmpeg -v error -i '%1' -f s16le -ac 2 -ar 44100 - | wc -c").arg(mp3), &decoded);
    EXPECT_NEAR(decoded.trimmed().toDouble() / 4, data / 4.0, 1152) << "the same length within a frame";

    // Playback: position / length while it plays, the length once it ended.
    const QString length = QString::number(data);
    panel->btnPlay->click();
    const QRegularExpression playing(QStringLiteral("^\\d+ / ") + length + QLatin1Char('$'));
    EXPECT_TRUE(waitFor([&] { return playing.match(panel->lblPos->text()).hasMatch(); }, 10000)) << panel->lblPos->text().toStdString();
    EXPECT_TRUE(waitFor([&] { return panel->lblPos->text() == length; }, 30000)) << panel->lblPos->text().toStdString();
}

TEST_F(RecorderSoundTest, EachInputListedOnceAndTheChosenOneIsKeptAndRecordedAtItsLevel)
{
    ExtraSink one(QStringLiteral("clipforge_extra1"), QStringLiteral("ClipforgeExtraOne"));
    ExtraSink two(QStringLiteral("clipforge_extra2"), QStringLiteral("ClipforgeExtraTwo"));
    ASSERT_TRUE(one.loaded() && two.loaded());
    ASSERT_TRUE(openPanel());
    const int count = panel->cmbInput->count();
    ASSERT_TRUE(openPanel());
    EXPECT_EQ(panel->cmbInput->count(), count) << "a second showing lists each input once";
    ASSERT_GE(inputNamed(QStringLiteral("ClipforgeExtraTwo")), 0);
    const int chosen = inputNamed(QStringLiteral("ClipforgeExtraOne"));
    ASSERT_GE(chosen, 0);

    choose(chosen);
    const BassApi *bass = form->audio().api();
    for (int i = 0; i < count; ++i)
        EXPECT_EQ((bass->BASS_RecordGetInput(i) & BASS_INPUT_OFF) != 0, i != chosen) << "input " << i;
    EXPECT_EQ(engine().capInput, chosen);
    const DWORD setting = bass->BASS_RecordGetInput(chosen);
    EXPECT_EQ(panel->sldInputLevel->value(), int(LowWord(setting)));
    EXPECT_EQ(panel->lblInputType->text(), inputTypeName(setting));
    // Another panel and back: the choice stands (the library keeps the
    // input on), and it is the one recorded below.
    form->Toolbar1_ButtonClick(QStringLiteral("Setting"));
    ASSERT_TRUE(openPanel());
    EXPECT_EQ(panel->cmbInput->currentIndex(), chosen);
    EXPECT_EQ(engine().capInput, chosen);

    // Only the chosen sink plays 440 Hz; the default one plays 1000 Hz.
    play(QStringLiteral("clipforge_extra1"), 440, 12);
    play(QStringLiteral("clipforge_sink"), 1000, 12);
    panel->btnRecord->click();
    recordTheTone();
    panel->btnRecord->click();
    const QString wav = saveAs(panel->CmdWav, QStringLiteral("chosen.wav"));
    EXPECT_NEAR(roughFrequency(wav, -1), 440, 10);

    panel->sldInputLevel->setValue(panel->sldInputLevel->value() == 50 ? 49 : 50);
    panel->sldInputLevel->setValue(50);
    QString volume;
    runShell(QStringLiteral("pactl get-source-volume %1").arg(one.monitor()), &volume);
    EXPECT_TRUE(volume.contains(QStringLiteral(" 50%"))) << volume.toStdString();
    EXPECT_EQ(LowWord(bass->BASS_RecordGetInput(chosen)), 50u);
}

TEST_F(RecorderSoundTest, ChoosingSettingDuringARecordingEndsItAndFreesTheBuffer)
{
    panel->btnRecord->click();
    ASSERT_TRUE(recordedAtLeast(17640));
    QString streams;
    runShell(QStringLiteral("pactl list short source-outputs"), &streams);
    EXPECT_FALSE(streams.trimmed().isEmpty()) << "the recording is a stream of the server";
    form->Toolbar1_ButtonClick(QStringLiteral("Setting"));
    EXPECT_EQ(engine().capChan, 0u);
    EXPECT_FALSE(engine().hasBuffer());
    EXPECT_TRUE(waitFor([&] {
        runShell(QStringLiteral("pactl list short source-outputs"), &streams);
        return streams.trimmed().isEmpty();
    }, 5000)) << streams.toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
