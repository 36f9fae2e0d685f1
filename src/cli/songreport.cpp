#include "cli/songreport.h"

#include "base/timetext.h"

#include <QDir>
#include <QJsonArray>
#include <cmath>

namespace {

QString decibels(double value) { return QString::number(value, 'f', 1); }

QString chorusLine(const ChorusCandidate &c)
{
    return QStringLiteral("%1 - %2").arg(formatTimeText(qint64(std::lround(c.startSec * 1000))),
                                         formatTimeText(qint64(std::lround(c.endSec * 1000))));
}

} // namespace

QString songInfoText(const SongInfo &info)
{
    const ClipFacts &f = info.facts;
    QStringList lines{QDir::toNativeSeparators(info.song)};
    const auto add = [&](const char *label, const QString &value) {
        lines << QStringLiteral("  %1%2").arg(QString::fromLatin1(label), -12).arg(value);
    };
    add("length:", formatTimeText(f.lengthMs));
    add("rate:", QStringLiteral("%1 Hz").arg(f.rate));
    add("channels:", QString::number(f.channels));
    add("title:", info.tags.title);
    add("artist:", info.tags.artist);
    add("album:", info.tags.album);
    add("cover:", info.tags.coverArt.isEmpty() ? QStringLiteral("none")
                                               : QStringLiteral("%1, %2 bytes").arg(info.tags.coverMime).arg(info.tags.coverArt.size()));
    if (f.loudness) {
        add("loudness:", decibels(f.loudness.value().integratedLufs) + QStringLiteral(" LUFS"));
        add("true peak:", decibels(f.loudness.value().truePeakDbtp) + QStringLiteral(" dBTP"));
    } else {
        add("loudness:", QStringLiteral("unknown (%1)").arg(f.loudness.error()));
    }
    add("tempo:", f.tempoBpm ? QString::number(*f.tempoBpm, 'f', 1) + QStringLiteral(" BPM") : QStringLiteral("unknown"));
    if (f.chorus.empty())
        add("chorus:", QStringLiteral("none (%1)").arg(f.chorusError));
    for (size_t i = 0; i < f.chorus.size(); ++i)
        add(i == 0 ? "chorus:" : "", chorusLine(f.chorus[i]));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QJsonObject songInfoJson(const SongInfo &info)
{
    const ClipFacts &f = info.facts;
    QJsonArray chorus;
    for (const ChorusCandidate &c : f.chorus)
        chorus.append(QJsonObject{{QStringLiteral("start"), c.startSec},
                                  {QStringLiteral("end"), c.endSec},
                                  {QStringLiteral("score"), c.score}});
    const auto orNull = [](bool known, double value) { return known ? QJsonValue(value) : QJsonValue(); };
    const LoudnessMeasurement loudness = f.loudness ? f.loudness.value() : LoudnessMeasurement{};
    return QJsonObject{
        {QStringLiteral("song"), info.song},
        {QStringLiteral("lengthSeconds"), f.lengthMs / 1000.0},
        {QStringLiteral("rate"), qint64(f.rate)},
        {QStringLiteral("channels"), f.channels},
        {QStringLiteral("title"), info.tags.title},
        {QStringLiteral("artist"), info.tags.artist},
        {QStringLiteral("album"), info.tags.album},
        {QStringLiteral("cover"), info.tags.coverArt.isEmpty() ? QJsonValue()
                                  : QJsonValue(info.tags.coverMime.isEmpty() ? QStringLiteral("image") : info.tags.coverMime)},
        {QStringLiteral("loudnessLufs"), orNull(f.loudness.ok(), loudness.integratedLufs)},
        {QStringLiteral("truePeakDbtp"), orNull(f.loudness.ok(), loudness.truePeakDbtp)},
        {QStringLiteral("tempoBpm"), orNull(f.tempoBpm.has_value(), f.tempoBpm.value_or(0))},
        {QStringLiteral("chorus"), chorus},
    };
}
