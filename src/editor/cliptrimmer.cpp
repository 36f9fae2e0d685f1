#include "editor/cliptrimmer.h"

#include "audio/wavformat.h"
#include "editor/clipeditorpanel.h"
#include "editor/editorstate.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"
#include "platform/mci/waveaudio.h"
#include "shell/frmmain.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

ClipTrimmer::ClipTrimmer(Frmmain &form, ClipEditorPanel &panel, EditorState &state)
    : QObject(&form), form_(form), panel_(panel), state_(state)
{
    connect(panel_.List1, &QListWidget::itemDoubleClicked, this, &ClipTrimmer::List1_DblClick);
    connect(panel_.CmdEditPlay, &QPushButton::clicked, this, &ClipTrimmer::CmdEditPlay_Click);
    connect(panel_.CmdEditStop, &QPushButton::clicked, this, &ClipTrimmer::CmdEditStop_Click);
    connect(panel_.CmdMarkin, &QPushButton::clicked, this, &ClipTrimmer::CmdMarkin_Click);
    connect(panel_.CmdMarkOut, &QPushButton::clicked, this, &ClipTrimmer::CmdMarkOut_Click);
    connect(panel_.CmdEditDone, &QPushButton::clicked, this, &ClipTrimmer::CmdEditDone_Click);
    connect(form_.MMCEdit(), &MMControl::StatusUpdate, this, &ClipTrimmer::MMCEdit_StatusUpdate);
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
    MMControl *edit = form_.MMCEdit();
    form_.MMCPlayList()->setCommand(QStringLiteral("Stop"));
    form_.MMCPlayList()->setCommand(QStringLiteral("Close"));
    edit->setCommand(QStringLiteral("Stop"));
    QListWidgetItem *item = panel_.List1->currentItem();
    if (item) {
        edit->setFileName(form_.paths().clipFile(item->text()));
        edit->setCommand(QStringLiteral("open"));
    }
    const int length = edit->Length();
    if (item)
        state_.openClip = TrimmedClip{item->text(), length};
    else
        state_.openClip.reset();
    quiet_ = true;
    panel_.SliderEdit->setMaximum(roundedSeconds(length));
    quiet_ = false;
    state_.editMode = QStringLiteral("Edit");
    state_.markIn = 0;
    state_.markOut = length;
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(length)));
    panel_.Lblin->setText(QStringLiteral("00:00:00"));
    panel_.SliderEdit->setEnabled(true);
    for (QWidget *w : {panel_.CmdEditPlay, panel_.CmdEditStop, panel_.CmdMarkin, panel_.CmdMarkOut, panel_.CmdEditDone})
        w->setEnabled(true);
    for (QWidget *w : {panel_.CmdFoward, panel_.CmdPause, panel_.CmdPlay, panel_.CmdStop, panel_.CmdNext})
        w->setEnabled(false);
}

void ClipTrimmer::CmdEditPlay_Click() { form_.MMCEdit()->setCommand(QStringLiteral("play")); }
void ClipTrimmer::CmdEditStop_Click() { form_.MMCEdit()->setCommand(QStringLiteral("stop")); }

void ClipTrimmer::SliderEdit_Click()
{
    form_.MMCEdit()->setFrom(panel_.SliderEdit->value() * 1000);
    form_.MMCEdit()->setCommand(QStringLiteral("Play"));
}

void ClipTrimmer::MMCEdit_StatusUpdate()
{
    const int position = form_.MMCEdit()->Position();
    panel_.Lbltotal->setText(formatSeconds(roundedSeconds(position)));
    if (!panel_.SliderEdit->isSliderDown())
        setSliderQuietly(roundedSeconds(position));
}

void ClipTrimmer::CmdMarkin_Click()
{
    state_.markIn = form_.MMCEdit()->Position();
    panel_.Lblin->setText(formatSeconds(panel_.SliderEdit->value()));
}

void ClipTrimmer::CmdMarkOut_Click()
{
    state_.markOut = form_.MMCEdit()->Position();
    panel_.Lblout->setText(formatSeconds(panel_.SliderEdit->value()));
}

void ClipTrimmer::setMarks(int markIn, int markOut)
{
    state_.markIn = markIn;
    state_.markOut = markOut;
    panel_.Lblin->setText(formatSeconds(roundedSeconds(markIn)));
    panel_.Lblout->setText(formatSeconds(roundedSeconds(markOut)));
}

void ClipTrimmer::CmdEditDone_Click()
{
    // Unset marks compare as equal.
    if (!state_.markIn || !state_.markOut || *state_.markIn >= *state_.markOut) {
        dialogs::MsgBox(&form_, QStringLiteral("Time Input Error"));
        return;
    }
    MMControl *edit = form_.MMCEdit();
    edit->setCommand(QStringLiteral("Stop"));
    edit->setCommand(QStringLiteral("Close"));
    // The cut goes to the clip that was opened, with its length at opening,
    // never to whatever entry the list player has selected since.
    const std::optional<TrimmedClip> &clip = state_.openClip;
    QString error;
    if (!clip)
        error = QStringLiteral("No clip is open for trimming; nothing was cut.");
    else if (panel_.List1->findItems(clip->name, Qt::MatchExactly).isEmpty())
        error = QStringLiteral("The clip %1 was removed from the list; nothing was cut.").arg(clip->name);
    else
        error = cutClip(form_.paths().clipFile(clip->name), *state_.markIn, *state_.markOut, clip->lengthMs);
    if (!error.isEmpty()) {
        dialogs::MsgBox(&form_, error, dialogs::Buttons::Ok, QString(), dialogs::Icon::Warning);
        return;
    }
    state_.editMode = QStringLiteral("Play");
    for (QWidget *w : {panel_.CmdEditPlay, panel_.CmdEditStop, panel_.CmdMarkin, panel_.CmdMarkOut, panel_.CmdEditDone})
        w->setEnabled(false);
}

QString ClipTrimmer::cutClip(const QString &clipFile, int in, int out, int length)
{
    const AppPaths &paths = form_.paths();
    AppPaths::ensurePrivateDir(paths.scratchDir);
    const QString temp = paths.scratchFile(QStringLiteral("temp.wav"));
    const QString temp2 = paths.scratchFile(QStringLiteral("temp2.wav"));
    const QString part = clipFile + QStringLiteral(".part");
    auto cleanUp = [&] {
        QFile::remove(temp2);
        QFile::remove(temp);
        QFile::remove(part);
    };
    cleanUp();
    const QString failed = QStringLiteral("The clip %1 could not be cut; it is unchanged.").arg(clipFile);
    if (!QFile::copy(clipFile, temp)) {
        cleanUp();
        return failed;
    }
    const QString quoted = QLatin1Char('"') + temp + QLatin1Char('"');
    const QString quoted2 = QLatin1Char('"') + temp2 + QLatin1Char('"');
    const QString commands[] = {
        QStringLiteral("open ") + quoted + QStringLiteral(" type waveaudio alias voice1"),
        QStringLiteral("delete voice1 from 0 to ") + QString::number(in),
        QStringLiteral("delete voice1 from ") + QString::number(out - in) + QStringLiteral(" to ") +
            QString::number(length - in),
        QStringLiteral("save  voice1 ") + quoted2,
        QStringLiteral("close voice1"),
    };
    bool ok = true;
    for (const QString &command : commands)
        ok = mciSendStringA(command) == 0 && ok;
    // The clip is replaced only by a complete, readable result.
    if (!ok || !readWavInfo(temp2).ok || !QFile::copy(temp2, part) || !replaceFile(part, clipFile)) {
        cleanUp();
        return failed;
    }
    cleanUp();
    return QString();
}
