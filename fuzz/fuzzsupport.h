#pragma once
// What the program's fuzz targets share: a private folder for the files a
// target makes, and a stop that libFuzzer reports as a crash.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A broken promise: libFuzzer saves the input and the run fails.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition))                                                                         \
            __builtin_trap();                                                                     \
    } while (0)

// One folder for the whole run, in memory when /dev/shm is there.
inline const QString &fuzzFolder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/clipforge-fuzz-XXXXXX")
                                                                       : QDir::tempPath() + QStringLiteral("/clipforge-fuzz-XXXXXX"));
    static const QString path = dir.path();
    return path;
}

inline bool putFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size() && f.flush();
}
