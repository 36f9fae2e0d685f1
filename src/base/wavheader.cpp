#include "base/wavheader.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {

void put16(QByteArray &b, quint16 v)
{
    char c[2];
    qToLittleEndian<quint16>(v, c);
    b.append(c, 2);
}

void put32(QByteArray &b, quint32 v)
{
    char c[4];
    qToLittleEndian<quint32>(v, c);
    b.append(c, 4);
}

quint16 get16(const char *p) { return qFromLittleEndian<quint16>(p); }
quint32 get32(const char *p) { return qFromLittleEndian<quint32>(p); }

qint32 clampSize(qint64 v) { return qint32(std::clamp<qint64>(v, 0, 0x7FFFFFFFLL)); }

} // namespace

WavHeader WavHeader::make(quint16 channels, quint32 sampleRate, quint16 bitsPerSample,
                          qint64 dataSize, quint16 formatTag)
{
    WavHeader h;
    h.formatTag = formatTag;
    h.channels = channels;
    h.sampleRate = sampleRate;
    h.bitsPerSample = bitsPerSample;
    h.blockAlign = quint16(channels * ((bitsPerSample + 7) / 8));
    h.bytesPerSecond = quint32(h.blockAlign) * sampleRate;
    h.setDataSize(dataSize);
    return h;
}

void WavHeader::setDataSize(qint64 bytes)
{
    bytes = std::clamp<qint64>(bytes, 0, kWavMaxDataSize);
    dataSize = clampSize(bytes);
    riffSize = clampSize(bytes + 36);
}

QByteArray wavRiffPart(const WavHeader &h)
{
    QByteArray b;
    b.reserve(kWavRiffPartSize);
    b.append(h.riffTag, 4);
    put32(b, quint32(h.riffSize));
    b.append(h.waveTag, 4);
    return b;
}

QByteArray wavFormatPart(const WavHeader &h)
{
    QByteArray b;
    b.reserve(kWavFormatPartSize);
    b.append(h.fmtTag, 4);
    put32(b, quint32(h.fmtSize));
    put16(b, h.formatTag);
    put16(b, h.channels);
    put32(b, h.sampleRate);
    put32(b, h.bytesPerSecond);
    put16(b, h.blockAlign);
    put16(b, h.bitsPerSample);
    return b;
}

QByteArray wavDataPart(const WavHeader &h)
{
    QByteArray b;
    b.reserve(kWavDataPartSize);
    b.append(h.dataTag, 4);
    put32(b, quint32(h.dataSize));
    return b;
}

QByteArray wavHeaderBytes(const WavHeader &h)
{
    return wavRiffPart(h) + wavFormatPart(h) + wavDataPart(h);
}

bool wavHeaderFromBytes(const QByteArray &bytes, WavHeader *out)
{
    if (!out || bytes.size() < kWavHeaderSize)
        return false;
    const char *p = bytes.constData();
    WavHeader h;
    std::memcpy(h.riffTag, p + 0, 4);
    h.riffSize = qint32(get32(p + 4));
    std::memcpy(h.waveTag, p + 8, 4);
    std::memcpy(h.fmtTag, p + 12, 4);
    h.fmtSize = qint32(get32(p + 16));
    h.formatTag = get16(p + 20);
    h.channels = get16(p + 22);
    h.sampleRate = get32(p + 24);
    h.bytesPerSecond = get32(p + 28);
    h.blockAlign = get16(p + 32);
    h.bitsPerSample = get16(p + 34);
    std::memcpy(h.dataTag, p + 36, 4);
    h.dataSize = qint32(get32(p + 40));
    *out = h;
    return true;
}

bool writeWavHeader(QIODevice &dev, const WavHeader &h)
{
    const QByteArray pieces[3] = {wavRiffPart(h), wavFormatPart(h), wavDataPart(h)};
    for (const QByteArray &piece : pieces)
        if (dev.write(piece) != piece.size())
            return false;
    return true;
}

bool patchWavSizes(QIODevice &dev, qint64 dataSize)
{
    if (dev.isSequential())
        return false;
    const qint64 back = dev.pos();
    WavHeader h;
    h.setDataSize(dataSize);
    char c[4];
    bool ok = dev.seek(kWavRiffSizeOffset);
    qToLittleEndian<quint32>(quint32(h.riffSize), c);
    ok = ok && dev.write(c, 4) == 4;
    ok = ok && dev.seek(kWavDataSizeOffset);
    qToLittleEndian<quint32>(quint32(h.dataSize), c);
    ok = ok && dev.write(c, 4) == 4;
    return dev.seek(back) && ok;
}

bool patchWavSizes(QByteArray &buffer, qint64 dataSize)
{
    if (buffer.size() < kWavHeaderSize)
        return false;
    WavHeader h;
    h.setDataSize(dataSize);
    qToLittleEndian<quint32>(quint32(h.riffSize), buffer.data() + kWavRiffSizeOffset);
    qToLittleEndian<quint32>(quint32(h.dataSize), buffer.data() + kWavDataSizeOffset);
    return true;
}
