#include "testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

TestEnv::TestEnv()
{
    paths_ = AppPaths::underRoot(dir_.path());
    QDir().mkpath(paths_.appDir);
    QDir().mkpath(paths_.homeDir);
    // The test's application folder holds the audio library, as the real one does.
    const QString lib = QCoreApplication::applicationDirPath() + QStringLiteral("/libbass.so");
    if (QFile::exists(lib))
        QFile::link(lib, paths_.appDir + QStringLiteral("/libbass.so"));
}

QString TestEnv::homeFile(const QString &name, const QByteArray &content) const
{
    const QString path = paths_.homeDir + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    writeFile(path, content);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

int runShell(const QString &command, QString *out)
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!p.waitForFinished(120000))
        return -1;
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool haveTool(const QString &name) { return !QStandardPaths::findExecutable(name).isEmpty(); }
