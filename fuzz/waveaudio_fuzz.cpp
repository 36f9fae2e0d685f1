// libFuzzer target: the "waveaudio" command interpreter on a fuzzed WAV file,
// with a fuzzed series of commands. Paths are only ever the two files of the
// target's own folder, so that no command can write anywhere else; the rest of
// a command (names, keywords, times, quotes) is free.
#include "base/wavformat.h"
#include "fuzzsupport.h"
#include "platform/mci/waveaudio.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace {

QString fileIn() { return fuzzFolder() + QStringLiteral("/in put.wav"); }
QString fileOut() { return fuzzFolder() + QStringLiteral("/out.wav"); }
QString quoted(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

QString word(FuzzedDataProvider &input)
{
    static const char *const words[] = {"voice1", "VOICE1", "voice2", "all", "from", "to", "wait", "notify",
                                        "type", "waveaudio", "alias", "length", "channels", "samplespersec",
                                        "bitspersample", "\"", "\"\"", "-1", "0", "999999999999999999999"};
    if (input.ConsumeBool())
        return QString::fromLatin1(words[input.ConsumeIntegralInRange<size_t>(0, std::size(words) - 1)]);
    return QString::number(input.ConsumeIntegral<qint64>());
}

// A command whose first word the target chooses: only "open" and "save" name
// files, and they name only the target's two.
QString command(FuzzedDataProvider &input)
{
    QString c;
    switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0: c = QStringLiteral("open ") + quoted(input.ConsumeBool() ? fileIn() : fileOut()); break;
    case 1: c = QStringLiteral("save ") + word(input) + QLatin1Char(' ') + quoted(input.ConsumeBool() ? fileIn() : fileOut()); break;
    case 2: c = QStringLiteral("delete"); break;
    case 3: c = QStringLiteral("status"); break;
    case 4: c = QStringLiteral("close"); break;
    default: {
        // Free text after a command that reads and writes no file.
        static const char *const verbs[] = {"delete ", "status ", "close ", "play ", ""};
        const std::string text = input.ConsumeRandomLengthString(64);
        return QString::fromLatin1(verbs[input.ConsumeIntegralInRange(0, 4)]) +
               QString::fromUtf8(text.data(), qsizetype(text.size())).remove(QLatin1Char('s')).remove(QLatin1Char('S'))
                   .remove(QLatin1Char('o')).remove(QLatin1Char('O'));
    }
    }
    const int extra = input.ConsumeIntegralInRange(0, 5);
    for (int i = 0; i < extra; ++i)
        c += QLatin1Char(' ') + word(input);
    return c;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string wav = input.ConsumeRandomLengthString(1 << 16);
    putFile(fileIn(), QByteArray(wav.data(), qsizetype(wav.size())));
    QFile::remove(fileOut());
    mciSendStringA(QStringLiteral("close all"));

    const int commands = input.ConsumeIntegralInRange(1, 12);
    for (int i = 0; i < commands && input.remaining_bytes() > 0; ++i) {
        const QString text = command(input);
        QString answer;
        const quint32 code = mciSendStringA(text, &answer);
        FUZZ_CHECK(!mciGetErrorString(code).startsWith(QStringLiteral("Unknown")));
        FUZZ_CHECK(code == kMciOk || answer.isEmpty());
        // A saved file is always a whole WAV file.
        if (code == kMciOk && text.startsWith(QStringLiteral("save ")))
            FUZZ_CHECK(readWavInfo(text.contains(fileOut()) ? fileOut() : fileIn()).ok);
    }
    mciSendStringA(QStringLiteral("close all"));
    return 0;
}
