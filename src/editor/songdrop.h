#pragma once
#include <QObject>

class ClipList;
class QListWidget;

// Songs dragged from a file manager onto the clip list are imported as if
// chosen one by one with Add New, in the order they were dropped.
class SongDrop : public QObject {
    Q_OBJECT
public:
    SongDrop(QListWidget &list, ClipList &clips);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ClipList &clips_;
};
