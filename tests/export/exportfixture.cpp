#include "exportfixture.h"

#include "core/cliplist.h"
#include "export/wavexport.h"
#include "testwav.h"

#include <QRegularExpression>
#include <QtEndian>

namespace {

QString quoted(const QString &path) { return QLatin1Char('\'') + path + QLatin1Char('\''); }

} // namespace

QByteArray wavBytes(int channels, int rate, int bits, const QByteArray &audio)
{
    return canonicalWav(channels, rate, bits, audio);
}

QByteArray audioPattern(int size, int seed)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char((i * 7 + seed * 31 + (i >> 8)) & 0xFF);
    return out;
}

qint32 le32(const QByteArray &bytes, int offset) { return qFromLittleEndian<qint32>(bytes.constData() + offset); }

void putLe32(QByteArray &bytes, int offset, qint32 value) { bytes.replace(offset, 4, le32(quint32(value))); }

QString ExportFixture::addClip(const QString &name, const QByteArray &content)
{
    const QString path = env.paths().clipFile(name);
    writeFile(path, content);
    addEntry(name);
    return path;
}

void ExportFixture::addEntry(const QString &name, const SongTags &tags)
{
    workspace.clips().append(ClipEntry{name, {}, tags});
}

void ExportFixture::saveAs(const std::optional<QString> &path)
{
    dialogs.files.push_back(path);
    wav->CmdSaveWav_Click();
    waitFor([this] { return idle(); }, 60000);
}

void ExportFixture::addSine(const QString &name, double seconds, const QString &synth, const SongTags &tags)
{
    soxMake(env.paths().clipFile(name), QStringLiteral("-r 44100 -c 2 -b 16"),
            QStringLiteral("%1 %2 vol 0.5").arg(seconds).arg(synth));
    addEntry(name, tags);
}

QString ExportFixture::home(const QString &name) const { return env.paths().homeDir + QLatin1Char('/') + name; }

QString soxi(const QString &flag, const QString &path)
{
    QString out;
    runShell(QStringLiteral("soxi %1 %2").arg(flag, quoted(path)), &out);
    return out.trimmed();
}

bool soxMake(const QString &path, const QString &format, const QString &synth)
{
    return runShell(QStringLiteral("sox -n %1 %2 synth %3").arg(format, quoted(path), synth)) == 0;
}

double soxFrequency(const QString &path, double start, double length)
{
    QString out;
    runShell(QStringLiteral("sox %1 -n trim %2 %3 remix 1 stat 2>&1").arg(quoted(path)).arg(start).arg(length), &out);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Rough\\s+frequency:\\s+(\\d+)")).match(out);
    return m.hasMatch() ? m.captured(1).toDouble() : -1;
}
