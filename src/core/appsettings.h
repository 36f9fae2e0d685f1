#pragma once
#include <QString>
#include <optional>

// The two settings the main window holds for the whole run.
struct AppSettings {
    std::optional<int> BitRate; // kbit/s; empty until read or chosen
    QString BaseFolder;         // where save dialogs open
};
