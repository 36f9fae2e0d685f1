#include "editor/editorkeys.h"

#include "editor/audition.h"
#include "editor/clipeditorpanel.h"
#include "platform/mci/mmcontrol.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

namespace {

const QKeySequence kPlayStop(Qt::Key_Space), kMarkIn(Qt::Key_I), kMarkOut(Qt::Key_O), kRemove(Qt::Key_Delete),
    kSaveList(Qt::CTRL | Qt::Key_S), kUndo(Qt::CTRL | Qt::Key_Z), kRedo(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
    kNormalize(Qt::Key_N), kChorus(Qt::Key_C), kSnap(Qt::Key_B);

// The shortcut fires only while the Audio Edit panel is the one shown.
QShortcut *panelShortcut(const QKeySequence &key, QWidget &panel)
{
    auto *shortcut = new QShortcut(key, &panel);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    return shortcut;
}

void pressIfEnabled(QAbstractButton *button)
{
    if (button->isEnabled() && button->isVisible())
        button->click();
}

} // namespace

EditorKeys::EditorKeys(MMControl &trimPlayer, ClipEditorPanel &panel, Audition &audition)
    : QObject(&panel), trimPlayer_(trimPlayer), panel_(panel), audition_(audition)
{
    connect(panelShortcut(kPlayStop, panel_), &QShortcut::activated, this, &EditorKeys::playOrStop);
    bind(kMarkIn, panel_.CmdMarkin);
    bind(kMarkOut, panel_.CmdMarkOut);
    bind(kRemove, panel_.Cmdremove);
    bind(kSaveList, panel_.CmdSaveList);
    bind(kUndo, panel_.CmdUndo);
    bind(kRedo, panel_.CmdRedo);
    bind(kNormalize, panel_.CmdNormalize);
    bind(kChorus, panel_.CmdChorus);
    bind(kSnap, panel_.ChkSnapBeat);
    qApp->installEventFilter(this);
}

bool EditorKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Before a key becomes a shortcut the focused widget is asked whether it
    // wants it; a button, check box or list of this panel takes its Space.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier && widget &&
            panel_.isAncestorOf(widget) &&
            (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QAbstractItemView *>(widget))) {
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void EditorKeys::bind(const QKeySequence &key, QAbstractButton *button)
{
    connect(panelShortcut(key, panel_), &QShortcut::activated, button, [button] { pressIfEnabled(button); });
}

void EditorKeys::playOrStop()
{
    if (audition_.ringing())
        return audition_.stopRingtone();
    pressIfEnabled(trimPlayer_.isPlaying() ? panel_.CmdEditStop : panel_.CmdEditPlay);
}

void EditorKeys::showInTooltips()
{
    const std::pair<QAbstractButton *, QKeySequence> keys[] = {
        {panel_.CmdEditPlay, kPlayStop}, {panel_.CmdEditStop, kPlayStop}, {panel_.CmdMarkin, kMarkIn},
        {panel_.CmdMarkOut, kMarkOut},   {panel_.Cmdremove, kRemove},     {panel_.CmdSaveList, kSaveList},
        {panel_.CmdUndo, kUndo},         {panel_.CmdRedo, kRedo},         {panel_.CmdNormalize, kNormalize},
        {panel_.CmdChorus, kChorus},     {panel_.ChkSnapBeat, kSnap},
    };
    for (const auto &[button, key] : keys) {
        // A button without a tooltip of its own names itself by its caption.
        const QString text = button->toolTip().isEmpty() ? button->text() : button->toolTip();
        button->setToolTip(QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    }
}
