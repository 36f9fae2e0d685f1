#pragma once
#include <QString>

// What an edit of a clip file gives back: success, or the reason it failed
// in words the user can read (the clip is then as it was).
struct [[nodiscard]] EditResult {
    QString error; // empty on success

    bool ok() const { return error.isEmpty(); }
    static EditResult success() { return {}; }
    static EditResult failure(const QString &why) { return {why}; }
};
