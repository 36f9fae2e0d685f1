#include "platform/mp3enc/encodejob.h"

#include "platform/mp3enc/mp3enc.h"
#include "platform/mp3enc/wavinput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <lame/lame.h>
#include <unistd.h>
#include <vector>

namespace mp3enc {

namespace {

QString quoted(const QString &path) { return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"'); }
QString sysError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// The bit rate exists at this rate, and its frames are large enough for the
// LAME info frame (LAME leaves the frame out otherwise: 56 kbit/s stereo at
// 44.1 kHz would lose its exact length).
bool fits(int rate, int kbps, int channels)
{
    const bool isMpeg1 = rate >= 32000;
    const int frameBytes = (isMpeg1 ? 144000 : 72000) * kbps / rate;
    const int sideInfo = 4 + (isMpeg1 ? (channels == 2 ? 32 : 17) : (channels == 2 ? 17 : 9));
    const int lameTag = 156;
    if (frameBytes < sideInfo + lameTag)
        return false;
    static const int mpeg1[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int mpeg2[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const int *t = rate >= 32000 ? mpeg1 : mpeg2;
    const int n = 14;
    if (rate < 16000 && kbps > 64)
        return false; // MPEG-2.5 tops out at 64 kbit/s in LAME
    for (int i = 0; i < n; ++i)
        if (t[i] == kbps)
            return true;
    return false;
}

// The bit rate LAME will use: the nearest one of the MPEG tables.
int nearestBitRate(int kbps)
{
    static const int all[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};
    int best = all[0];
    for (int b : all)
        if (std::abs(b - kbps) < std::abs(best - kbps))
            best = b;
    return best;
}

// A file in the output's folder that no one else has: created here, with the
// mode a new file would get (umask applies).
int createTemp(const QString &out, QString *tempPath, int *err)
{
    const QFileInfo info(out);
    const QString dir = info.absolutePath();
    for (int tries = 0; tries < 100; ++tries) {
        const QString name = QStringLiteral("%1/.%2.%3.part")
                                 .arg(dir, info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            *tempPath = name;
            return fd;
        }
        if (errno != EEXIST) {
            *err = errno;
            return -1;
        }
    }
    *err = EEXIST;
    return -1;
}

bool writeAll(int fd, const unsigned char *p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

struct Lame {
    lame_t gf = lame_init();
    ~Lame() { if (gf) lame_close(gf); }
};

} // namespace

int outputRate(int inRate, int kbps, int channels)
{
    static const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    kbps = nearestBitRate(kbps);
    for (int r : rates)
        if (r == inRate && fits(r, kbps, channels))
            return r;
    auto family = [](int r) { return r % 11025 == 0 ? 0 : (r % 12000 == 0 ? 1 : 2); };
    int best = 0;
    auto better = [&](int r) {
        if (!best)
            return true;
        const bool sameR = family(r) == family(inRate), sameB = family(best) == family(inRate);
        if (sameR != sameB)
            return sameR;
        const long dr = std::labs(long(r) - inRate), db = std::labs(long(best) - inRate);
        return dr < db || (dr == db && r > best);
    };
    for (int r : rates)
        if (fits(r, kbps, channels) && better(r))
            best = r;
    return best ? best : 44100;
}

Result encode(const Job &job, const std::atomic<bool> &cancel, const std::function<void(int)> &progress)
{
    Result res;
    auto fail = [&](qint16 code, const QString &text) {
        res.code = code;
        res.error = text;
        return res;
    };
    if (job.startError)
        return fail(job.startError, job.startReason);

    // The input is opened only now, when the job's turn has come.
    WavInput in;
    if (!in.open(job.in)) {
        qint16 code = Mp3Enc::ErrNotWav;
        switch (in.error()) {
        case WavInput::Error::Missing: code = Mp3Enc::ErrInputMissing; break;
        case WavInput::Error::Truncated: code = Mp3Enc::ErrTruncated; break;
        case WavInput::Error::Format: code = Mp3Enc::ErrFormat; break;
        default: break;
        }
        return fail(code, QStringLiteral("Cannot encode %1: %2").arg(quoted(job.in), in.reason()));
    }

    const QFileInfo outInfo(job.out);
    if (outInfo.isDir())
        return fail(Mp3Enc::ErrOutput, QStringLiteral("Cannot write %1: it is a folder").arg(quoted(job.out)));
    if (!QFileInfo(outInfo.absolutePath()).isDir())
        return fail(Mp3Enc::ErrOutput, QStringLiteral("Cannot write %1: the folder does not exist").arg(quoted(job.out)));

    Lame lame;
    if (!lame.gf)
        return fail(Mp3Enc::ErrEncoder, QStringLiteral("Cannot encode %1: the MP3 encoder did not start").arg(quoted(job.in)));
    lame_t gf = lame.gf;
    lame_set_num_channels(gf, in.channels());
    lame_set_in_samplerate(gf, in.sampleRate());
    lame_set_out_samplerate(gf, outputRate(in.sampleRate(), job.kbps, in.channels()));
    lame_set_mode(gf, in.channels() == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, job.kbps);
    lame_set_bWriteVbrTag(gf, 1);           // the LAME info frame: delay, padding, length
    lame_set_write_id3tag_automatic(gf, 0); // so that frame is the first thing in the file
    if (lame_init_params(gf) < 0)
        return fail(Mp3Enc::ErrFormat, QStringLiteral("Cannot encode %1: %2 Hz, %3 channel(s) at %4 kbit/s is not possible")
                                           .arg(quoted(job.in))
                                           .arg(in.sampleRate())
                                           .arg(in.channels())
                                           .arg(job.kbps));

    QString temp;
    int err = 0;
    const int fd = createTemp(job.out, &temp, &err);
    if (fd < 0)
        return fail(Mp3Enc::ErrOutput, QStringLiteral("Cannot write %1: %2").arg(quoted(job.out), sysError(err)));
    auto failTemp = [&](qint16 code, const QString &text) {
        ::close(fd);
        ::unlink(QFile::encodeName(temp).constData());
        return fail(code, text);
    };
    auto writeFailed = [&]() {
        const int e = errno;
        return failTemp(Mp3Enc::ErrOutput, QStringLiteral("Cannot write %1: %2").arg(quoted(job.out), sysError(e)));
    };

    const int chunk = 8192; // frames per read
    std::vector<float> pcm(size_t(chunk) * size_t(in.channels()));
    std::vector<float> right;
    std::vector<unsigned char> mp3(size_t(1.25 * chunk + 7200));
    const std::int64_t total = in.frames();
    std::int64_t done = 0;
    int lastPercent = -1;
    while (true) {
        if (cancel.load(std::memory_order_relaxed))
            return failTemp(Mp3Enc::ErrCancelled, QStringLiteral("Encoding of %1 was cancelled").arg(quoted(job.in)));
        const std::int64_t got = in.read(pcm.data(), chunk);
        if (got < 0)
            return failTemp(Mp3Enc::ErrInputMissing, QStringLiteral("Cannot encode %1: %2").arg(quoted(job.in), in.reason()));
        if (got == 0)
            break;
        int n;
        if (in.channels() == 2)
            n = lame_encode_buffer_interleaved_ieee_float(gf, pcm.data(), int(got), mp3.data(), int(mp3.size()));
        else
            n = lame_encode_buffer_ieee_float(gf, pcm.data(), pcm.data(), int(got), mp3.data(), int(mp3.size()));
        if (n < 0)
            return failTemp(Mp3Enc::ErrEncoder, QStringLiteral("Cannot encode %1: MP3 encoder error %2").arg(quoted(job.in)).arg(n));
        if (n > 0 && !writeAll(fd, mp3.data(), size_t(n)))
            return writeFailed();
        done += got;
        const int percent = total > 0 ? int(std::min<std::int64_t>(99, done * 100 / total)) : 0;
        if (percent != lastPercent) {
            lastPercent = percent;
            progress(percent);
        }
    }
    if (total > 0 && done < total)
        return failTemp(Mp3Enc::ErrTruncated, QStringLiteral("Cannot encode %1: the file is cut short (%2 of %3 frames)")
                                                  .arg(quoted(job.in))
                                                  .arg(done)
                                                  .arg(total));
    const int n = lame_encode_flush(gf, mp3.data(), int(mp3.size()));
    if (n < 0)
        return failTemp(Mp3Enc::ErrEncoder, QStringLiteral("Cannot encode %1: MP3 encoder error %2").arg(quoted(job.in)).arg(n));
    if (n > 0 && !writeAll(fd, mp3.data(), size_t(n)))
        return writeFailed();

    // The info frame, now complete, over the placeholder LAME put first.
    unsigned char tag[2880];
    const size_t tagLen = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tagLen > 0 && tagLen <= sizeof tag && ::pwrite(fd, tag, tagLen, 0) != ssize_t(tagLen))
        return writeFailed();
    if (::fsync(fd) != 0)
        return writeFailed();
    if (::close(fd) != 0) {
        const int e = errno;
        ::unlink(QFile::encodeName(temp).constData());
        return fail(Mp3Enc::ErrOutput, QStringLiteral("Cannot write %1: %2").arg(quoted(job.out), sysError(e)));
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(job.out).constData()) != 0) {
        const int e = errno;
        ::unlink(QFile::encodeName(temp).constData());
        return fail(Mp3Enc::ErrOutput, QStringLiteral("Cannot write %1: %2").arg(quoted(job.out), sysError(e)));
    }
    return res;
}

Worker::Worker(Done done, Progress progress)
    : done_(std::move(done)), progress_(std::move(progress)), thread_([this] { run(); })
{
}

Worker::~Worker()
{
    {
        std::lock_guard<std::mutex> lock(m_);
        stop_ = true;
        jobs_.clear();
    }
    cv_.notify_all();
    thread_.join();
}

void Worker::push(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_);
        jobs_.push_back(std::move(job));
    }
    cv_.notify_one();
}

void Worker::run()
{
    while (true) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_);
            cv_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
            if (stop_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        const Result r = encode(job, stop_, [&](int p) { progress_(job, p); });
        if (stop_)
            return;
        done_(job, r);
    }
}

} // namespace mp3enc
