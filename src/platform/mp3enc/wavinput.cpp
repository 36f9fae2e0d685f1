#include "platform/mp3enc/wavinput.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sndfile.h>

namespace mp3enc {

namespace {
std::uint32_t le32(const unsigned char *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
} // namespace

RiffCheck checkRiff(const QString &path, QString *why)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *why = f.errorString();
        return RiffCheck::NotWav;
    }
    const qint64 size = f.size();
    unsigned char head[12];
    if (f.read(reinterpret_cast<char *>(head), 12) != 12 || std::memcmp(head + 8, "WAVE", 4) != 0
        || (std::memcmp(head, "RIFF", 4) != 0 && std::memcmp(head, "RF64", 4) != 0)) {
        *why = QStringLiteral("not a RIFF WAVE file");
        return RiffCheck::NotWav;
    }
    if (std::memcmp(head, "RF64", 4) == 0)
        return RiffCheck::Ok; // 64-bit sizes live in ds64; libsndfile checks those
    qint64 pos = 12;
    while (true) {
        unsigned char ch[8];
        if (!f.seek(pos) || f.read(reinterpret_cast<char *>(ch), 8) != 8) {
            *why = QStringLiteral("the file is cut short (no data chunk)");
            return RiffCheck::Truncated;
        }
        const std::uint32_t len = le32(ch + 4);
        const qint64 body = pos + 8;
        if (std::memcmp(ch, "data", 4) == 0) {
            // 0 and 0xFFFFFFFF are the sizes of writers that never patched
            // their header: take what is there.
            if (len != 0 && len != 0xFFFFFFFFu && body + qint64(len) > size) {
                *why = QStringLiteral("the file is cut short (%1 of %2 data bytes)")
                           .arg(size - body)
                           .arg(len);
                return RiffCheck::Truncated;
            }
            return RiffCheck::Ok;
        }
        pos = body + qint64(len) + (len & 1);
        if (pos > size) {
            *why = QStringLiteral("the file is cut short (in a \"%1\" chunk)")
                       .arg(QString::fromLatin1(reinterpret_cast<const char *>(ch), 4));
            return RiffCheck::Truncated;
        }
    }
}

WavInput::~WavInput()
{
    if (sf_)
        sf_close(sf_);
}

bool WavInput::fail(Error e, const QString &why)
{
    error_ = e;
    reason_ = why;
    if (sf_) {
        sf_close(sf_);
        sf_ = nullptr;
    }
    return false;
}

bool WavInput::open(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return fail(Error::Missing, QStringLiteral("file not found"));
    if (info.isDir())
        return fail(Error::Missing, QStringLiteral("is a folder"));
    if (!info.isReadable())
        return fail(Error::Missing, QStringLiteral("permission denied"));

    QString why;
    switch (checkRiff(path, &why)) {
    case RiffCheck::Ok: break;
    case RiffCheck::NotWav: return fail(Error::NotWav, why);
    case RiffCheck::Truncated: return fail(Error::Truncated, why);
    }

    SF_INFO si{};
    sf_ = sf_open(QFile::encodeName(path).constData(), SFM_READ, &si);
    if (!sf_)
        return fail(Error::NotWav, QStringLiteral("not a readable WAV file (%1)")
                                       .arg(QString::fromLocal8Bit(sf_strerror(nullptr))));
    const int major = si.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_RF64)
        return fail(Error::NotWav, QStringLiteral("not a RIFF WAVE file"));
    if (si.channels != 1 && si.channels != 2)
        return fail(Error::Format, QStringLiteral("%1 channels (only mono or stereo can be encoded)").arg(si.channels));
    if (si.samplerate < 8000 || si.samplerate > 192000)
        return fail(Error::Format, QStringLiteral("sample rate %1 Hz cannot be encoded").arg(si.samplerate));
    // Float files are read as they are; integer ones scale to -1..1.
    sf_command(sf_, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    channels_ = si.channels;
    rate_ = si.samplerate;
    frames_ = si.frames;
    return true;
}

std::int64_t WavInput::read(float *buf, std::int64_t n)
{
    const sf_count_t got = sf_readf_float(sf_, buf, n);
    if (got < n && sf_error(sf_) != SF_ERR_NO_ERROR) {
        reason_ = QStringLiteral("read error (%1)").arg(QString::fromLocal8Bit(sf_strerror(sf_)));
        return -1;
    }
    return got;
}

} // namespace mp3enc
