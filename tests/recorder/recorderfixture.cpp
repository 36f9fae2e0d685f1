#include "recorderfixture.h"

#include "audio/audiostart.h"

#include <QtEndian>
#include <algorithm>

RecorderTest::RecorderTest() : form(std::make_unique<Frmmain>(env.paths()))
{
    form->endProgram = [] { ADD_FAILURE() << "the program was shut down"; };
    form->audio().terminate = [] { ADD_FAILURE() << "the program was ended"; };
    form->show();
    panel = qobject_cast<RecorderPanel *>(form->FrameRec());
}

RecorderTest::~RecorderTest() { form->endProgram = [] {}; }

bool RecorderTest::openPanel()
{
    const qsizetype before = dialogs.messages.size();
    form->Toolbar1_ButtonClick(QStringLiteral("Rec"));
    const bool started = dialogs.messages.size() == before;
    while (dialogs.messages.size() > before)
        dialogs.messages.removeLast();
    return started;
}

void RecorderTest::feed(const QByteArray &bytes, int block)
{
    for (qsizetype at = 0; at < bytes.size(); at += block) {
        const QByteArray piece = bytes.mid(at, block);
        ASSERT_EQ(engine().CaptureProc(0, piece.constData(), DWORD(piece.size()), nullptr), 1);
    }
}

QByteArray RecorderTest::sine(double seconds, int hz)
{
    const QString raw = homePath(QStringLiteral("sine%1.raw").arg(hz));
    EXPECT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 -e signed -t raw '%1' synth %2 sine %3 vol 0.5")
                           .arg(raw)
                           .arg(seconds)
                           .arg(hz)),
              0);
    return readFile(raw);
}

WavFields wavFields(const QByteArray &image)
{
    WavFields f;
    if (image.size() < 44)
        return f;
    const char *p = image.constData();
    auto u16 = [p](int at) { return int(qFromLittleEndian<quint16>(p + at)); };
    auto i32 = [p](int at) { return qFromLittleEndian<qint32>(p + at); };
    f.riff = image.mid(0, 4);
    f.riffSize = i32(4);
    f.wave = image.mid(8, 4);
    f.fmt = image.mid(12, 4);
    f.fmtSize = i32(16);
    f.format = u16(20);
    f.channels = u16(22);
    f.rate = i32(24);
    f.bytesPerSecond = i32(28);
    f.blockAlign = u16(32);
    f.bits = u16(34);
    f.data = image.mid(36, 4);
    f.dataSize = i32(40);
    return f;
}

QString soxi(const QString &option, const QString &file)
{
    QString out;
    runShell(QStringLiteral("soxi -%1 '%2' 2>/dev/null").arg(option, file), &out);
    return out.trimmed();
}

double roughFrequency(const QString &file, double fromSeconds)
{
    if (fromSeconds < 0)
        fromSeconds = std::max(0.0, soxi(QStringLiteral("D"), file).toDouble() + fromSeconds);
    QString out;
    runShell(QStringLiteral("sox '%1' -n trim %2 remix 1 stat 2>&1 | grep -i 'rough'").arg(file).arg(fromSeconds), &out);
    return out.section(QLatin1Char(':'), 1).trimmed().toDouble();
}
