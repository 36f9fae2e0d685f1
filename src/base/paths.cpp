#include "base/paths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace {

QString envDir(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    // XDG says relative values are to be ignored.
    return (!value.isEmpty() && QDir::isAbsolutePath(value)) ? value : fallback;
}

bool folderIsWritable(const QString &dir)
{
    QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

// config.ini keeps its two lines; the trimming view's settings go to a file
// of their own in the same folder.
QString besideSettings(const QString &settingsFile)
{
    return QFileInfo(settingsFile).dir().filePath(QStringLiteral("editor.ini"));
}

} // namespace

bool AppPaths::keepsSettingsBeside(const QString &appDir)
{
    // /usr belongs to the package manager (and /usr/local to the
    // administrator's installs): a file the program wrote there would outlive
    // the program's removal, so even root keeps its settings with the user.
    const QString dir = QDir::cleanPath(appDir);
    const bool system = dir == QLatin1String("/usr") || dir.startsWith(QLatin1String("/usr/"));
    return !system && folderIsWritable(dir);
}

AppPaths AppPaths::fromSystem()
{
    AppPaths p;
    p.appDir = QCoreApplication::applicationDirPath();
    p.homeDir = QDir::homePath();
    const QString cache = envDir("XDG_CACHE_HOME", p.homeDir + QStringLiteral("/.cache"));
    p.workDir = cache + QStringLiteral("/orvane");
    p.scratchDir = cache + QStringLiteral("/orvane-scratch");
    // XDG_RUNTIME_DIR, or a private folder of Qt's choosing when it is unset.
    p.runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (keepsSettingsBeside(p.appDir)) {
        p.settingsFile = p.appDir + QStringLiteral("/config.ini");
    } else {
        const QString config = envDir("XDG_CONFIG_HOME", p.homeDir + QStringLiteral("/.config"));
        p.settingsFile = config + QStringLiteral("/orvane/config.ini");
    }
    p.editorSettingsFile = besideSettings(p.settingsFile);
    return p;
}

AppPaths AppPaths::underRoot(const QString &root)
{
    AppPaths p;
    p.appDir = root + QStringLiteral("/app");
    p.homeDir = root + QStringLiteral("/home");
    p.workDir = root + QStringLiteral("/cache/orvane");
    p.scratchDir = root + QStringLiteral("/cache/orvane-scratch");
    p.runtimeDir = root + QStringLiteral("/runtime");
    p.settingsFile = p.appDir + QStringLiteral("/config.ini");
    p.editorSettingsFile = besideSettings(p.settingsFile);
    return p;
}

QString AppPaths::workFile(const QString &name) const { return workDir + QLatin1Char('/') + name; }
bool AppPaths::isReservedClipName(const QString &clipName)
{
    static const QRegularExpression own(QStringLiteral("^(concat|tempwav[0-9]*)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    return own.match(clipName).hasMatch();
}

QString AppPaths::scratchFile(const QString &name) const { return scratchDir + QLatin1Char('/') + name; }

QString AppPaths::instanceSocket() const
{
    // Named after the working folder, so that each folder has its one owner;
    // short, as socket paths are limited to about a hundred bytes.
    const QByteArray folder = QFile::encodeName(QDir::cleanPath(QDir(workDir).absolutePath()));
    const QString tag = QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16));
    return runtimeDir + QStringLiteral("/orvane-clipforge-") + tag;
}

bool AppPaths::ensurePrivateDir(const QString &dir)
{
    if (QFileInfo::exists(dir))
        return QFileInfo(dir).isDir();
    if (!QDir().mkpath(dir))
        return false;
    return ::chmod(QFile::encodeName(dir).constData(), 0700) == 0;
}

QString RPP(const QString &folder)
{
    const QChar sep = QDir::separator();
    return folder.endsWith(sep) ? folder : folder + sep;
}

bool FileExists(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

QString GetFileName(const QString &path)
{
    const int cut = path.lastIndexOf(QDir::separator());
    return cut < 0 ? path : path.mid(cut + 1);
}

void emptyFolder(const QString &dir, const QStringList &keep)
{
    QDir folder(dir);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = folder.filePath(name);
        if (std::none_of(keep.begin(), keep.end(), [&](const QString &k) { return QDir::cleanPath(k) == QDir::cleanPath(path); }))
            folder.remove(name);
    }
}

bool replaceFile(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}
