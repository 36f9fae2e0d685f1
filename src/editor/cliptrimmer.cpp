#include "editor/cliptrimmer.h"

#include "base/paths.h"
#include "core/clipanalysis.h"
#include "core/trimsession.h"
#include "editor/clipeditorpanel.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
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

ClipTrimmer::ClipTrimmer(TrimSession &trim, const ClipAnalysis &analysis, MMControl &trimPlayer,
                         MMControl &listPlayer, const AppPaths &paths, const Notices &notices, ClipEditorPanel &panel)
    : QObject(&panel), trim_(trim), analysis_(analysis), trimPlayer_(trimPlayer), listPlayer_(listPlayer),
      paths_(paths), notices_(notices), panel_(panel)
{
    connect(panel_.List1, &QListWidget::itemDoubleClicked, this, &ClipTrimmer::List1_DblClick);
    connect(panel_.CmdEditPlay, &QPushButton::clicked, this, &ClipTrimmer::CmdEditPlay_Click);
    connect(panel_.CmdEditStop, &QPushButton::clicked, this, &ClipTrimmer::CmdEditStop_Click);
    connect(panel_.CmdMarkin, &QPushButton::clicked, this, &ClipTrimmer::CmdMarkin_Click);
    connect(panel_.CmdMarkOut, &QPushButton::clicked, this, &ClipTrimmer::CmdMarkOut_Click);
    connect(panel_.CmdEditDone, &QPushButton::clicked, this, &ClipTrimmer::CmdEditDone_Click);
    connect(&trimPlayer_, &MMControl::StatusUpdate, this, &ClipTrimmer::MMCEdit_StatusUpdate);
    connect(&trim_, &TrimSession::clipEdited, this, &ClipTrimmer::followEditedClip);
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
    listPlayer_.setCommand(QStringLiteral("Stop"));
    listPlayer_.setCommand(QStringLiteral("Close"));
    trimPlayer_.setCommand(QStringLiteral("Stop"));
    QListWidgetItem *item = panel_.List1->currentItem();
    if (item) {
        trimPlayer_.setFileName(paths_.clipFile(item->text()));
        trimPlayer_.setCommand(QStringLiteral("open"));
    }
    const int length = trimPlayer_.Length();
    quiet_ = true;
    panel_.SliderEdit->setMaximum(roundedSeconds(length));
    quiet_ = false;
    trim_.open(item ? item->text() : QString(), length);
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblin->setText(QStringLiteral("00:00:00"));
    panel_.startTrimming();
}

void ClipTrimmer::CmdEditPlay_Click()
{
    emit aboutToPlay();
    trimPlayer_.setCommand(QStringLiteral("play"));
}
void ClipTrimmer::CmdEditStop_Click() { trimPlayer_.setCommand(QStringLiteral("stop")); }

void ClipTrimmer::SliderEdit_Click() { playFrom(panel_.SliderEdit->value() * 1000); }

void ClipTrimmer::playFrom(int ms)
{
    emit aboutToPlay();
    trimPlayer_.setFrom(ms);
    trimPlayer_.setCommand(QStringLiteral("Play"));
}

void ClipTrimmer::MMCEdit_StatusUpdate()
{
    const int position = trimPlayer_.Position();
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(position)));
    if (!panel_.SliderEdit->isSliderDown())
        setSliderQuietly(roundedSeconds(position));
}

int ClipTrimmer::markAt(int ms) const
{
    return panel_.ChkSnapBeat->isChecked() ? analysis_.snapped(ms) : ms;
}

// The label shows the slider's whole seconds, or the mark's own when it
// snapped to a beat away from the player's position.
int ClipTrimmer::takeMark(QLabel *label) const
{
    const int position = trimPlayer_.Position(), mark = markAt(position);
    label->setText(formatSeconds(mark == position ? panel_.SliderEdit->value() : roundedSeconds(mark)));
    return mark;
}

void ClipTrimmer::CmdMarkin_Click() { trim_.setMarkIn(takeMark(panel_.Lblin)); }
void ClipTrimmer::CmdMarkOut_Click() { trim_.setMarkOut(takeMark(panel_.Lblout)); }

void ClipTrimmer::setMarks(int markIn, int markOut)
{
    trim_.setMarks(markIn, markOut);
    panel_.Lblin->setText(formatSeconds(roundedSeconds(markIn)));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(markOut)));
}

void ClipTrimmer::followEditedClip(const QString &clipFile)
{
    if (!trimPlayer_.isOpen() || trimPlayer_.FileName() != clipFile)
        return;
    const bool playing = trimPlayer_.isPlaying();
    const int at = trimPlayer_.Position();
    trimPlayer_.setCommand(QStringLiteral("Close"));
    trimPlayer_.setCommand(QStringLiteral("open"));
    const int length = trimPlayer_.Length();
    trimPlayer_.setFrom(std::min(at, length));
    if (playing)
        trimPlayer_.setCommand(QStringLiteral("play"));
    if (!trim_.clip() || trim_.clip()->lengthMs == length)
        return;
    quiet_ = true;
    panel_.SliderEdit->setMaximum(roundedSeconds(length));
    quiet_ = false;
    trim_.setLength(length);
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblin->setText(formatSeconds(roundedSeconds(trim_.markIn().value_or(0))));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(trim_.markOut().value_or(0))));
}

void ClipTrimmer::CmdEditDone_Click()
{
    // Unset marks compare as equal.
    if (!trim_.marksValid()) {
        dialogs::MsgBox(&notices_.window(), QStringLiteral("Time Input Error"));
        return;
    }
    trimPlayer_.setCommand(QStringLiteral("Stop"));
    trimPlayer_.setCommand(QStringLiteral("Close"));
    // The cut goes to the clip that was opened, with its length at opening,
    // never to whatever entry the list player has selected since.
    if (Outcome cut = trim_.cut(); !cut) {
        notices_.fail(cut.failure());
        return;
    }
    panel_.endTrimming();
}
