#include "editor/cliptrimmer.h"

#include "core/clipanalysis.h"
#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "editor/editorneeds.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTime>
#include <cmath>

int roundedSeconds(double ms) { return int(std::nearbyint(ms / 1000.0)); }

QString formatSeconds(int seconds)
{
    const int day = 24 * 3600;
    return QTime(0, 0).addSecs(((seconds % day) + day) % day).toString(QStringLiteral("hh:mm:ss"));
}

ClipTrimmer::ClipTrimmer(const EditorNeeds &needs, ClipEditorPanel &panel)
    : QObject(&panel), needs_(needs), workspace_(needs.workspace), panel_(panel)
{
    connect(panel_.List1, &QListWidget::itemDoubleClicked, this, &ClipTrimmer::List1_DblClick);
    connect(panel_.CmdEditPlay, &QPushButton::clicked, this, &ClipTrimmer::CmdEditPlay_Click);
    connect(panel_.CmdEditStop, &QPushButton::clicked, this, &ClipTrimmer::CmdEditStop_Click);
    connect(panel_.CmdMarkin, &QPushButton::clicked, this, &ClipTrimmer::CmdMarkin_Click);
    connect(panel_.CmdMarkOut, &QPushButton::clicked, this, &ClipTrimmer::CmdMarkOut_Click);
    connect(panel_.CmdEditDone, &QPushButton::clicked, this, &ClipTrimmer::CmdEditDone_Click);
    connect(&workspace_.trimPlayer(), &MMControl::StatusUpdate, this, &ClipTrimmer::MMCEdit_StatusUpdate);
    connect(&workspace_.trim(), &TrimSession::clipEdited, this, &ClipTrimmer::followEditedClip);
    // The slider "clicks" when the user lets it go or pages it, not when
    // the status update moves it.
    connect(panel_.SliderEdit, &QSlider::sliderReleased, this, &ClipTrimmer::SliderEdit_Click);
    connect(panel_.SliderEdit, &QSlider::valueChanged, this, [this] {
        if (!quiet_ && !panel_.SliderEdit->isSliderDown())
            SliderEdit_Click();
    });
}

void ClipTrimmer::setSliderQuietly(int value)
{
    quiet_ = true;
    panel_.SliderEdit->setValue(value);
    quiet_ = false;
}

void ClipTrimmer::List1_DblClick()
{
    MMControl &edit = workspace_.trimPlayer();
    workspace_.listPlayer().setCommand(QStringLiteral("Stop"));
    workspace_.listPlayer().setCommand(QStringLiteral("Close"));
    edit.setCommand(QStringLiteral("Stop"));
    QListWidgetItem *item = panel_.List1->currentItem();
    if (item) {
        edit.setFileName(workspace_.paths().clipFile(item->text()));
        edit.setCommand(QStringLiteral("open"));
    }
    const int length = edit.Length();
    quiet_ = true;
    panel_.SliderEdit->setMaximum(roundedSeconds(length));
    quiet_ = false;
    workspace_.trim().open(item ? item->text() : QString(), length);
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblin->setText(QStringLiteral("00:00:00"));
    panel_.startTrimming();
}

void ClipTrimmer::CmdEditPlay_Click()
{
    emit aboutToPlay();
    workspace_.trimPlayer().setCommand(QStringLiteral("play"));
}
void ClipTrimmer::CmdEditStop_Click() { workspace_.trimPlayer().setCommand(QStringLiteral("stop")); }

void ClipTrimmer::SliderEdit_Click() { playFrom(panel_.SliderEdit->value() * 1000); }

void ClipTrimmer::playFrom(int ms)
{
    emit aboutToPlay();
    workspace_.trimPlayer().setFrom(ms);
    workspace_.trimPlayer().setCommand(QStringLiteral("Play"));
}

void ClipTrimmer::MMCEdit_StatusUpdate()
{
    const int position = workspace_.trimPlayer().Position();
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(position)));
    if (!panel_.SliderEdit->isSliderDown())
        setSliderQuietly(roundedSeconds(position));
}

int ClipTrimmer::markAt(int ms) const
{
    return panel_.ChkSnapBeat->isChecked() ? workspace_.analysis().snapped(ms) : ms;
}

// The label shows the slider's whole seconds, or the mark's own when it
// snapped to a beat away from the player's position.
int ClipTrimmer::takeMark(QLabel *label) const
{
    const int position = workspace_.trimPlayer().Position(), mark = markAt(position);
    label->setText(formatSeconds(mark == position ? panel_.SliderEdit->value() : roundedSeconds(mark)));
    return mark;
}

void ClipTrimmer::CmdMarkin_Click() { workspace_.trim().setMarkIn(takeMark(panel_.Lblin)); }
void ClipTrimmer::CmdMarkOut_Click() { workspace_.trim().setMarkOut(takeMark(panel_.Lblout)); }

void ClipTrimmer::setMarks(int markIn, int markOut)
{
    workspace_.trim().setMarks(markIn, markOut);
    panel_.Lblin->setText(formatSeconds(roundedSeconds(markIn)));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(markOut)));
}

void ClipTrimmer::followEditedClip(const QString &clipFile)
{
    MMControl &edit = workspace_.trimPlayer();
    if (!edit.isOpen() || edit.FileName() != clipFile)
        return;
    const bool playing = edit.isPlaying();
    const int at = edit.Position();
    edit.setCommand(QStringLiteral("Close"));
    edit.setCommand(QStringLiteral("open"));
    const int length = edit.Length();
    edit.setFrom(std::min(at, length));
    if (playing)
        edit.setCommand(QStringLiteral("play"));
    TrimSession &trim = workspace_.trim();
    if (!trim.clip() || trim.clip()->lengthMs == length)
        return;
    quiet_ = true;
    panel_.SliderEdit->setMaximum(roundedSeconds(length));
    quiet_ = false;
    trim.setLength(length);
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblin->setText(formatSeconds(roundedSeconds(trim.markIn().value_or(0))));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(trim.markOut().value_or(0))));
}

void ClipTrimmer::CmdEditDone_Click()
{
    TrimSession &trim = workspace_.trim();
    // Unset marks compare as equal.
    if (!trim.marksValid()) {
        dialogs::MsgBox(&needs_.notices.window(), QStringLiteral("Time Input Error"));
        return;
    }
    MMControl &edit = workspace_.trimPlayer();
    edit.setCommand(QStringLiteral("Stop"));
    edit.setCommand(QStringLiteral("Close"));
    // The cut goes to the clip that was opened, with its length at opening,
    // never to whatever entry the list player has selected since.
    if (Outcome cut = trim.cut(); !cut) {
        needs_.notices.fail(cut.failure());
        return;
    }
    panel_.endTrimming();
}
