#include "shell/folderlist.h"

#include <QDir>
#include <QFileInfo>

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        setPath(item->data(Qt::UserRole).toString());
    });
}

bool FolderList::setPath(const QString &folder)
{
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir() || !info.isReadable())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const bool changed = clean != path_;
    path_ = clean;
    refill();
    if (changed)
        emit Change(path_);
    return true;
}

void FolderList::refill()
{
    clear();
    QDir dir(path_);
    auto add = [this](const QString &text, const QString &target) {
        auto *item = new QListWidgetItem(text, this);
        item->setData(Qt::UserRole, target);
    };
    add(path_, path_);
    if (!dir.isRoot())
        add(QStringLiteral(".."), QFileInfo(path_).absolutePath());
    for (const QFileInfo &sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        add(QStringLiteral("  ") + sub.fileName(), sub.absoluteFilePath());
}
