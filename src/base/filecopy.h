#pragma once
#include "base/result.h"

#include <QString>
#include <QtGlobal>

// Copies `length` bytes from byte offset `inOffset` of the file `inFd` to the
// current position of `outFd`, advancing it. The kernel moves the bytes when
// it can (copy_file_range); otherwise they go through a small buffer.
// Fails when a read or write fails or the input ends early.
Outcome copyFileBytes(int inFd, qint64 inOffset, int outFd, qint64 length);

// Writes all of `data` at the current position of `fd`.
Outcome writeAll(int fd, const char *data, qint64 size);

// Syncs the folder that holds `path`, so that a rename into it reaches the disk.
void syncFolderOf(const QString &path);

// The words for errno, as the last failed system call left it.
QString lastSystemError();
