#include "base/timetext.h"

#include <QRegularExpression>

namespace {

// Beyond this a time is surely a typing slip (about 31 years), and the sums
// below stay far from overflowing.
constexpr qint64 kLongestMs = qint64(1) << 50;

Result<qint64> notATime(const QString &text, const QString &why)
{
    return Result<qint64>::failure(QStringLiteral("\"%1\" is not a time: %2").arg(text, why));
}

// Whole milliseconds of "<whole>[.<fraction>]" seconds, rounded to the nearest.
qint64 secondsToMs(const QString &whole, const QString &fraction)
{
    qint64 ms = whole.toLongLong() * 1000;
    if (!fraction.isEmpty()) {
        // The first four decimals decide the rounding; the rest cannot change it.
        const QString tenths = (fraction + QStringLiteral("0000")).left(4);
        ms += (tenths.toLongLong() + 5) / 10;
    }
    return ms;
}

} // namespace

Result<qint64> parseTimeText(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return Result<qint64>::failure(QStringLiteral("Type a time, such as 0:05.250 or 5.25."));
    static const QRegularExpression shape(QStringLiteral(
        R"(^(?:(?:(\d+):)?(\d+):)?(\d*)(?:[.,](\d*))?$)"));
    const QRegularExpressionMatch m = shape.match(text);
    // ".5" is half a second, but "1:" or "." holds no seconds at all.
    const bool hasSeconds = !m.captured(3).isEmpty() || (m.captured(2).isEmpty() && !m.captured(4).isEmpty());
    if (!m.hasMatch() || !hasSeconds) {
        return notATime(text, QStringLiteral("use m:ss.mmm, h:mm:ss.mmm or seconds, such as 0:05.250 or 5.25"));
    }
    const QString hours = m.captured(1), minutes = m.captured(2), seconds = m.captured(3);
    // Only the first field may run past its clock limit: "90" and "90:00" are
    // fine, "1:90" is a slip.
    if (!minutes.isEmpty() && seconds.toLongLong() >= 60)
        return notATime(text, QStringLiteral("the seconds after a colon must be below 60"));
    if (!hours.isEmpty() && minutes.toLongLong() >= 60)
        return notATime(text, QStringLiteral("the minutes after an hour must be below 60"));
    for (const QString &field : {hours, minutes, seconds}) {
        if (field.size() > 12)
            return notATime(text, QStringLiteral("it is far too long"));
    }
    const qint64 ms = (hours.toLongLong() * 3600 + minutes.toLongLong() * 60) * 1000
                      + secondsToMs(seconds, m.captured(4));
    if (ms > kLongestMs)
        return notATime(text, QStringLiteral("it is far too long"));
    return ms;
}

QString formatTimeText(qint64 milliseconds)
{
    const qint64 ms = qMax<qint64>(0, milliseconds);
    const qint64 hours = ms / 3'600'000;
    const qint64 minutes = ms / 60'000 % 60;
    const QString tail = QStringLiteral("%1.%2")
                             .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                             .arg(ms % 1000, 3, 10, QLatin1Char('0'));
    if (hours > 0)
        return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes, 2, 10, QLatin1Char('0')).arg(tail);
    return QStringLiteral("%1:%2").arg(minutes).arg(tail);
}
