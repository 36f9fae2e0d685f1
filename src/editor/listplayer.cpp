#include "editor/listplayer.h"

#include "editor/clipeditorpanel.h"
#include "editor/cliplist.h"
#include "editor/editorstate.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "shell/frmmain.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

ListPlayer::ListPlayer(Frmmain &form, ClipEditorPanel &panel, EditorState &state, ClipList &list)
    : QObject(&form), form_(form), panel_(panel), state_(state), list_(list), timer1_(new QTimer(this))
{
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(500);
    connect(timer1_, &QTimer::timeout, this, &ListPlayer::Timer1_Timer);
    timer1_->start();
    connect(panel_.CmdPlay, &QPushButton::clicked, this, &ListPlayer::CmdPlay_Click);
    connect(panel_.CmdStop, &QPushButton::clicked, this, &ListPlayer::CmdStop_Click);
    connect(panel_.CmdFoward, &QPushButton::clicked, this, &ListPlayer::CmdFoward_Click);
    connect(panel_.CmdNext, &QPushButton::clicked, this, &ListPlayer::CmdNext_Click);
    connect(panel_.CmdPause, &QPushButton::clicked, this, &ListPlayer::CmdPause_Click);
    connect(form_.MMCPlayList(), &MMControl::Done, this, &ListPlayer::MMCPlayList_Done);
}

void ListPlayer::CmdPlay_Click()
{
    const int selected = panel_.List1->currentRow();
    if (selected < 0) {
        dialogs::MsgBox(&form_, QStringLiteral("Please select the song to play"));
        return;
    }
    state_.playIndex = selected;
    playitem();
}

void ListPlayer::playitem()
{
    MMControl *player = form_.MMCPlayList();
    if (state_.playIndex >= panel_.List1->count()) {
        player->setCommand(QStringLiteral("Stop"));
        player->setCommand(QStringLiteral("Close"));
        return;
    }
    player->setFileName(form_.paths().clipFile(panel_.List1->item(state_.playIndex)->text()));
    for (const char *word : {"stop", "close", "Open", "play"})
        player->setCommand(QString::fromLatin1(word));
    // Selecting the entry being played must not stop it.
    list_.selectQuietly(state_.playIndex);
    ++state_.playIndex;
}

void ListPlayer::MMCPlayList_Done()
{
    if (panel_.Check1->isChecked())
        playitem();
}

void ListPlayer::playNeighbour(int step)
{
    const int selected = panel_.List1->currentRow();
    const int target = selected + step;
    if (selected < 0 || target < 0 || target >= panel_.List1->count())
        return;
    state_.playIndex = target;
    playitem();
}

void ListPlayer::CmdPause_Click()
{
    MMControl *player = form_.MMCPlayList();
    if (player->isPlaying())
        player->setCommand(QStringLiteral("pause"));
    else if (player->isPaused())
        player->setCommand(QStringLiteral("resume"));
}

void ListPlayer::CmdStop_Click() { form_.MMCPlayList()->setCommand(QStringLiteral("Stop")); }

void ListPlayer::Timer1_Timer()
{
    const int count = panel_.List1->count();
    const int selected = panel_.List1->currentRow();
    if (count > 0 && state_.editMode != QLatin1String("Edit"))
        for (QWidget *w : {panel_.CmdFoward, panel_.CmdPause, panel_.CmdPlay, panel_.CmdStop, panel_.CmdNext})
            w->setEnabled(true);
    panel_.CmdNext->setEnabled(!(selected < 0 || selected + 1 == count));
    panel_.CmdFoward->setEnabled(!(selected < 0 || selected == 0 || count == 0));
}
