#pragma once
// Faults a test puts in the program's way, each lifted again when its guard
// goes: a folder nobody may write into, a limit on the size of any file the
// process writes, and a disk that is full.
#include <QByteArray>
#include <QMap>
#include <QString>
#include <sys/resource.h>

// Every file under a folder (hidden ones too) with its content.
QMap<QString, QByteArray> folderSnapshot(const QString &folder);

// Read-only mode, and for root (whom the mode does not stop) the immutable
// attribute.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    // False when the folder may still be written (root without chattr).
    bool works() const;

private:
    QString path_;
    bool immutable_ = false;
};

// No file of this process may grow past `bytes`: a write beyond fails with
// EFBIG (SIGXFSZ is ignored meanwhile instead of ending the process).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool works() const { return works_; }

private:
    struct rlimit old_ {};
    void (*oldHandler_)(int) = nullptr;
    bool works_ = false;
};

// A small file system of `bytes` mounted over a folder (what the folder held
// is hidden meanwhile). Needs the right to mount (root outside a locked-down
// container); works() says whether it could.
class FullDisk {
public:
    FullDisk(const QString &folder, qint64 bytes);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;
    bool works() const { return mounted_; }
    // Fills it with one hidden file, up to about `freeBytes` of room (whole
    // pages); writes past that fail with ENOSPC.
    void leaveFree(qint64 freeBytes);

private:
    QString folder_;
    bool mounted_ = false;
};
