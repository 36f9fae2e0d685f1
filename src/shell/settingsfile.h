#pragma once
#include "base/result.h"

#include <QByteArray>
#include <QString>
#include <optional>

// config.ini: two lines ended by CR LF, the bit rate (" 96 ", or an empty
// line when unset) and the base folder.
struct StoredSettings {
    std::optional<int> bitRate;
    std::optional<QString> baseFolder; // absent when the file has no line 2
};

StoredSettings parseSettings(const QByteArray &content);
QByteArray formatSettings(const std::optional<int> &bitRate, const QString &baseFolder);

// Reads the file; a missing or unreadable file gives no values.
StoredSettings readSettingsFile(const QString &path);
// Replaces the file atomically (written beside it, then renamed); fails
// when it cannot be written.
Outcome writeSettingsFile(const QString &path, const std::optional<int> &bitRate, const QString &baseFolder);
