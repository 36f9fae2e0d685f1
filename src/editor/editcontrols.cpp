#include "editor/editcontrols.h"

#include "core/trimsession.h"
#include "editor/clipeditorpanel.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QDoubleSpinBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

QString formatTenths(int ms) { return QString::number(ms / 1000.0, 'f', 1) + QStringLiteral(" s"); }

ClipEditControls::ClipEditControls(TrimSession &trim, BusyWindow &busy, const Notices &notices, ClipEditorPanel &panel)
    : QObject(&panel), trim_(trim), busy_(busy), notices_(notices), panel_(panel), markIn_(panel.CmdMarkin)
{
    connect(panel_.CmdUndo, &QPushButton::clicked, this, &ClipEditControls::CmdUndo_Click);
    connect(panel_.CmdRedo, &QPushButton::clicked, this, &ClipEditControls::CmdRedo_Click);
    connect(panel_.CmdNormalize, &QPushButton::clicked, this, &ClipEditControls::CmdNormalize_Click);

    panel_.FadeIn->setValue(trim_.fades().inSeconds);
    panel_.FadeOut->setValue(trim_.fades().outSeconds);
    for (QDoubleSpinBox *box : {panel_.FadeIn, panel_.FadeOut})
        connect(box, &QDoubleSpinBox::valueChanged, this, &ClipEditControls::takeFades);

    for (auto signal : {&TrimSession::opened, &TrimSession::marksChanged, &TrimSession::modeChanged,
                        &TrimSession::historyChanged})
        connect(&trim_, signal, this, &ClipEditControls::refresh);
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
    panel_.CmdUndo->setEnabled(trim_.canUndo());
    panel_.CmdRedo->setEnabled(trim_.canRedo());
    panel_.CmdNormalize->setEnabled(!trim_.clipFile().isEmpty());
    panel_.CmdChorus->setEnabled(panel_.CmdMarkin->isEnabled() && !trim_.clipFile().isEmpty());
    const bool marked = trim_.markIn() && trim_.markOut();
    panel_.LblSelection->setText(marked ? formatTenths(std::max(0, *trim_.markOut() - *trim_.markIn())) : QString());
}

void ClipEditControls::takeFades()
{
    trim_.setFades({panel_.FadeIn->value(), panel_.FadeOut->value()});
}

void ClipEditControls::report(const Outcome &outcome)
{
    if (!outcome)
        notices_.fail(outcome.failure());
    refresh();
}

void ClipEditControls::CmdUndo_Click() { report(trim_.undo()); }
void ClipEditControls::CmdRedo_Click() { report(trim_.redo()); }

void ClipEditControls::CmdNormalize_Click()
{
    // Measuring and rewriting a long clip takes a moment.
    Outcome done = Outcome::success();
    {
        BusyScope busy(busy_);
        done = trim_.normalize();
    }
    report(done);
}
