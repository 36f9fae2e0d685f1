// The recording engine driven the way the library drives it: blocks of
// samples handed to CaptureProc, here from the test (or a thread of its own).
#include "recorderfixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <thread>

namespace {

class CaptureEngineTest : public RecorderTest {
protected:
    CaptureEngineTest() { openPanel(); }
};

// Bytes that tell their place, so a block copied to the wrong place shows.
QByteArray pattern(int size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + seed) & 0xFF);
    return b;
}

} // namespace

TEST_F(CaptureEngineTest, BufferGrowsOnlyWhenABlockReachesTheNextStep)
{
    struct Case {
        int before;   // bytes already recorded after the header
        int block;
        qint64 sizeAfter;
    };
    // capLen 44 + 17640; 199956 + 44 reaches the step; 199000 + 1764 passes it.
    for (const Case c : {Case{0, 17640, 200000}, Case{199912, 44, 400000}, Case{198956, 1764, 400764}}) {
        ASSERT_TRUE(engine().newBuffer());
        const QByteArray first = pattern(c.before, 1), second = pattern(c.block, 2);
        if (c.before)
            feed(first, c.before);
        EXPECT_EQ(engine().capacity(), 200000) << "no resize below the step";
        feed(second, c.block);
        EXPECT_EQ(engine().capacity(), c.sizeAfter) << c.before << " + " << c.block;
        EXPECT_EQ(engine().capLen(), 44 + c.before + c.block);
        EXPECT_EQ(engine().capImage().mid(44), first + second);
    }
}

TEST_F(CaptureEngineTest, StopAtOnceGivesAnEmptyWavThatToolsRead)
{
    ASSERT_TRUE(engine().newBuffer());
    EXPECT_EQ(engine().capacity(), 200000);
    // 44100 Hz stereo 16-bit; both sizes 0 until the recording ends.
    const QByteArray header = QByteArray::fromHex("524946460000000057415645666d74201000000001000200"
                                                  "44ac000010b10200040010006461746100000000");
    EXPECT_EQ(engine().capImage().toHex(), header.toHex());
    engine().EndCapture();
    const QByteArray image = engine().capImage();
    ASSERT_EQ(image.size(), 44);
    EXPECT_EQ(le32(image, 4), 36);
    EXPECT_EQ(le32(image, 40), 0);
    EXPECT_EQ(engine().CaptureProc(0, "late", 4, nullptr), 0) << "a finished image never grows";

    // It plays (nothing, and is over at once) and saves.
    ASSERT_NE(engine().playChan, 0u) << "no stream over the empty image";
    ASSERT_TRUE(panel->btnPlay->isEnabled());
    ASSERT_TRUE(panel->btnSave->isEnabled());
    panel->btnPlay->click();
    panel->tmrRecTest_Timer();
    EXPECT_EQ(panel->lblPos->text(), QStringLiteral("0"));
    const QString file = homePath(QStringLiteral("empty.wav"));
    dialogs.files = {file};
    panel->btnSave->click();
    panel->CmdWav->click();
    EXPECT_EQ(readFile(file), image);
    EXPECT_EQ(soxi(QStringLiteral("s"), file), QStringLiteral("0"));
}

TEST_F(CaptureEngineTest, FinishedRecordingIsSavedAsAWavThatHoldsTheTone)
{
    ASSERT_TRUE(engine().newBuffer());
    const QByteArray samples = sine(1.0);
    ASSERT_EQ(samples.size(), 176400);
    feed(samples, 4410);
    engine().EndCapture();
    EXPECT_EQ(le32(engine().capImage(), 40), 176400);
    EXPECT_EQ(le32(engine().capImage(), 4), 176400 + 36);

    const QString file = homePath(QStringLiteral("voice"));
    dialogs.files = {file};
    engine().SaveCaptureWav();
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("WAV files|*.wav|All files|*.*"));
    const QString saved = file + QStringLiteral(".wav");
    EXPECT_EQ(QFileInfo(saved).size(), 44 + 176400);
    EXPECT_EQ(soxiFormat(saved), QStringLiteral("44100 2 16 44100"));
    EXPECT_NEAR(roughFrequency(saved), 440.0, 10.0);

    // A second save under the same name replaces the file without asking and
    // leaves nothing else beside it; a cancelled one writes nothing.
    writeFile(saved, "older");
    dialogs.files = {saved, std::nullopt};
    engine().SaveCaptureWav();
    engine().SaveCaptureWav();
    EXPECT_EQ(readFile(saved), engine().capImage());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    const QStringList wavs = QDir(env.paths().homeDir).entryList({QStringLiteral("*voice*")}, QDir::Files | QDir::Hidden);
    EXPECT_EQ(wavs, QStringList{QStringLiteral("voice.wav")});
}

TEST_F(CaptureEngineTest, AFileThatCannotBeCreatedIsReportedAndNothingIsWritten)
{
    ASSERT_TRUE(engine().newBuffer());
    engine().EndCapture();
    const QString notAFolder = env.homeFile(QStringLiteral("plain.txt"), "keep");
    dialogs.files = {notAFolder + QStringLiteral("/voice.wav")};
    engine().SaveCaptureWav();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("Can't create the file\r\n")));
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("plain.txt/voice.wav")));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(readFile(notAFolder), "keep");
}

TEST_F(CaptureEngineTest, TheTemporaryWavForMp3GetsAFreeNameWhileTheEncoderIsBusy)
{
    ASSERT_TRUE(engine().newBuffer());
    feed(pattern(4000, 3), 4000);
    engine().EndCapture();
    const QString temp = env.paths().recorderTempFile();
    dialogs.files = {homePath("a.mp3"), homePath("b.mp3"), homePath("c"), std::nullopt};
    EXPECT_EQ(engine().SaveCaptureMp3(false), temp);
    EXPECT_EQ(readFile(temp), engine().capImage());
    EXPECT_EQ(dialogs.fileRequests.last().filter, QStringLiteral("MP3 files|*.MP3"));
    writeFile(temp, "an encoding may still read this");
    const QString second = engine().SaveCaptureMp3(true);
    EXPECT_NE(second, temp);
    EXPECT_EQ(readFile(temp), "an encoding may still read this");
    EXPECT_EQ(readFile(second), engine().capImage());
    EXPECT_EQ(engine().SaveCaptureMp3(false), temp) << "nothing waits: the one file is replaced";
    EXPECT_EQ(engine().cmd->FileName, homePath("c.mp3"));
    EXPECT_EQ(readFile(temp), engine().capImage());
    EXPECT_TRUE(engine().SaveCaptureMp3(false).isEmpty()) << "cancelled";
}

TEST_F(CaptureEngineTest, OutOfMemoryOnTheLibraryThreadEndsTheRecordingOnTheUiThread)
{
    engine().resizeBlock = [](void *block, std::size_t size) { return size > 200000 ? nullptr : std::realloc(block, size); };
    ASSERT_TRUE(engine().newBuffer());
    engine().capChan = 77; // as if the library were recording
    panel->showState();
    ASSERT_EQ(panel->btnRecord->text(), QStringLiteral("Stop"));
    const QByteArray block = pattern(200000, 4);
    BOOL results[2] = {1, 1};
    std::thread library([&] {
        results[0] = engine().CaptureProc(77, block.constData(), DWORD(block.size()), nullptr);
        results[1] = engine().CaptureProc(77, block.constData(), 4, nullptr);
    });
    library.join();
    EXPECT_EQ(results[0], 0);
    EXPECT_EQ(results[1], 0) << "no block is taken after the failure";
    EXPECT_FALSE(engine().hasBuffer()) << "the old block is freed at once";
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.isEmpty(); }, 5000));
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Out of memory!\r\n\r\nerror code: 1")});
    EXPECT_EQ(engine().capChan, 0u);
    EXPECT_EQ(panel->btnRecord->text(), QStringLiteral("Record"));
    EXPECT_FALSE(panel->btnSave->isEnabled());
}

TEST_F(CaptureEngineTest, ARecordingStopsBeforeItsImagePassesTheLargestSize)
{
    engine().maxImageBytes = 44 + 800;
    ASSERT_TRUE(engine().newBuffer());
    engine().capChan = 78;
    const QByteArray block = pattern(400, 5);
    feed(block + block, 400);
    EXPECT_EQ(engine().CaptureProc(78, block.constData(), 400, nullptr), 0);
    EXPECT_EQ(engine().capLen(), 844) << "what fits is kept";
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.isEmpty(); }, 5000));
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("2 GB")));
    EXPECT_EQ(engine().capChan, 0u) << "stopped as by the Stop button";
    EXPECT_EQ(le32(engine().capImage(), 40), 800);
    EXPECT_EQ(le32(engine().capImage(), 4), 836);
}

TEST(InputType, NamesByTopByteAndLevelFromTheLowWord)
{
    EXPECT_EQ(inputTypeName(0x03000064u), QStringLiteral("Microphone"));
    EXPECT_EQ(LowWord(0x03000064u), 100u);
    EXPECT_EQ(LowWord(0x0A01FFFFu), 0xFFFFu);
    EXPECT_EQ(inputTypeName(0x0B000000u), QStringLiteral("UnSupport"));
    EXPECT_EQ(inputTypeName(0x00000032u), QStringLiteral("UnSupport"));
    EXPECT_EQ(inputTypeName(0x01010000u), QStringLiteral("Digital"));
    EXPECT_EQ(inputTypeName(0x0A000000u), QStringLiteral("Analog"));
    EXPECT_EQ(inputTypeName(0xFFFFFFFFu), QStringLiteral("UnSupport"));
}
