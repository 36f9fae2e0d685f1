#pragma once
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class QAbstractItemModel;

// The clip list of a running session, kept in a small file of the working
// folder so that a run that ends without the shutdown sequence can be
// offered back: the entry texts in list order, as JSON {"clips": [...]}.
QByteArray sessionListText(const QStringList &entries);
// The entries, or nothing when the text is not such a list.
std::optional<QStringList> parseSessionList(const QByteArray &text);

// Writes the entry texts to the file whenever they change, replacing the
// file in one step, so that it always holds a whole list. Changes that come
// together (an entry moved is taken out and put back) give one write, when
// control returns to the event loop.
class SessionListWriter : public QObject {
    Q_OBJECT
public:
    SessionListWriter(QString file, std::function<QStringList()> entries, QObject *parent = nullptr);

    // The ordered entry texts changed.
    void changed();
    // Writes the entries now; false when the file could not be replaced
    // (the old one then stays whole).
    bool writeNow();
    // No more writes: the session is ending.
    void stop();

private:
    QString file_;
    std::function<QStringList()> entries_;
    bool pending_ = false;
    bool stopped_ = false;
};

// Calls `changed` whenever rows of the model come, go, move or change their
// text, for as long as `context` lives.
void watchRows(QAbstractItemModel &model, QObject *context, const std::function<void()> &changed);
