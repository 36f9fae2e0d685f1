#include "base/wavheader.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>

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
