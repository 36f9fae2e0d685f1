// Saves that fail, in every format: a folder that cannot be written, a
// cancel, a missing, broken or empty WAV, a file that cannot grow (a disk that
// fills part way). Each gives a message naming the file and the reason,
// leaves the old file's bytes and leaves no temporary file.
#include "encodefixture.h"

#include "faultguards.h"
#include "testenv.h"

#include <QDir>
#include <memory>

namespace {

enum class Fault { UnwritableFolder, Cancelled, MissingWav, BrokenWav, EmptyWav, FileTooLarge };

struct FaultCase {
    Fault fault;
    const char *name;
    const char *reason; // a part of the message
};

const FaultCase kFaults[] = {
    {Fault::UnwritableFolder, "UnwritableFolder", "permi"}, // "Permission denied", "Operation not permitted"
    {Fault::Cancelled, "Cancelled", "cancelled"},
    {Fault::MissingWav, "MissingWav", "is missing"},
    {Fault::BrokenWav, "BrokenWav", "cannot be read"},
    {Fault::EmptyWav, "EmptyWav", "holds no sound"}, // an encoder given nothing may not even stop cleanly
    {Fault::FileTooLarge, "FileTooLarge", "too large"},
};

const RingtoneFormat kAll[] = {RingtoneFormat::M4r, RingtoneFormat::Ogg, RingtoneFormat::Opus,
                               RingtoneFormat::Flac, RingtoneFormat::Mp3, RingtoneFormat::Wav};

} // namespace

class EncodeFailureTest : public EncodeFixture, public ::testing::TestWithParam<std::tuple<FaultCase, RingtoneFormat>> {};

TEST_P(EncodeFailureTest, MessageNamesTheFileAndTheOldFileStays)
{
    const auto [fc, format] = GetParam();
    const QString out = dir.path() + QStringLiteral("/home/ring.") + extensionFor(format);
    ASSERT_TRUE(QDir().mkpath(dir.path() + QStringLiteral("/home")));
    ASSERT_TRUE(writeFile(out, "the old ringtone"));
    QString wav = makeWav(QStringLiteral("joined.wav"), 5.0);
    if (fc.fault == Fault::MissingWav)
        wav = file(QStringLiteral("gone.wav"));
    if (fc.fault == Fault::EmptyWav)
        ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' trim 0 0").arg(wav)), 0);
    if (fc.fault == Fault::BrokenWav)
        ASSERT_TRUE(writeFile(wav, QByteArray("RIFF\x10\0\0\0WAVEjunk", 16) + QByteArray(3000, '\x7f')));

    std::unique_ptr<ReadOnlyFolder> readOnly;
    std::unique_ptr<FileSizeLimit> sizeLimit;
    if (fc.fault == Fault::UnwritableFolder) {
        readOnly = std::make_unique<ReadOnlyFolder>(QFileInfo(out).absolutePath());
        if (!readOnly->works())
            GTEST_SKIP() << "the folder stays writable here";
    }
    const auto before = folderSnapshot(dir.path());
    if (fc.fault == Fault::FileTooLarge)
        sizeLimit = std::make_unique<FileSizeLimit>(24 * 1024);

    EncodeJob job;
    job.wavPath = wav;
    job.outPath = out;
    job.format = format;
    const QString error = encodeRingtone(job, [&](double done) { return fc.fault != Fault::Cancelled || done < 0.4; }).error();
    sizeLimit.reset();

    EXPECT_TRUE(error.contains(QDir::toNativeSeparators(out))) << error.toStdString();
    EXPECT_TRUE(error.contains(QLatin1String(fc.reason), Qt::CaseInsensitive)) << error.toStdString();
    if (fc.fault == Fault::MissingWav || fc.fault == Fault::BrokenWav || fc.fault == Fault::EmptyWav)
        EXPECT_TRUE(error.contains(wav)) << error.toStdString();
    EXPECT_EQ(folderSnapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EncodeFailureTest, ::testing::Combine(::testing::ValuesIn(kFaults), ::testing::ValuesIn(kAll)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) + "_" + extensionFor(std::get<1>(info.param)).toStdString();
                         });
