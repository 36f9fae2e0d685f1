#include "platform/mci/waveaudio.h"

#include "base/wavformat.h"
#include "base/wavheader.h"
#include "base/atomicsave.h"
#include "base/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <mutex>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

namespace {

// A stretch of the opened file's frames that the device still holds.
struct Piece {
    qint64 first = 0;
    qint64 count = 0;
};

// The opened file, kept open so that a save reads the samples as they were
// at the open even when the file has been replaced since.
struct OpenFile {
    int fd = -1;
    explicit OpenFile(int descriptor) : fd(descriptor) {}
    ~OpenFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
};

struct WaveDevice {
    QString path;     // the file that was opened
    WavInfo info;     // its format
    std::shared_ptr<OpenFile> file;
    // The frames the device holds, as stretches of the file in order: the
    // samples stay in the file, so a device costs no memory for them.
    std::vector<Piece> pieces;
    // What deletes at the head have taken away: the device's time 0 lies at
    // headMs of the file as opened, its frame 0 at headFrames.  Later times
    // are mapped through the file's own timeline, so that a cut made as two
    // deletes keeps exactly the frames [round(in), round(out)) of the file
    // instead of rounding twice.
    qint64 headMs = 0;
    qint64 headFrames = 0;
    qint64 frames() const
    {
        qint64 n = 0;
        for (const Piece &p : pieces)
            n += p.count;
        return n;
    }
    qint64 lengthMs() const { return info.sampleRate ? frames() * 1000 / info.sampleRate : 0; }
    // The file's length in whole ms, as the player reports it.
    qint64 fileLengthMs() const { return info.sampleRate ? (headFrames + frames()) * 1000 / info.sampleRate : 0; }
    // The device frame of a device time.  A time at or past the file's
    // length in whole ms means the end, to the last frame, since lengths and
    // marks in ms round down what is rarely a whole number of ms.
    qint64 frameAt(qint64 ms) const
    {
        const qint64 fileMs = std::min(ms, lengthMs() + 1000) + headMs; // capped: ms * rate stays in 64 bits
        if (fileMs >= fileLengthMs())
            return frames();
        const qint64 fileFrame = (fileMs * qint64(info.sampleRate) + 500) / 1000;
        return std::clamp<qint64>(fileFrame - headFrames, 0, frames());
    }
    // Takes the device frames [from, to) out of the pieces.
    void remove(qint64 from, qint64 to)
    {
        std::vector<Piece> kept;
        qint64 at = 0; // device frame of the piece's start
        for (const Piece &p : pieces) {
            const qint64 end = at + p.count;
            if (end <= from || at >= to) {
                kept.push_back(p);
            } else {
                if (at < from)
                    kept.push_back({p.first, from - at});
                if (end > to)
                    kept.push_back({p.first + (to - at), end - to});
            }
            at = end;
        }
        pieces = std::move(kept);
    }
};

std::mutex &lock()
{
    static std::mutex m;
    return m;
}

QHash<QString, WaveDevice> &devices()
{
    static QHash<QString, WaveDevice> d;
    return d;
}

QString key(const QString &name) { return name.toLower(); }

bool isBlank(QChar c) { return c.isSpace(); }

// Splits on runs of blanks; "..." keeps blanks.  False on an open quote.
bool tokenize(const QString &s, QStringList *out)
{
    int i = 0;
    const int n = int(s.size());
    while (i < n) {
        while (i < n && isBlank(s[i]))
            ++i;
        if (i >= n)
            break;
        QString word;
        while (i < n && !isBlank(s[i])) {
            if (s[i] == QLatin1Char('"')) {
                const int close = int(s.indexOf(QLatin1Char('"'), i + 1));
                if (close < 0)
                    return false;
                word += s.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                word += s[i++];
            }
        }
        out->append(word);
    }
    return true;
}

bool is(const QString &word, const char *kw) { return word.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0; }
bool isFlag(const QString &word) { return is(word, "wait") || is(word, "notify"); }

quint32 parseMs(const QString &word, qint64 *out)
{
    bool ok = false;
    const qint64 v = word.toLongLong(&ok);
    if (!ok)
        return kMciErrBadInteger;
    if (v < 0)
        return kMciErrOutOfRange;
    *out = v;
    return kMciOk;
}

quint32 doOpen(const QStringList &w)
{
    if (w.size() < 2)
        return kMciErrMissingParameter;
    const QString path = w[1];
    QString alias = path;
    for (int i = 2; i < w.size(); ++i) {
        if (is(w[i], "type") || is(w[i], "alias")) {
            if (i + 1 >= w.size())
                return kMciErrMissingParameter;
            if (is(w[i], "type") && !is(w[i + 1], "waveaudio"))
                return kMciErrUnsupportedType;
            if (is(w[i], "alias"))
                alias = w[i + 1];
            ++i;
        } else if (!isFlag(w[i]) && !is(w[i], "shareable")) {
            return kMciErrUnrecognizedKeyword;
        }
    }
    if (devices().contains(key(alias)))
        return kMciErrDuplicateAlias;
    if (!QFileInfo(path).isFile())
        return kMciErrFileNotFound;
    WaveDevice dev;
    dev.path = path;
    dev.file = std::make_shared<OpenFile>(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    if (dev.file->fd < 0)
        return kMciErrInvalidFile;
    QFile reader;
    if (!reader.open(dev.file->fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return kMciErrInvalidFile;
    dev.info = readWavInfo(reader);
    if (!dev.info.ok || !dev.info.blockAlign)
        return kMciErrInvalidFile;
    if (dev.info.frames() > 0)
        dev.pieces.push_back({0, dev.info.frames()});
    devices().insert(key(alias), std::move(dev));
    return kMciOk;
}

// The open device a command names in its second word (the command has at
// least `words` words); null with the error in *error.
WaveDevice *namedDevice(const QStringList &w, int words, quint32 *error)
{
    if (w.size() < words) {
        *error = kMciErrMissingParameter;
        return nullptr;
    }
    auto it = devices().find(key(w[1]));
    if (it == devices().end()) {
        *error = kMciErrInvalidDevice;
        return nullptr;
    }
    return &it.value();
}

quint32 doDelete(const QStringList &w)
{
    quint32 error = kMciOk;
    WaveDevice *named = namedDevice(w, 2, &error);
    if (!named)
        return error;
    WaveDevice &dev = *named;
    qint64 fromMs = 0, toMs = -1;
    for (int i = 2; i < w.size(); ++i) {
        if (is(w[i], "from") || is(w[i], "to")) {
            if (i + 1 >= w.size())
                return kMciErrMissingParameter;
            qint64 v = 0;
            if (const quint32 e = parseMs(w[i + 1], &v))
                return e;
            (is(w[i], "from") ? fromMs : toMs) = v;
            ++i;
        } else if (!isFlag(w[i])) {
            return kMciErrUnrecognizedKeyword;
        }
    }
    const qint64 from = dev.frameAt(fromMs);
    const qint64 to = toMs < 0 ? dev.frames() : dev.frameAt(toMs);
    if (to <= from)
        return kMciOk; // empty or reversed: nothing changes
    if (from == 0) {
        dev.headMs += std::min(toMs < 0 ? dev.lengthMs() : toMs, dev.lengthMs() + 1000);
        dev.headFrames += to;
    }
    dev.remove(from, to);
    return kMciOk;
}

quint32 doSave(const QStringList &w)
{
    quint32 error = kMciOk;
    const WaveDevice *named = namedDevice(w, 2, &error);
    if (!named)
        return error;
    const WaveDevice &dev = *named;
    QString path;
    for (int i = 2; i < w.size(); ++i) {
        if (isFlag(w[i]))
            continue;
        if (!path.isEmpty())
            return kMciErrUnrecognizedKeyword;
        path = w[i];
    }
    if (path.isEmpty())
        path = dev.path;
    const qint64 ba = dev.info.blockAlign;
    const qint64 dataSize = dev.frames() * ba;
    if (dataSize > kWavMaxDataSize)
        return kMciErrFileNotSaved;
    const QByteArray header = wavHeaderBytes(WavHeader::make(dev.info.channels, dev.info.sampleRate,
                                                             dev.info.bitsPerSample, dataSize, dev.info.formatTag));
    // The samples go from the opened file to the new one without passing
    // through memory (the kernel copies them where it can).
    Result<AtomicOutput> opened = AtomicOutput::open(path);
    if (!opened)
        return kMciErrFileNotSaved;
    AtomicOutput &out = opened.value();
    bool ok = writeAll(out.fd(), header.constData(), header.size()).ok();
    for (const Piece &p : dev.pieces)
        ok = ok && copyFileBytes(dev.file->fd, dev.info.dataOffset + p.first * ba, out.fd(), p.count * ba).ok();
    return ok && out.commit().ok() ? kMciOk : kMciErrFileNotSaved;
}

quint32 doClose(const QStringList &w)
{
    if (w.size() < 2)
        return kMciErrMissingParameter;
    for (int i = 2; i < w.size(); ++i)
        if (!isFlag(w[i]))
            return kMciErrUnrecognizedKeyword;
    if (is(w[1], "all")) {
        devices().clear();
        return kMciOk;
    }
    return devices().remove(key(w[1])) ? kMciOk : kMciErrInvalidDevice;
}

quint32 doStatus(const QStringList &w, QString *answer)
{
    quint32 error = kMciOk;
    const WaveDevice *named = namedDevice(w, 3, &error);
    if (!named)
        return error;
    const WaveDevice &dev = *named;
    qint64 v = 0;
    if (is(w[2], "length"))
        v = dev.lengthMs();
    else if (is(w[2], "samplespersec"))
        v = dev.info.sampleRate;
    else if (is(w[2], "channels"))
        v = dev.info.channels;
    else if (is(w[2], "bitspersample"))
        v = dev.info.bitsPerSample;
    else
        return kMciErrUnrecognizedKeyword;
    for (int i = 3; i < w.size(); ++i)
        if (!isFlag(w[i]))
            return kMciErrUnrecognizedKeyword;
    if (answer)
        *answer = QString::number(v);
    return kMciOk;
}

} // namespace

quint32 mciSendStringA(const QString &command, QString *returnString)
{
    if (returnString)
        returnString->clear();
    try {
        std::lock_guard<std::mutex> guard(lock());
        QStringList w;
        if (!tokenize(command, &w))
            return kMciErrNoClosingQuote;
        if (w.isEmpty())
            return kMciErrMissingCommand;
        const QString &cmd = w[0];
        if (is(cmd, "open"))
            return doOpen(w);
        if (is(cmd, "delete"))
            return doDelete(w);
        if (is(cmd, "save"))
            return doSave(w);
        if (is(cmd, "close"))
            return doClose(w);
        if (is(cmd, "status"))
            return doStatus(w, returnString);
        return kMciErrUnrecognizedCommand;
    } catch (const std::bad_alloc &) {
        return kMciErrOutOfMemory;
    } catch (...) {
        return kMciErrOutOfMemory;
    }
}

QString mciGetErrorString(quint32 code)
{
    switch (code) {
    case kMciOk: return QStringLiteral("The command completed.");
    case kMciErrMissingCommand: return QStringLiteral("No command was given.");
    case kMciErrUnrecognizedCommand: return QStringLiteral("The command is not recognised.");
    case kMciErrUnrecognizedKeyword: return QStringLiteral("The command contains a word it does not take.");
    case kMciErrMissingParameter: return QStringLiteral("The command is missing a name, path or number.");
    case kMciErrNoClosingQuote: return QStringLiteral("A double quote is not closed.");
    case kMciErrBadInteger: return QStringLiteral("A time is not a whole number.");
    case kMciErrUnsupportedType: return QStringLiteral("Only the waveaudio device type is supported.");
    case kMciErrDuplicateAlias: return QStringLiteral("The alias is already in use by an open device.");
    case kMciErrInvalidDevice: return QStringLiteral("No device is open under that name.");
    case kMciErrFileNotFound: return QStringLiteral("The file was not found.");
    case kMciErrInvalidFile: return QStringLiteral("The file is not a readable PCM WAV file.");
    case kMciErrOutOfRange: return QStringLiteral("A time is out of range.");
    case kMciErrFileNotSaved: return QStringLiteral("The file could not be saved.");
    case kMciErrOutOfMemory: return QStringLiteral("There is not enough memory for the samples.");
    default: break;
    }
    return QStringLiteral("Unknown error %1").arg(code);
}
