#include "testwav.h"

#include <QtEndian>

QByteArray le16(quint16 value)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(value, b.data());
    return b;
}

QByteArray le32(quint32 value)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(value, b.data());
    return b;
}

QByteArray riffChunk(const char *id, const QByteArray &body, bool pad)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (pad && (body.size() & 1))
        c.append('\0');
    return c;
}

QByteArray fmtBody(quint16 formatTag, quint16 channels, quint32 rate, quint16 bits)
{
    const auto align = quint16(channels * bits / 8);
    return le16(formatTag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}

QByteArray riffWave(const QByteArray &chunks) { return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks; }

QByteArray canonicalWav(int channels, int rate, int bits, const QByteArray &audio, std::optional<quint32> claimedSize)
{
    const quint32 size = claimedSize.value_or(quint32(audio.size()));
    return "RIFF" + le32(size + 36) + "WAVE" + riffChunk("fmt ", fmtBody(1, quint16(channels), quint32(rate), quint16(bits)))
           + "data" + le32(size) + audio;
}

QByteArray rampClip(int rate, int frames)
{
    QByteArray audio;
    audio.reserve(qsizetype(frames) * 4);
    for (qint32 i = 0; i < frames; ++i)
        audio.append(le32(quint32(i)));
    return canonicalWav(1, rate, 32, audio);
}
