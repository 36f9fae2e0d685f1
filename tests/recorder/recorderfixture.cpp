#include "recorderfixture.h"

#include "audio/audiostart.h"

#include <QtEndian>
#include <algorithm>

RecorderTest::RecorderTest() : form(std::make_unique<Frmmain>(env.paths()))
{
    form->endProgram = [] { ADD_FAILURE() << "the program was shut down"; };
    form->terminate = [] { ADD_FAILURE() << "the program was ended"; };
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

qint32 le32(const QByteArray &image, int offset)
{
    return image.size() >= offset + 4 ? qFromLittleEndian<qint32>(image.constData() + offset) : -1;
}

QString soxi(const QString &option, const QString &file)
{
    QString out;
    runShell(QStringLiteral("soxi -%1 '%2' 2>/dev/null").arg(option, file), &out);
    return out.trimmed();
}

QString soxiFormat(const QString &file)
{
    QStringList parts;
    for (const char *option : {"r", "c", "b", "s"})
        parts << soxi(QString::fromLatin1(option), file);
    return parts.join(QLatin1Char(' '));
}

double roughFrequency(const QString &file, double fromSeconds)
{
    if (fromSeconds < 0)
        fromSeconds = std::max(0.0, soxi(QStringLiteral("D"), file).toDouble() + fromSeconds);
    QString out;
    runShell(QStringLiteral("sox '%1' -n trim %2 remix 1 stat 2>&1 | grep -i 'rough'").arg(file).arg(fromSeconds), &out);
    return out.section(QLatin1Char(':'), 1).trimmed().toDouble();
}
