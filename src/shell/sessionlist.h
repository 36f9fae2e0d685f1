#pragma once
#include <QObject>
#include <QStringList>
#include <optional>

class ClipEntries;

// The clip list of a running session, kept in a small file of the working
// folder so that a run that ends without the shutdown sequence can be
// offered back: the entry texts in list order, as JSON {"clips": [...]}.
QByteArray sessionListText(const QStringList &entries);
// The entries, or nothing when the text is not such a list.
std::optional<QStringList> parseSessionList(const QByteArray &text);

// Writes the list's entry texts to the file at once and after every change
// of the list, replacing the file in one step, so that it always holds a
// whole list (a failed write leaves the one before).
class SessionListWriter : public QObject {
    Q_OBJECT
public:
    SessionListWriter(QString file, const ClipEntries &clips, QObject *parent = nullptr);

    // No more writes: the session is ending.
    void stop() { stopped_ = true; }

private:
    bool write();

    QString file_;
    const ClipEntries &clips_;
    bool stopped_ = false;
};
