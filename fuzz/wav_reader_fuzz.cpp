// libFuzzer target: the RIFF WAVE chunk reader and the sample conversions on
// whatever the reader accepts.
#include "base/wavformat.h"
#include "fuzzsupport.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

namespace {

void checkAccepted(QBuffer &file, const WavInfo &info)
{
    FUZZ_CHECK(info.error.isEmpty());
    FUZZ_CHECK(info.channels > 0 && info.sampleRate > 0);
    FUZZ_CHECK(info.blockAlign == info.channels * info.bitsPerSample / 8);
    FUZZ_CHECK(info.sampleFormat() != SampleFormat::Invalid);
    FUZZ_CHECK(info.dataOffset >= 12 && info.dataSize >= 0 && info.dataOffset + info.dataSize <= info.fileSize);
    const QByteArray audio = readWavData(file, info, 0, info.frames() * info.blockAlign);
    FUZZ_CHECK(audio.size() == info.frames() * info.blockAlign);
    // Every layout converts to the program's own ones and back.
    for (SampleFormat to : {SampleFormat::S16, SampleFormat::F32, SampleFormat::U8, SampleFormat::S24}) {
        const QByteArray converted = convertSamples(audio, info.sampleFormat(), to);
        FUZZ_CHECK(converted.size() == audio.size() / bytesPerSample(info.sampleFormat()) * bytesPerSample(to));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    const WavInfo info = readWavInfo(file);
    if (info.ok)
        checkAccepted(file, info);
    else
        FUZZ_CHECK(!info.error.isEmpty());
    return 0;
}
