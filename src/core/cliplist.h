#pragma once
#include "base/paths.h"
#include "encode/songtags.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

// One entry of the clip list: the clip's name (its file is the working
// folder's NAME.wav) and the song it was made from, when there was one.
struct ClipEntry {
    QString name;
    QString source; // the song's path; empty for a recording or a restored clip
    SongTags tags;  // the song's tags, read at import; empty without a song
};

// The clip list: its entries in play and join order. The one owner of the
// list: the list box on the Audio Edit panel is a view of it, and every
// change goes through here and is announced.
class ClipEntries : public QObject {
    Q_OBJECT
public:
    explicit ClipEntries(const AppPaths &paths, QObject *parent = nullptr);

    int count() const { return int(entries_.size()); }
    bool isEmpty() const { return entries_.empty(); }
    const ClipEntry &at(int row) const { return entries_.at(size_t(row)); }
    QStringList names() const;
    int indexOf(const QString &name) const; // -1 when not listed
    QString clipFile(int row) const { return paths_.clipFile(at(row).name); }

    // The first clip name, from the song's, that no entry, no clip file and
    // none of the program's own files in the working folder use.
    QString freeClipName(const QString &wanted) const;

    void append(const ClipEntry &entry);
    // Removes the entry; its clip file goes with it (names are unique).
    void removeAt(int row);
    // Moves the entry at `from` to `to`; the others keep their order.
    void move(int from, int to);

signals:
    void inserted(int row);
    void removed(int row, const QString &name);
    void moved(int from, int to);
    // After every change of the entries or their order.
    void changed();

private:
    AppPaths paths_;
    std::vector<ClipEntry> entries_;
};

// The clip name of a song: its file name without the last four characters
// (the whole name when it is shorter than five).
QString clipNameOf(const QString &songPath);
