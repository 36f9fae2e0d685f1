#include "editor/songdrop.h"

#include "editor/cliplist.h"

#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

SongDrop::SongDrop(QListWidget &list, ClipList &clips) : QObject(&clips), clips_(clips)
{
    list.setAcceptDrops(true);
    list.setDragDropMode(QAbstractItemView::DropOnly);
    // Drops reach the list's viewport; the list's own drop handling (moving
    // items) is never wanted here.
    list.viewport()->installEventFilter(this);
}

bool SongDrop::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (drag->mimeData()->hasUrls())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        QStringList songs;
        for (const QUrl &url : drop->mimeData()->urls())
            songs << (url.isLocalFile() ? url.toLocalFile() : url.toDisplayString());
        drop->acceptProposedAction();
        // The import may decode for a while; the drop is answered first, so
        // that the program the songs came from is not kept waiting.
        QTimer::singleShot(0, &clips_, [clips = &clips_, songs] { clips->importSongs(songs); });
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
