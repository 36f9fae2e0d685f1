#include "encodefixture.h"

#include "testenv.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

QString EncodeFixture::makeWav(const QString &name, double seconds, WavLayout layout) const
{
    const QString path = file(name);
    const QString encoding = layout.bits == 8 ? QStringLiteral("-e unsigned-integer") : QString();
    EXPECT_EQ(runShell(QStringLiteral("sox -n -r %1 -c %2 -b %3 %4 '%5' synth %6 sine 440 sine 660 pinknoise vol 0.3")
                           .arg(layout.rate)
                           .arg(layout.channels)
                           .arg(layout.bits)
                           .arg(encoding, path)
                           .arg(seconds)),
              0);
    return path;
}

QString EncodeFixture::save(const QString &wav, const QString &outName, RingtoneFormat format, const SongTags &tags,
                            std::optional<double> keep, double fade) const
{
    EncodeJob job;
    job.wavPath = wav;
    job.outPath = file(outName);
    job.format = format;
    job.tags = tags;
    job.keepSeconds = keep;
    job.fadeOutSeconds = fade;
    return encodeRingtone(job, [](double) { return true; }).error();
}

QJsonObject probe(const QString &path)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -show_format -show_streams -of json '%1'").arg(path), &out);
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

QJsonObject firstAudioStream(const QJsonObject &probed)
{
    for (const QJsonValue &s : probed[QLatin1String("streams")].toArray())
        if (s[QLatin1String("codec_type")] == QLatin1String("audio"))
            return s.toObject();
    return {};
}

QMap<QString, QString> tagsOf(const QJsonObject &probed)
{
    QMap<QString, QString> tags;
    auto take = [&](const QJsonObject &o) {
        const QJsonObject t = o[QLatin1String("tags")].toObject();
        for (auto it = t.begin(); it != t.end(); ++it)
            tags.insert(it.key().toLower(), it.value().toString());
    };
    take(probed[QLatin1String("format")].toObject());
    for (const QJsonValue &s : probed[QLatin1String("streams")].toArray())
        take(s.toObject());
    return tags;
}

QByteArray decode32(const QString &path, const QString &scratch)
{
    QFile::remove(scratch);
    runShell(QStringLiteral("ffmpeg -v error -i '%1' -map 0:a -c:a pcm_s32le -f s32le '%2'").arg(path, scratch));
    return readFile(scratch);
}

QByteArray coverOf(const QString &path, const QString &scratch)
{
    QFile::remove(scratch);
    runShell(QStringLiteral("ffmpeg -v error -i '%1' -map 0:v -c copy -frames:v 1 -f image2 '%2'").arg(path, scratch));
    return readFile(scratch);
}
