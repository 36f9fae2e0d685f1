#include "core/listjoin.h"

#include "base/atomicsave.h"
#include "base/wavheader.h"
#include "core/clipaudio.h"
#include "base/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kMaxRateFactor = 256;

struct Clip {
    QString name;
    QString path;
    WavInfo info;
};

Result<qint64> failure(const QString &why) { return Result<qint64>::failure(why); }

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The clip's file and its layout, or what is wrong with it. `written` is the
// file the join writes from the start: a clip that is that file would be
// read back half-written.
Result<Clip> inspectClip(const QString &file, const QString &written)
{
    Clip clip;
    clip.path = file;
    clip.name = QFileInfo(file).fileName();
    if (clip.name.endsWith(QLatin1String(".wav")))
        clip.name.chop(4);
    const QString &name = clip.name;
    if (!QFileInfo(clip.path).isFile())
        return Result<Clip>::failure(QStringLiteral("The clip \"%1\" cannot be joined: its file %2 is missing.").arg(name, clip.path));
    if (sameFile(clip.path, written))
        return Result<Clip>::failure(QStringLiteral("The clip \"%1\" cannot be joined: its file %2 is the joined list's own file.")
                                         .arg(name, clip.path));
    clip.info = readWavInfo(clip.path);
    if (!clip.info.ok)
        return Result<Clip>::failure(QStringLiteral("The clip \"%1\" cannot be joined: %2 is not WAV audio (%3).")
                                         .arg(name, clip.path, clip.info.error));
    return clip;
}

// Whether the clip's rate can become `rate`: more than a factor of
// kMaxRateFactor apart, the conversion would make absurd amounts of audio
// from a few frames (or almost none from many).
Outcome rateConverts(const Clip &clip, quint32 rate)
{
    const double factor = double(clip.info.sampleRate) / double(rate);
    if (factor <= kMaxRateFactor && factor >= 1.0 / kMaxRateFactor)
        return Outcome::success();
    return Outcome::failure(QStringLiteral("The clip \"%1\" cannot be joined: its sample rate of %2 Hz cannot be converted to the %3 Hz "
                          "of the first clip.")
        .arg(clip.name)
        .arg(clip.info.sampleRate)
        .arg(rate));
}

// Integer PCM keeps its layout; anything else becomes 16-bit PCM.
PcmFormat resultFormat(const WavInfo &first)
{
    PcmFormat f = pcmFormatOf(first);
    if (first.formatTag != kWavFormatPcm)
        f.sample = SampleFormat::S16;
    return f;
}

// The first clip's own 44 header bytes when it has that layout and keeps
// its format; a new header otherwise. Empty when the clip cannot be read.
QByteArray resultHeader(const Clip &first, const PcmFormat &format)
{
    if (first.info.canonical && pcmFormatOf(first.info) == format) {
        QFile f(first.path);
        return f.open(QIODevice::ReadOnly) ? f.read(kWavHeaderSize) : QByteArray();
    }
    return wavHeaderBytes(WavHeader::make(format.channels, format.rate, quint16(bytesPerSample(format.sample) * 8)));
}

bool writeSizesAt(int fd, qint64 dataSize)
{
    char riff[4], data[4];
    qToLittleEndian<qint32>(qint32(dataSize + 36), riff);
    qToLittleEndian<qint32>(qint32(dataSize), data);
    return ::pwrite(fd, riff, 4, kWavRiffSizeOffset) == 4 && ::pwrite(fd, data, 4, kWavDataSizeOffset) == 4;
}

// Writes the whole result into the open, empty file `out` (at `target`); the
// audio bytes written, or what failed.
Result<qint64> writeJoin(int out, const QString &target, const std::vector<Clip> &clips, const PcmFormat &format,
                         const std::function<bool(int)> &clipJoined)
{
    const QByteArray header = resultHeader(clips.front(), format);
    if (header.size() != kWavHeaderSize)
        return failure(QStringLiteral("Cannot read the header of %1.").arg(clips.front().path));
    if (const Outcome written = writeAll(out, header.constData(), header.size()); !written)
        return failure(QStringLiteral("Cannot write %1: %2").arg(target, written.error()));
    qint64 total = 0;
    for (const Clip &clip : clips) {
        const int in = ::open(QFile::encodeName(clip.path).constData(), O_RDONLY | O_CLOEXEC);
        const Result<qint64> n = in < 0 ? Result<qint64>::failure(lastSystemError())
                                        : appendClipAudio(in, clip.info, format, out);
        if (in >= 0)
            ::close(in);
        if (!n)
            return failure(QStringLiteral("The clip \"%1\" could not be joined into %2 (%3).").arg(clip.name, target, n.error()));
        total += n.value();
        if (clipJoined && !clipJoined(int(&clip - clips.data()) + 1))
            return failure(QStringLiteral("The join into %1 was stopped.").arg(target));
    }
    if (total > kWavMaxDataSize)
        return failure(QStringLiteral("The joined list grew past the 2 GiB a WAV file can hold."));
    if (!writeSizesAt(out, total))
        return failure(QStringLiteral("Cannot write %1: %2").arg(target, lastSystemError()));
    return total;
}

} // namespace

namespace {

struct JoinPlan {
    std::vector<Clip> clips;
    PcmFormat format;
};

// Every clip checked and the result's format worked out, before anything is
// written; or what is wrong.
Result<JoinPlan> planJoin(const QStringList &clipFiles, const QString &written)
{
    if (clipFiles.isEmpty())
        return Result<JoinPlan>::failure(QStringLiteral("The clip list is empty: there is nothing to save."));
    JoinPlan plan;
    for (const QString &file : clipFiles) {
        Result<Clip> clip = inspectClip(file, written);
        if (!clip)
            return clip.failure();
        plan.clips.push_back(clip.take());
    }
    plan.format = resultFormat(plan.clips.front().info);
    for (const Clip &clip : plan.clips)
        if (Outcome converts = rateConverts(clip, plan.format.rate); !converts)
            return converts.failure();
    qint64 expected = 0;
    for (const Clip &clip : plan.clips)
        if ((expected += clipAudioBytes(clip.info, plan.format)) > kWavMaxDataSize)
            break;
    if (expected > kWavMaxDataSize)
        return Result<JoinPlan>::failure(QStringLiteral("The joined list would hold %1 MiB of audio, more than the 2 GiB a WAV file "
                                                        "can hold. Remove or shorten some clips.")
                                             .arg(expected >> 20));
    return plan;
}

QStringList clipFilesOf(const QStringList &clipNames, const AppPaths &paths)
{
    QStringList files;
    for (const QString &name : clipNames)
        files << paths.clipFile(name);
    return files;
}

} // namespace

Result<qint64> joinWavFiles(const QStringList &clipFiles, const QString &target,
                            const std::function<bool(int joined)> &clipJoined)
{
    const Result<JoinPlan> plan = planJoin(clipFiles, target);
    if (!plan)
        return plan.failure();

    // A new file, never the old one's bytes rewritten: the old file (such
    // as concat.wav) may be a second name of a list the user saved.
    ::unlink(QFile::encodeName(target).constData());
    const int out = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out < 0)
        return failure(QStringLiteral("Cannot write %1: %2").arg(target, lastSystemError()));
    Result<qint64> written = writeJoin(out, target, plan.value().clips, plan.value().format, clipJoined);
    if (::close(out) != 0 && written)
        written = failure(QStringLiteral("Cannot write %1: %2").arg(target, lastSystemError()));
    if (!written)
        ::unlink(QFile::encodeName(target).constData());
    return written;
}

Result<qint64> joinClipList(const QStringList &clipNames, const AppPaths &paths)
{
    return joinWavFiles(clipFilesOf(clipNames, paths), paths.concatFile());
}

Result<qint64> saveJoinedClipList(const QStringList &clipNames, const AppPaths &paths, const QString &target)
{
    const Result<JoinPlan> plan = planJoin(clipFilesOf(clipNames, paths), paths.concatFile());
    if (!plan)
        return plan.failure();
    Result<AtomicOutput> opened = AtomicOutput::open(target);
    if (!opened)
        return failure(QStringLiteral("Cannot write %1: %2").arg(target, opened.error()));
    AtomicOutput &out = opened.value();
    const Result<qint64> written = writeJoin(out.fd(), target, plan.value().clips, plan.value().format, {});
    if (!written)
        return written;
    if (const Outcome committed = out.commit(); !committed)
        return failure(QStringLiteral("Cannot write %1: %2").arg(target, committed.error()));
    // The joined list stays in the working folder as concat.wav too, for what
    // reads it there. It is a convenience: the save the user asked for has
    // succeeded whether or not the second name could be made.
    (void)addSecondName(target, paths.concatFile());
    return written;
}
