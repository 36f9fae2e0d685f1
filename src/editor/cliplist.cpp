#include "editor/cliplist.h"

#include "core/cliplist.h"
#include "core/songfiles.h"
#include "core/songimport.h"
#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "platform/mci/mmcontrol.h"
#include "platform/dialogs/dialogs.h"
#include "editor/editorneeds.h"
#include "widgets/jobrunner.h"
#include "widgets/notices.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <utility>

ClipList::ClipList(const EditorNeeds &needs, ClipEditorPanel &panel)
    : QObject(&panel), needs_(needs), workspace_(needs.workspace), panel_(panel),
      cmdopen_(new CommonDialog(&needs.notices.window(), QStringLiteral("cmdopen")))
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
    ClipEntries &clips = workspace_.clips();
    QListWidget *list = panel_.List1;
    connect(&clips, &ClipEntries::inserted, this, [this, list, &clips](int row) {
        quiet_ = true;
        list->insertItem(row, clips.at(row).name);
        quiet_ = false;
    });
    connect(&clips, &ClipEntries::removed, this, [this, list](int row) {
        quiet_ = true;
        delete list->takeItem(row);
        quiet_ = false;
    });
    connect(&clips, &ClipEntries::moved, this, [this, list](int from, int to) {
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
        if (needs_.jobs.running()) {
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
        needs_.notices.fail(Failure{QStringLiteral("Only songs and videos (%1) can be added to the list. Not added:\n")
                                        .arg(songExtensions().join(QStringLiteral(", ")).toUpper()) +
                                    std::exchange(refused_, {}).join(QLatin1Char('\n')),
                                {}, {}, false});
}

bool ClipList::startImport(const QString &songPath, bool wav)
{
    const SongImporter importer(workspace_.clips(), workspace_.paths(), workspace_.audio(), workspace_.decoder());
    const Result<ClipImport> planned = importer.plan(songPath, wav);
    if (!planned) {
        needs_.notices.fail(planned.failure());
        return false;
    }
    const ClipImport import = planned.value();
    return needs_.jobs.run(
        QString(), [importer, import](const JobRunner::Progress &progress) { return importer.make(import, progress); },
        [this, importer, import](const Outcome &made) {
            importer.finish(import, made.ok());
            if (!made)
                needs_.notices.fail(made.failure());
            importNext();
        });
}

void ClipList::moveSelected(int step)
{
    const int from = panel_.List1->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= workspace_.clips().count())
        return;
    workspace_.clips().move(from, to);
}

void ClipList::Cmdremove_Click()
{
    workspace_.closePlayers();
    QListWidget *list = panel_.List1;
    const int row = list->currentRow();
    if (row >= 0) {
        const QString name = workspace_.clips().at(row).name;
        const dialogs::Answer answer =
            dialogs::MsgBox(&needs_.notices.window(), QStringLiteral("Are you sure you want to delete ") + name + QStringLiteral(" ?"),
                            dialogs::Buttons::YesNo, QStringLiteral("Deleting"));
        if (answer == dialogs::Answer::Yes) {
            workspace_.clips().removeAt(row);
            selectQuietly(-1);
        }
    }
    panel_.stopTrimmingButtons();
}

void ClipList::List1_Click()
{
    MMControl &edit = workspace_.trimPlayer();
    MMControl &player = workspace_.listPlayer();
    edit.setCommand(QStringLiteral("Stop"));
    player.setCommand(QStringLiteral("Stop"));
    edit.setCommand(QStringLiteral("close"));
    player.setCommand(QStringLiteral("close"));
    panel_.startListPlaying();
    // A selection ends a trimming session: Done cannot cut this entry with
    // the marks of the clip opened before.
    workspace_.trim().end();
}
