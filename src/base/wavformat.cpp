#include "base/wavformat.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

int bytesPerSample(SampleFormat f)
{
    switch (f) {
    case SampleFormat::U8: return 1;
    case SampleFormat::S16: return 2;
    case SampleFormat::S24: return 3;
    case SampleFormat::S32: return 4;
    case SampleFormat::F32: return 4;
    case SampleFormat::F64: return 8;
    case SampleFormat::Invalid: break;
    }
    return 0;
}

SampleFormat sampleFormatFor(quint16 formatTag, quint16 bits)
{
    if (formatTag == kWavFormatPcm) {
        switch (bits) {
        case 8: return SampleFormat::U8;
        case 16: return SampleFormat::S16;
        case 24: return SampleFormat::S24;
        case 32: return SampleFormat::S32;
        default: break;
        }
    } else if (formatTag == kWavFormatFloat) {
        if (bits == 32)
            return SampleFormat::F32;
        if (bits == 64)
            return SampleFormat::F64;
    }
    return SampleFormat::Invalid;
}

namespace {

WavInfo fail(WavInfo info, const QString &why)
{
    info.ok = false;
    info.error = why;
    return info;
}

bool readExact(QIODevice &dev, qint64 pos, char *buf, qint64 n)
{
    return dev.seek(pos) && dev.read(buf, n) == n;
}

// The tail of the KSDATAFORMAT_SUBTYPE_* GUIDs; the first two bytes are the tag.
const unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

} // namespace

WavInfo readWavInfo(QIODevice &dev)
{
    WavInfo info;
    if (!dev.isOpen() || !dev.isReadable())
        return fail(info, QStringLiteral("the file cannot be read"));
    if (dev.isSequential())
        return fail(info, QStringLiteral("the device is not seekable"));
    info.fileSize = dev.size();
    const qint64 size = info.fileSize;

    char head[12];
    if (size < 12 || !readExact(dev, 0, head, 12))
        return fail(info, QStringLiteral("the file is too short to be a WAV file"));
    if (std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return fail(info, QStringLiteral("not a RIFF WAVE file"));

    bool haveFmt = false, haveData = false;
    qint64 fmtPos = -1, fmtSize = 0, dataHeadPos = -1;
    QByteArray fmt;
    qint64 pos = 12;
    while (pos + 8 <= size && !(haveFmt && haveData)) {
        char ch[8];
        if (!readExact(dev, pos, ch, 8))
            break;
        const quint32 csize = qFromLittleEndian<quint32>(ch + 4);
        const qint64 body = pos + 8;
        if (std::memcmp(ch, "fmt ", 4) == 0 && !haveFmt) {
            const qint64 n = std::min<qint64>(csize, std::min<qint64>(size - body, 1024));
            fmt.resize(int(std::max<qint64>(n, 0)));
            if (n > 0 && !readExact(dev, body, fmt.data(), n))
                break;
            haveFmt = true;
            fmtPos = pos;
            fmtSize = csize;
        } else if (std::memcmp(ch, "data", 4) == 0 && !haveData) {
            haveData = true;
            dataHeadPos = pos;
            info.dataOffset = body;
            info.dataSize = std::clamp<qint64>(qint64(csize), 0, size - body);
            info.cutShort = qint64(csize) > size - body;
            if (qint64(csize) >= size - body)
                break; // the data runs to the end of the file (or beyond): nothing follows
        }
        pos = body + qint64(csize) + (csize & 1);
    }

    if (!haveFmt)
        return fail(info, QStringLiteral("no format chunk"));
    if (fmt.size() < 16)
        return fail(info, QStringLiteral("the format chunk is too short"));
    const char *f = fmt.constData();
    quint16 tag = qFromLittleEndian<quint16>(f + 0);
    info.channels = qFromLittleEndian<quint16>(f + 2);
    info.sampleRate = qFromLittleEndian<quint32>(f + 4);
    info.blockAlign = qFromLittleEndian<quint16>(f + 12);
    quint16 bits = qFromLittleEndian<quint16>(f + 14);
    info.validBits = bits;
    if (tag == kWavFormatExtensible) {
        if (fmt.size() < 40)
            return fail(info, QStringLiteral("the extensible format chunk is too short"));
        const quint16 valid = qFromLittleEndian<quint16>(f + 18);
        if (std::memcmp(f + 26, kGuidTail, 14) != 0)
            return fail(info, QStringLiteral("unsupported extensible sub-format"));
        tag = qFromLittleEndian<quint16>(f + 24);
        if (valid)
            info.validBits = valid;
    }
    info.formatTag = tag;
    if (tag != kWavFormatPcm && tag != kWavFormatFloat)
        return fail(info, QStringLiteral("unsupported format tag %1 (only PCM and float)").arg(tag));
    if (info.channels == 0)
        return fail(info, QStringLiteral("no channels"));
    if (info.sampleRate == 0)
        return fail(info, QStringLiteral("sample rate 0"));
    // The container size comes from the block align; bits such as 12 or 20
    // live in a wider container.
    if (info.blockAlign == 0 || info.blockAlign % info.channels != 0)
        return fail(info, QStringLiteral("bad block align %1").arg(info.blockAlign));
    const int container = info.blockAlign / info.channels;
    if (bits == 0 || bits > container * 8)
        return fail(info, QStringLiteral("bad bits per sample %1").arg(bits));
    // No layout has samples wider than 8 bytes; checked before the bits are
    // counted in 16 bits, where 8194 bytes would wrap round to 16 bits.
    if (container > 8)
        return fail(info, QStringLiteral("unsupported sample size %1 bytes").arg(container));
    info.bitsPerSample = quint16(container * 8);
    if (info.validBits > info.bitsPerSample)
        info.validBits = info.bitsPerSample;
    if (sampleFormatFor(tag, info.bitsPerSample) == SampleFormat::Invalid)
        return fail(info, QStringLiteral("unsupported sample size %1 bits").arg(info.bitsPerSample));
    if (!haveData)
        return fail(info, QStringLiteral("no data chunk"));

    info.canonical = fmtPos == 12 && fmtSize == 16 && dataHeadPos == 36 &&
                     qFromLittleEndian<quint16>(f + 0) == tag;
    info.ok = true;
    return info;
}

WavInfo readWavInfo(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        WavInfo info;
        info.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return info;
    }
    return readWavInfo(file);
}

QByteArray readWavData(QIODevice &dev, const WavInfo &info, qint64 from, qint64 maxBytes)
{
    if (!info.ok || from < 0 || from >= info.dataSize)
        return {};
    qint64 n = info.dataSize - from;
    if (maxBytes >= 0)
        n = std::min(n, maxBytes);
    n = std::min<qint64>(n, 0x7FFFFFF0LL);
    if (!dev.seek(info.dataOffset + from))
        return {};
    QByteArray out;
    out.resize(qsizetype(n));
    const qint64 got = dev.read(out.data(), n);
    if (got <= 0)
        return {};
    out.resize(qsizetype(got));
    return out;
}

Result<QByteArray> readWavData(const QString &path, WavInfo *infoOut)
{
    QFile file(path);
    WavInfo info;
    if (!file.open(QIODevice::ReadOnly))
        info.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
    else
        info = readWavInfo(file);
    QByteArray data;
    if (info.ok) {
        data = readWavData(file, info, 0, info.frames() * info.blockAlign);
        if (data.size() != info.frames() * info.blockAlign) {
            info.ok = false;
            info.error = QStringLiteral("cannot read the samples of %1").arg(path);
            data.clear();
        }
    }
    if (infoOut)
        *infoOut = info;
    if (!info.ok)
        return Result<QByteArray>::failure(info.error);
    return data;
}

namespace {

inline qint32 s24(const unsigned char *p)
{
    qint32 v = qint32(p[0]) | (qint32(p[1]) << 8) | (qint32(p[2]) << 16);
    return (v ^ 0x800000) - 0x800000; // sign-extend
}

template <typename T>
inline T clampRound(double v, double lo, double hi)
{
    if (!(v == v)) // NaN
        return T(0);
    return T(std::lrint(std::clamp(v, lo, hi)));
}

} // namespace

void samplesToFloat(const char *src, SampleFormat fmt, qint64 n, float *dst)
{
    const auto *p = reinterpret_cast<const unsigned char *>(src);
    switch (fmt) {
    case SampleFormat::U8:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = (float(p[i]) - 128.0f) / 128.0f;
        break;
    case SampleFormat::S16:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = float(qFromLittleEndian<qint16>(p + 2 * i)) / 32768.0f;
        break;
    case SampleFormat::S24:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = float(s24(p + 3 * i)) / 8388608.0f;
        break;
    case SampleFormat::S32:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = float(double(qFromLittleEndian<qint32>(p + 4 * i)) / 2147483648.0);
        break;
    case SampleFormat::F32:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = qFromLittleEndian<float>(p + 4 * i);
        break;
    case SampleFormat::F64:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = float(qFromLittleEndian<double>(p + 8 * i));
        break;
    case SampleFormat::Invalid:
        std::fill(dst, dst + n, 0.0f);
        break;
    }
}

void samplesToInt16(const char *src, SampleFormat fmt, qint64 n, qint16 *dst)
{
    const auto *p = reinterpret_cast<const unsigned char *>(src);
    switch (fmt) {
    case SampleFormat::U8:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = qint16((int(p[i]) - 128) * 256);
        break;
    case SampleFormat::S16:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = qFromLittleEndian<qint16>(p + 2 * i);
        break;
    case SampleFormat::S24:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = qint16(s24(p + 3 * i) >> 8);
        break;
    case SampleFormat::S32:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = qint16(qFromLittleEndian<qint32>(p + 4 * i) >> 16);
        break;
    case SampleFormat::F32:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = clampRound<qint16>(double(qFromLittleEndian<float>(p + 4 * i)) * 32768.0, -32768.0, 32767.0);
        break;
    case SampleFormat::F64:
        for (qint64 i = 0; i < n; ++i)
            dst[i] = clampRound<qint16>(qFromLittleEndian<double>(p + 8 * i) * 32768.0, -32768.0, 32767.0);
        break;
    case SampleFormat::Invalid:
        std::fill(dst, dst + n, qint16(0));
        break;
    }
}

void samplesFromFloat(const float *src, qint64 n, SampleFormat fmt, char *dst)
{
    auto *p = reinterpret_cast<unsigned char *>(dst);
    switch (fmt) {
    case SampleFormat::U8:
        for (qint64 i = 0; i < n; ++i)
            p[i] = quint8(clampRound<int>(double(src[i]) * 128.0, -128.0, 127.0) + 128);
        break;
    case SampleFormat::S16:
        for (qint64 i = 0; i < n; ++i)
            qToLittleEndian<qint16>(clampRound<qint16>(double(src[i]) * 32768.0, -32768.0, 32767.0), p + 2 * i);
        break;
    case SampleFormat::S24:
        for (qint64 i = 0; i < n; ++i) {
            const qint32 v = clampRound<qint32>(double(src[i]) * 8388608.0, -8388608.0, 8388607.0);
            p[3 * i] = quint8(v);
            p[3 * i + 1] = quint8(v >> 8);
            p[3 * i + 2] = quint8(v >> 16);
        }
        break;
    case SampleFormat::S32:
        for (qint64 i = 0; i < n; ++i)
            qToLittleEndian<qint32>(clampRound<qint32>(double(src[i]) * 2147483648.0, -2147483648.0, 2147483647.0), p + 4 * i);
        break;
    case SampleFormat::F32:
        for (qint64 i = 0; i < n; ++i)
            qToLittleEndian<float>(src[i], p + 4 * i);
        break;
    case SampleFormat::F64:
        for (qint64 i = 0; i < n; ++i)
            qToLittleEndian<double>(double(src[i]), p + 8 * i);
        break;
    case SampleFormat::Invalid:
        break;
    }
}

QByteArray convertSamples(const QByteArray &src, SampleFormat from, SampleFormat to)
{
    const int inB = bytesPerSample(from), outB = bytesPerSample(to);
    if (!inB || !outB)
        return {};
    const qint64 n = src.size() / inB;
    if (from == to)
        return src.left(qsizetype(n * inB));
    QByteArray out;
    out.resize(qsizetype(n * outB));
    constexpr qint64 kBlock = 16384;
    if (to == SampleFormat::S16) {
        std::vector<qint16> tmp(kBlock);
        for (qint64 i = 0; i < n; i += kBlock) {
            const qint64 m = std::min(kBlock, n - i);
            samplesToInt16(src.constData() + i * inB, from, m, tmp.data());
            for (qint64 k = 0; k < m; ++k)
                qToLittleEndian<qint16>(tmp[size_t(k)], out.data() + (i + k) * 2);
        }
        return out;
    }
    std::vector<float> tmp(kBlock);
    for (qint64 i = 0; i < n; i += kBlock) {
        const qint64 m = std::min(kBlock, n - i);
        samplesToFloat(src.constData() + i * inB, from, m, tmp.data());
        samplesFromFloat(tmp.data(), m, to, out.data() + i * outB);
    }
    return out;
}
