#pragma once
// Making WAVs and songs with sox, lame and ffmpeg, and judging saved
// ringtones with ffprobe and ffmpeg.
#include "encode/encodejob.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

struct WavLayout {
    int rate, channels, bits;
};

class EncodeFixture {
protected:
    QString file(const QString &name) const { return dir.path() + QLatin1Char('/') + name; }
    // A WAV of two tones and some noise.
    QString makeWav(const QString &name, double seconds, WavLayout layout = {44100, 2, 16}) const;
    // Saves the WAV into `outName`; the error text.
    QString save(const QString &wav, const QString &outName, RingtoneFormat format, const SongTags &tags = {},
                 std::optional<double> keep = std::nullopt, double fade = 0) const;

    QTemporaryDir dir;
};

// ffprobe's JSON of the file's format and streams.
QJsonObject probe(const QString &path);
QJsonObject firstAudioStream(const QJsonObject &probed);
// Every tag of the format and the streams, keys in lower case.
QMap<QString, QString> tagsOf(const QJsonObject &probed);
// The audio decoded by ffmpeg as interleaved signed 32-bit samples.
QByteArray decode32(const QString &path, const QString &scratch);
// The attached picture's bytes, as stored; empty when there is none.
QByteArray coverOf(const QString &path, const QString &scratch);
