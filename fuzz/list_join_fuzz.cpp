// libFuzzer target: joining up to four clip files of any content into
// concat.wav, the way "Save The List" does.
#include "base/wavformat.h"
#include "core/clipaudio.h"
#include "core/listjoin.h"
#include "fuzzsupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QFileInfo>
#include <cstddef>
#include <cstdint>

namespace {

const AppPaths &paths()
{
    static const AppPaths p = [] {
        AppPaths a = AppPaths::underRoot(fuzzFolder());
        QDir().mkpath(a.workDir);
        return a;
    }();
    return p;
}

// A rough upper bound of the joined audio, so that no run writes more than a
// few megabytes (the refusal of results too large for WAV is tested apart).
double roughJoinedBytes(const QStringList &names)
{
    double bytes = 0;
    WavInfo first;
    for (const QString &name : names) {
        const WavInfo info = readWavInfo(paths().clipFile(name));
        if (!info.ok)
            return 0; // refused before anything is written
        if (!first.ok)
            first = info;
        const double ratio = double(first.sampleRate) / double(info.sampleRate);
        bytes += (double(info.frames()) * ratio + 2) * double(first.channels) * 8;
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    QStringList names;
    const int clips = input.ConsumeIntegralInRange(1, 4);
    for (int i = 0; i < clips; ++i) {
        const std::string content = input.ConsumeRandomLengthString(1 << 16);
        const QString name = QStringLiteral("clip %1").arg(i);
        putFile(paths().clipFile(name), QByteArray(content.data(), qsizetype(content.size())));
        names << name;
    }
    if (roughJoinedBytes(names) > 8e6)
        return 0;
    QFile::remove(paths().concatFile());

    const Result<qint64> joined = joinClipList(names, paths());
    if (joined) {
        FUZZ_CHECK(joined.error().isEmpty());
        const WavInfo result = readWavInfo(paths().concatFile());
        FUZZ_CHECK(result.ok && result.canonical && result.formatTag == kWavFormatPcm);
        FUZZ_CHECK(result.dataSize == joined.value() && result.fileSize == 44 + joined.value());
    } else {
        // A join that fails leaves no concat.wav behind.
        FUZZ_CHECK(!joined.error().isEmpty());
        FUZZ_CHECK(!QFileInfo::exists(paths().concatFile()));
    }
    return 0;
}
