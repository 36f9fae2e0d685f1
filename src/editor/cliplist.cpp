#include "editor/cliplist.h"

#include "core/cliplist.h"
#include "core/songfiles.h"
#include "core/songimport.h"
#include "core/trimsession.h"
#include "editor/clipeditorpanel.h"
#include "platform/dialogs/dialogs.h"
#include "widgets/jobrunner.h"
#include "widgets/notices.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <utility>

ClipList::ClipList(ClipEntries &clips, TrimSession &trim, const SongImporter &importer,
                   std::function<void()> closePlayers, JobRunner &jobs, const Notices &notices, ClipEditorPanel &panel)
    : QObject(&panel), clips_(clips), trim_(trim), importer_(importer), closePlayers_(std::move(closePlayers)),
      jobs_(jobs), notices_(notices), panel_(panel),
      cmdopen_(new CommonDialog(&notices.window(), QStringLiteral("cmdopen")))
{
    connect(panel_.CmdAdd, &QPushButton::clicked, this, &ClipList::CmdAdd_Click);
    connect(panel_.Cmdremove, &QPushButton::clicked, this, &ClipList::Cmdremove_Click);
    connect(panel_.CmdUP, &QPushButton::clicked, this, &ClipList::CmdUP_Click);
    connect(panel_.CmdDown, &QPushButton::clicked, this, &ClipList::CmdDown_Click);
    connect(panel_.List1, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!quiet_ && row >= 0)
            List1_Click();
    });
    connect(panel_.List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });

    // The one place where List1 follows the clip list; the selection stays
    // the view's own, and following the list never runs the selection handler.
    QListWidget *list = panel_.List1;
    connect(&clips_, &ClipEntries::inserted, this, [this, list](int row) {
        quiet_ = true;
        list->insertItem(row, clips_.at(row).name);
        quiet_ = false;
    });
    connect(&clips_, &ClipEntries::removed, this, [this, list](int row) {
        quiet_ = true;
        delete list->takeItem(row);
        quiet_ = false;
    });
    connect(&clips_, &ClipEntries::moved, this, [this, list](int from, int to) {
        quiet_ = true;
        const bool wasSelected = list->currentRow() == from;
        list->insertItem(to, list->takeItem(from));
        if (wasSelected)
            list->setCurrentRow(to);
        quiet_ = false;
    });
}

void ClipList::selectQuietly(int row)
{
    quiet_ = true;
    panel_.List1->setCurrentRow(row);
    quiet_ = false;
}

void ClipList::CmdAdd_Click()
{
    cmdopen_->DialogTitle = QStringLiteral("Select a file to Convert");
    cmdopen_->FileName.clear();
    cmdopen_->Filter = songFileFilter();
    cmdopen_->ShowOpen();
    // A file chosen under "All files" is offered to the audio library too,
    // which judges it by what it holds.
    if (!cmdopen_->FileName.isEmpty())
        enqueue({QueuedSong{cmdopen_->FileName, true}});
}

void ClipList::importSongs(const QStringList &songPaths)
{
    QList<QueuedSong> songs;
    for (const QString &path : songPaths)
        songs << QueuedSong{path, false};
    enqueue(songs);
}

void ClipList::enqueue(const QList<QueuedSong> &songs)
{
    // Songs that arrive while one is being made into a clip (a second drop)
    // wait for it: one import at a time, in order.
    queued_ += songs;
    if (!importing_)
        importNext();
}

void ClipList::importNext()
{
    importing_ = true;
    while (!queued_.isEmpty()) {
        const QueuedSong next = queued_.takeFirst();
        const bool song = isSongFile(next.path);
        if (!song && !next.anyFile) {
            refused_ << next.path;
            continue;
        }
        if (jobs_.running()) {
            // Another long job holds the runner: this song waits for its end.
            queued_.prepend(next);
            QTimer::singleShot(100, this, &ClipList::importNext);
            return;
        }
        if (startImport(next.path, song && next.path.right(3).toLower() == QLatin1String("wav")))
            return;
    }
    importing_ = false;
    if (!refused_.isEmpty())
        notices_.fail(Failure{QStringLiteral("Only songs and videos (%1) can be added to the list. Not added:\n")
                                      .arg(songExtensions().join(QStringLiteral(", ")).toUpper()) +
                                  std::exchange(refused_, {}).join(QLatin1Char('\n')),
                              {}, {}, false});
}

bool ClipList::startImport(const QString &songPath, bool wav)
{
    const Result<ClipImport> planned = importer_.plan(songPath, wav);
    if (!planned) {
        notices_.fail(planned.failure());
        return false;
    }
    const ClipImport import = planned.value();
    return jobs_.run(
        QString(),
        [importer = importer_, import](const JobRunner::Progress &progress) { return importer.make(import, progress); },
        [this, import](const Outcome &made) {
            importer_.finish(import, made.ok());
            if (!made)
                notices_.fail(made.failure());
            importNext();
        });
}

void ClipList::moveSelected(int step)
{
    const int from = panel_.List1->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= clips_.count())
        return;
    clips_.move(from, to);
}

void ClipList::Cmdremove_Click()
{
    closePlayers_();
    QListWidget *list = panel_.List1;
    const int row = list->currentRow();
    if (row >= 0) {
        const QString name = clips_.at(row).name;
        const dialogs::Answer answer =
            dialogs::MsgBox(&notices_.window(),
                            QStringLiteral("Are you sure you want to delete ") + name + QStringLiteral(" ?"),
                            dialogs::Buttons::YesNo, QStringLiteral("Deleting"));
        if (answer == dialogs::Answer::Yes) {
            clips_.removeAt(row);
            selectQuietly(-1);
        }
    }
    panel_.stopTrimmingButtons();
}

void ClipList::List1_Click()
{
    closePlayers_();
    panel_.startListPlaying();
    // A selection ends a trimming session: Done cannot cut this entry with
    // the marks of the clip opened before.
    trim_.end();
}
