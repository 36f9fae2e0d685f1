#include "editor/cliplist.h"

#include "audio/pcmwav.h"
#include "audio/wavformat.h"
#include "editor/clipeditorpanel.h"
#include "editor/editorstate.h"
#include "export/atomicsave.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "shell/frmmain.h"

#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTime>

QString formatSeconds(int seconds)
{
    const int day = 24 * 3600;
    return QTime(0, 0).addSecs(((seconds % day) + day) % day).toString(QStringLiteral("hh:mm:ss"));
}

QString clipNameOf(const QString &songPath)
{
    const QString name = GetFileName(songPath);
    return name.size() > 4 ? name.left(name.size() - 4) : name;
}

ClipList::ClipList(Frmmain &form, ClipEditorPanel &panel, EditorState &state)
    : QObject(&form), form_(form), panel_(panel), state_(state), cmdopen_(new CommonDialog(&form, QStringLiteral("cmdopen")))
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
}

void ClipList::selectQuietly(int row)
{
    quiet_ = true;
    panel_.List1->setCurrentRow(row);
    quiet_ = false;
}

void ClipList::CmdAdd_Click()
{
    cmdopen_->CancelError = true;
    cmdopen_->Flags = 528388;
    cmdopen_->DialogTitle = QStringLiteral("Select a file to Convert");
    cmdopen_->FileName.clear();
    cmdopen_->Filter = QStringLiteral("Audio files (*.wav;*.mp3)|*.wav;*.mp3");
    cmdopen_->ShowOpen();
    importSong(cmdopen_->FileName);
}

bool ClipList::importSong(const QString &path)
{
    const QString type = path.right(3).toLower();
    if (type == QLatin1String("wav"))
        importWav(path);
    else if (type == QLatin1String("mp3") && importMp3)
        importMp3(path);
    else
        return false;
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
        dialogs::MsgBox(&form_,
                        QStringLiteral("Only WAV and MP3 songs can be added to the list. Not added:\n") +
                            refused.join(QLatin1Char('\n')),
                        dialogs::Buttons::Ok, QString(), dialogs::Icon::Warning);
}

QString ClipList::freeClipName(const QString &wanted) const
{
    auto taken = [this](const QString &name) {
        for (int i = 0; i < panel_.List1->count(); ++i)
            if (panel_.List1->item(i)->text() == name)
                return true;
        return AppPaths::isReservedClipName(name) || QFileInfo::exists(form_.paths().clipFile(name));
    };
    QString name = wanted;
    for (int n = 2; taken(name); ++n)
        name = QStringLiteral("%1 (%2)").arg(wanted).arg(n);
    return name;
}

bool ClipList::importWav(const QString &songPath)
{
    const QString name = freeClipName(clipNameOf(songPath));
    const QString clip = form_.paths().clipFile(name);
    // The clip appears under its name only when it is complete. A WAV that
    // the player, the cut and the join read as it is stays a byte copy; any
    // other layout is converted once, here, so that every clip is usable.
    const WavInfo info = readWavInfo(songPath);
    const QString error = info.ok ? copyFileAtomically(songPath, clip) : convertToPcmWav(songPath, clip);
    if (!error.isEmpty()) {
        dialogs::MsgBox(&form_, QStringLiteral("The song %1 could not be added to the clip list: %2").arg(songPath, error),
                        dialogs::Buttons::Ok, QString(), dialogs::Icon::Warning);
        return false;
    }
    QFile::setPermissions(clip, QFile::ReadOwner | QFile::WriteOwner);
    panel_.List1->addItem(name);
    return true;
}

void ClipList::moveSelected(int step)
{
    QListWidget *list = panel_.List1;
    const int from = list->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= list->count())
        return;
    // The entry last started by the list player (playIndex - 1) keeps its
    // place in the play order: whatever now follows it plays next.
    const int playing = state_.playIndex - 1;
    if (state_.playIndex > 0 && (playing == from || playing == to))
        state_.playIndex = (playing == from ? to : from) + 1;
    quiet_ = true;
    list->insertItem(to, list->takeItem(from));
    list->setCurrentRow(to);
    quiet_ = false;
}

void ClipList::Cmdremove_Click()
{
    form_.MMCEdit()->setCommand(QStringLiteral("Stop"));
    form_.MMCPlayList()->setCommand(QStringLiteral("Stop"));
    form_.MMCEdit()->setCommand(QStringLiteral("Close"));
    form_.MMCPlayList()->setCommand(QStringLiteral("Close"));
    QListWidget *list = panel_.List1;
    const int row = list->currentRow();
    if (row >= 0) {
        const QString name = list->item(row)->text();
        const dialogs::Answer answer =
            dialogs::MsgBox(&form_, QStringLiteral("Are you sure you want to delete ") + name + QStringLiteral(" ?"),
                            dialogs::Buttons::YesNo, QStringLiteral("Deleting"));
        if (answer == dialogs::Answer::Yes) {
            int users = 0;
            for (int i = 0; i < list->count(); ++i)
                users += list->item(i)->text() == name;
            // The file goes with the last entry that names it.
            if (users == 1)
                QFile::remove(form_.paths().clipFile(name));
            quiet_ = true;
            delete list->takeItem(row);
            list->setCurrentRow(-1);
            quiet_ = false;
        }
    }
    for (QWidget *w : {panel_.CmdEditPlay, panel_.CmdEditStop, panel_.CmdMarkin, panel_.CmdMarkOut})
        w->setEnabled(false);
}

void ClipList::List1_Click()
{
    form_.MMCEdit()->setCommand(QStringLiteral("Stop"));
    form_.MMCPlayList()->setCommand(QStringLiteral("Stop"));
    form_.MMCEdit()->setCommand(QStringLiteral("close"));
    form_.MMCPlayList()->setCommand(QStringLiteral("close"));
    for (QWidget *w : {panel_.CmdEditPlay, panel_.CmdEditStop, panel_.CmdMarkin, panel_.CmdMarkOut})
        w->setEnabled(false);
    for (QWidget *w : {panel_.CmdEditDone, panel_.CmdFoward, panel_.CmdPause, panel_.CmdPlay, panel_.CmdStop,
                       panel_.CmdNext})
        w->setEnabled(true);
    // A selection ends a trimming session: Done cannot cut this entry with
    // the marks of the clip opened before.
    state_.markIn.reset();
    state_.markOut.reset();
    state_.openClip.reset();
}
