#include "shell/settingsfile.h"

#include "base/atomicsave.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <cmath>

namespace {

// One field of a line: leading blanks skipped, ended by a comma or the end
// of the line; a field in double quotes runs to the closing quote.
QString field(const QByteArray &line)
{
    int i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i < line.size() && line[i] == '"') {
        const int end = line.indexOf('"', i + 1);
        return QString::fromLocal8Bit(line.mid(i + 1, end < 0 ? -1 : end - i - 1));
    }
    const int comma = line.indexOf(',', i);
    return QString::fromLocal8Bit(line.mid(i, comma < 0 ? -1 : comma - i)).trimmed();
}

} // namespace

StoredSettings parseSettings(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty() && content.endsWith('\n'))
        lines.removeLast();

    StoredSettings s;
    if (!lines.isEmpty()) {
        bool ok = false;
        const QString number = field(lines[0]);
        const double value = number.toDouble(&ok);
        if (ok && value >= -2147483648.0 && value <= 2147483647.0)
            s.bitRate = int(std::lround(value));
    }
    if (lines.size() > 1)
        s.baseFolder = field(lines[1]);
    return s;
}

QByteArray formatSettings(const std::optional<int> &bitRate, const QString &baseFolder)
{
    QByteArray out;
    if (bitRate)
        out += ' ' + QByteArray::number(*bitRate) + ' ';
    out += "\r\n";
    out += baseFolder.toLocal8Bit() + "\r\n";
    return out;
}

StoredSettings readSettingsFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return parseSettings(f.readAll());
}

Outcome writeSettingsFile(const QString &path, const std::optional<int> &bitRate, const QString &baseFolder)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeFileAtomically(path, formatSettings(bitRate, baseFolder));
}
