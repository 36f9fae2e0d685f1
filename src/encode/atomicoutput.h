#pragma once
// A file that appears at its target only when complete: written into a
// hidden temporary file beside the target, synced, then renamed over it.
// Until commit() succeeds the target keeps its old bytes (or stays absent);
// a temporary file not committed is removed when the object goes.
#include <QString>

class AtomicOutput {
public:
    explicit AtomicOutput(const QString &target);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput &) = delete;
    AtomicOutput &operator=(const AtomicOutput &) = delete;

    // Empty when the temporary file exists; else why it could not be made.
    QString error() const { return error_; }
    QString tempPath() const { return temp_; }
    int fd() const { return fd_; } // open for reading and writing, at offset 0
    // Appends at the descriptor's offset; empty, or the reason.
    QString write(const void *data, size_t size) const;

    // Gives the temporary file the permission bits of the file it replaces,
    // syncs it and renames it over the target. Empty, or the reason.
    QString commit();

private:
    void discard();

    QString target_, temp_, error_;
    int fd_ = -1;
};

// The text of errno.
QString systemError(int err);
// "Cannot save "PATH": REASON"
QString cannotSave(const QString &path, const QString &reason);
