#include "core/cliplist.h"

#include <QFile>
#include <QFileInfo>

ClipEntries::ClipEntries(const AppPaths &paths, QObject *parent) : QObject(parent), paths_(paths) {}

QStringList ClipEntries::names() const
{
    QStringList out;
    for (const ClipEntry &e : entries_)
        out << e.name;
    return out;
}

int ClipEntries::indexOf(const QString &name) const
{
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].name == name)
            return int(i);
    return -1;
}

QString ClipEntries::freeClipName(const QString &wanted) const
{
    auto taken = [this](const QString &name) {
        return indexOf(name) >= 0 || AppPaths::isReservedClipName(name) || QFileInfo::exists(paths_.clipFile(name));
    };
    QString name = wanted;
    for (int n = 2; taken(name); ++n)
        name = QStringLiteral("%1 (%2)").arg(wanted).arg(n);
    return name;
}

void ClipEntries::append(const ClipEntry &entry)
{
    entries_.push_back(entry);
    emit inserted(count() - 1);
    emit changed();
}

void ClipEntries::removeAt(int row)
{
    if (row < 0 || row >= count())
        return;
    const QString name = at(row).name;
    entries_.erase(entries_.begin() + row);
    // The file goes with the last entry that names it.
    if (indexOf(name) < 0)
        QFile::remove(paths_.clipFile(name));
    emit removed(row, name);
    emit changed();
}

void ClipEntries::move(int from, int to)
{
    if (from == to || from < 0 || to < 0 || from >= count() || to >= count())
        return;
    ClipEntry entry = entries_[size_t(from)];
    entries_.erase(entries_.begin() + from);
    entries_.insert(entries_.begin() + to, entry);
    emit moved(from, to);
    emit changed();
}

QString clipNameOf(const QString &songPath)
{
    const QString name = GetFileName(songPath);
    return name.size() > 4 ? name.left(name.size() - 4) : name;
}
