#pragma once
#include "base/paths.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QStringList>
#include <functional>
#include <ostream>

// A private tree of folders for one test: application, home, working and
// scratch folders under a temporary root, removed at the end.
class TestEnv {
public:
    TestEnv();
    const AppPaths &paths() const { return paths_; }
    QString root() const { return dir_.path(); }
    // A file of the home folder (the user's own files), made with content.
    QString homeFile(const QString &name, const QByteArray &content) const;

private:
    QTemporaryDir dir_;
    AppPaths paths_;
};

QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &content);
// Runs the event loop until done() or the time is up; true when done.
bool waitFor(const std::function<bool()> &done, int timeoutMs);
// Runs a command line in a shell; its exit code, stdout into *out.
int runShell(const QString &command, QString *out = nullptr);
// The tool is on PATH.
bool haveTool(const QString &name);

// Readable QString values in test failures.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList &l, std::ostream *os) { *os << '[' << l.join(QStringLiteral("|")).toStdString() << ']'; }
