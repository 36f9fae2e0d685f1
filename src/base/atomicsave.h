#pragma once
#include "base/result.h"

#include <QString>
#include <functional>
#include <memory>

class QFile;

// A file that appears at its target only when complete: written into a
// hidden temporary file beside the target (".<name>.<random>.part"), synced,
// then renamed over it. Until commit() succeeds the target keeps its old
// bytes (or stays absent); a temporary file not committed is removed when
// the object goes.
class AtomicOutput {
public:
    // Makes the temporary file; the failure's text is why it could not be
    // made, alone.
    static Result<AtomicOutput> open(const QString &target);
    AtomicOutput(AtomicOutput &&other) noexcept;
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput &) = delete;
    AtomicOutput &operator=(const AtomicOutput &) = delete;
    AtomicOutput &operator=(AtomicOutput &&) = delete;

    QString tempPath() const { return temp_; }
    int fd() const { return fd_; } // open for reading and writing, at offset 0
    // Appends at the descriptor's offset.
    Outcome write(const void *data, size_t size) const;
    // The temporary file for writers that take a device; unbuffered, so
    // every write has reached the descriptor when it returns.
    QFile &device();

    // Gives the temporary file the permission bits of the file it replaces
    // (a new file keeps the usual ones, 0666 less the umask), syncs it,
    // renames it over the target and syncs the folder. A failure's text is
    // the reason alone.
    Outcome commit();

private:
    AtomicOutput(const QString &target, const QString &temp, int fd);
    void discard();

    QString target_, temp_;
    int fd_ = -1;
    std::unique_ptr<QFile> device_;
};

// Replaces the whole content of `target` with `bytes` through an
// AtomicOutput; the failure's text is the reason alone.
Outcome writeFileAtomically(const QString &target, const QByteArray &bytes);

// Copies the file `source` to `target` through an AtomicOutput: `target` is
// at every moment either its old content (or absent) or the complete copy.
// `finish`, when given, changes the complete copy (by its temporary path)
// before it replaces `target`, its failure's text the reason alone; so
// `source` may be `target` itself. On failure nothing at `target` changes
// and the failure says what went wrong, naming the path.
Outcome copyFileAtomically(const QString &source, const QString &target,
                           const std::function<Outcome(const QString &copy)> &finish = {});

// Gives the complete file `file` the name `name` as well, replacing what was
// there: a hard link made under a hidden temporary name beside `name` and
// renamed over it, so `name` is at every moment its old file or `file`.
// Where no link can be made (another file system, one without links) the
// bytes are copied through an AtomicOutput instead. On failure `name` is as
// it was and the failure names it. Both names are one file afterwards: a
// writer that must not change `file` replaces `name` rather than writing
// into it.
Outcome addSecondName(const QString &file, const QString &name);
