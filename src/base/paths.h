#pragma once
#include <QString>
#include <QStringList>

// Where the program's files live. This is the one place that knows the
// native layout; everything else asks an AppPaths for its folders.
struct AppPaths {
    QString appDir;       // folder of the executable (holds libbass.so)
    QString workDir;      // clips, concat.wav, tempwav.wav; private (0700)
    QString scratchDir;   // scratch files of the cut; private (0700)
    QString settingsFile; // config.ini
    QString editorSettingsFile; // the trimming view's own settings, beside config.ini
    QString homeDir;      // where the base folder starts
    QString runtimeDir;   // the user's private runtime folder (the instance socket)

    // The layout of a normal run, from the executable's folder and the
    // XDG folders of the user.
    static AppPaths fromSystem();
    // True when config.ini is kept in the program's folder: a writable one
    // outside /usr (else it goes to the user's XDG config folder).
    static bool keepsSettingsBeside(const QString &appDir);
    // Every folder under one root, for tests and tools.
    static AppPaths underRoot(const QString &root);

    QString workFile(const QString &name) const;    // a file in the working folder
    QString scratchFile(const QString &name) const; // a file in the scratch folder
    QString clipFile(const QString &clipName) const { return workFile(clipName + QStringLiteral(".wav")); }
    QString concatFile() const { return workFile(QStringLiteral("concat.wav")); }
    QString recorderTempFile() const { return workFile(QStringLiteral("tempwav.wav")); }
    // The lock file whose holder owns the working folder.
    QString lockFile() const { return workFile(QStringLiteral(".lock")); }
    // The clip list of the running session, kept for a restart after a crash.
    QString sessionListFile() const { return workFile(QStringLiteral(".cliplist")); }
    // The socket on which the owner of the working folder takes songs from
    // later starts; one per working folder.
    QString instanceSocket() const;
    // True for a clip name whose clip file would be one of the program's own
    // files in the working folder (concat, tempwav, tempwav2, ...), in any
    // letter case: a song of that name must take another clip name.
    static bool isReservedClipName(const QString &clipName);

    // Makes a private folder (mode 0700) when missing; leaves a present one alone.
    static bool ensurePrivateDir(const QString &dir);
};

// The path helpers of the main window, with the native separator.
QString RPP(const QString &folder);          // folder with a trailing separator
bool FileExists(const QString &path);        // a normal (not hidden) file is there
QString GetFileName(const QString &path);    // the part after the last separator

// Removes every file of a folder (hidden ones too) but the named ones; the folder stays.
void emptyFolder(const QString &dir, const QStringList &keep = {});

// Moves a finished file over another in one step (both in one folder), so
// that the target is always either the old file or the new one.
bool replaceFile(const QString &from, const QString &to);
