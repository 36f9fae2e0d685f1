#pragma once
#include <QListWidget>

// A folder list: shows one folder and the folders inside it; a double
// click on one of them (or on "..") goes there.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    QString path() const { return path_; }
    // Goes to the folder; false (and nothing changes) when it is not one.
    bool setPath(const QString &folder);

signals:
    void Change(const QString &path);

private:
    void refill();
    QString path_;
};
