#include "editor/cliplist.h"

#include "audio/audiostart.h"
#include "core/cliplist.h"
#include "core/songclip.h"
#include "core/songfiles.h"
#include "core/songimport.h"
#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "platform/mci/mmcontrol.h"
#include "platform/dialogs/dialogs.h"
#include "editor/editorneeds.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>

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
    if (!cmdopen_->FileName.isEmpty() && !importSong(cmdopen_->FileName))
        importDecoded(cmdopen_->FileName);
}

bool ClipList::importSong(const QString &path)
{
    if (!isSongFile(path))
        return false;
    if (path.right(3).toLower() == QLatin1String("wav"))
        importWav(path);
    else
        importDecoded(path);
    return true;
}

void ClipList::importSongs(const QStringList &songPaths)
{
    queued_ += songPaths;
    // Decoding an MP3 lets events through; songs that arrive meanwhile (a
    // second drop) wait for the running import instead of starting another
    // decoding on the one decoder.
    if (importing_)
        return;
    importing_ = true;
    QStringList refused;
    while (!queued_.isEmpty()) {
        const QString path = queued_.takeFirst();
        if (!importSong(path))
            refused << path;
    }
    importing_ = false;
    if (!refused.isEmpty())
        needs_.notices.fail(Failure{QStringLiteral("Only songs and videos (%1) can be added to the list. Not added:\n")
                                      .arg(songExtensions().join(QStringLiteral(", ")).toUpper()) +
                                  refused.join(QLatin1Char('\n')),
                              {}, {}, false});
}

bool ClipList::importWav(const QString &songPath)
{
    ClipEntries &clips = workspace_.clips();
    const QString name = clips.freeClipName(clipNameOf(songPath));
    const QString clip = workspace_.paths().clipFile(name);
    // The clip appears under its name only when it is complete. A WAV that
    // the player, the cut and the join read as it is stays a byte copy; any
    // other layout, and a file cut short of what its header claims, is
    // converted once, here, so that every clip is usable and its header true.
    const Outcome made = wavSongToClip(songPath, clip);
    if (!made) {
        needs_.notices.fail(Failure{QStringLiteral("The song %1 could not be added to the clip list: %2").arg(songPath, made.error()),
                              {}, {}, false});
        return false;
    }
    QFile::setPermissions(clip, QFile::ReadOwner | QFile::WriteOwner);
    clips.append(ClipEntry{name, songPath, readSongTags(songPath)});
    return true;
}

bool ClipList::importDecoded(const QString &songPath)
{
    if (Outcome started = workspace_.audio().initwav(); !started) {
        needs_.notices.fail(started.failure());
        return false;
    }
    Result<QString> made = Result<QString>::failure(QString());
    {
        BusyScope busy(needs_.busy);
        made = decodeSongToClip(workspace_, songPath);
    }
    if (!made)
        needs_.notices.fail(made.failure());
    return made.ok();
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
