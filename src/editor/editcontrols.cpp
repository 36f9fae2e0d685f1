#include "editor/editcontrols.h"

#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "editor/editorneeds.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QDoubleSpinBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

QString formatTenths(int ms) { return QString::number(ms / 1000.0, 'f', 1) + QStringLiteral(" s"); }

ClipEditControls::ClipEditControls(const EditorNeeds &needs, ClipEditorPanel &panel)
    : QObject(&panel), needs_(needs), workspace_(needs.workspace), panel_(panel), markIn_(panel.CmdMarkin)
{
    TrimSession &trim = workspace_.trim();
    connect(panel_.CmdUndo, &QPushButton::clicked, this, &ClipEditControls::CmdUndo_Click);
    connect(panel_.CmdRedo, &QPushButton::clicked, this, &ClipEditControls::CmdRedo_Click);
    connect(panel_.CmdNormalize, &QPushButton::clicked, this, &ClipEditControls::CmdNormalize_Click);

    panel_.FadeIn->setValue(trim.fades().inSeconds);
    panel_.FadeOut->setValue(trim.fades().outSeconds);
    for (QDoubleSpinBox *box : {panel_.FadeIn, panel_.FadeOut})
        connect(box, &QDoubleSpinBox::valueChanged, this, &ClipEditControls::takeFades);

    for (auto signal : {&TrimSession::opened, &TrimSession::marksChanged, &TrimSession::modeChanged,
                        &TrimSession::historyChanged})
        connect(&trim, signal, this, &ClipEditControls::refresh);
    // Find Chorus works while a clip is open for marking, exactly when Mark In does.
    panel_.CmdMarkin->installEventFilter(this);
    refresh();
}

bool ClipEditControls::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && watched == markIn_)
        refresh();
    return QObject::eventFilter(watched, event);
}

void ClipEditControls::refresh()
{
    const TrimSession &trim = workspace_.trim();
    panel_.CmdUndo->setEnabled(trim.canUndo());
    panel_.CmdRedo->setEnabled(trim.canRedo());
    panel_.CmdNormalize->setEnabled(!trim.clipFile().isEmpty());
    panel_.CmdChorus->setEnabled(panel_.CmdMarkin->isEnabled() && !trim.clipFile().isEmpty());
    const bool marked = trim.markIn() && trim.markOut();
    panel_.LblSelection->setText(marked ? formatTenths(std::max(0, *trim.markOut() - *trim.markIn())) : QString());
}

void ClipEditControls::takeFades()
{
    workspace_.trim().setFades({panel_.FadeIn->value(), panel_.FadeOut->value()});
}

void ClipEditControls::report(const Outcome &outcome)
{
    if (!outcome)
        needs_.notices.fail(outcome.failure());
    refresh();
}

void ClipEditControls::CmdUndo_Click() { report(workspace_.trim().undo()); }
void ClipEditControls::CmdRedo_Click() { report(workspace_.trim().redo()); }

void ClipEditControls::CmdNormalize_Click()
{
    // Measuring and rewriting a long clip takes a moment.
    Outcome done = Outcome::success();
    {
        BusyScope busy(needs_.busy);
        done = workspace_.trim().normalize();
    }
    report(done);
}
