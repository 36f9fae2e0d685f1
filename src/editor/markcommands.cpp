#include "editor/markcommands.h"

#include "core/clipanalysis.h"
#include "core/trimsession.h"
#include "editor/audition.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "editor/marksdialog.h"
#include "editor/trimwaveform.h"
#include "editor/waveformview.h"
#include "widgets/messages.h"

#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>

namespace {

constexpr int kNudgeMs = 10;
constexpr int kNoBeatSteps = 100; // Ctrl+arrow without beats: 1 s

struct MarkCommand {
    const char *text;
    QKeySequence key;
    void (*run)(MarkCommands &marks, Audition &audition);
    bool ringtone = false; // the entry shows whether the ringtone plays
};
const MarkCommand kCommands[] = {
    {"Set Marks Exactly...", QKeySequence(Qt::Key_T), [](MarkCommands &m, Audition &) { m.setMarksExactly(); }},
    {"Play 2 s From Mark In", QKeySequence(Qt::SHIFT | Qt::Key_I),
     [](MarkCommands &, Audition &a) { a.playFromMarkIn(); }},
    {"Play 2 s Up To Mark Out", QKeySequence(Qt::SHIFT | Qt::Key_O),
     [](MarkCommands &, Audition &a) { a.playToMarkOut(); }},
    {"Play as Ringtone", QKeySequence(Qt::Key_L), [](MarkCommands &, Audition &a) { a.toggleRingtone(); }, true},
    {"Trim Silence", QKeySequence(Qt::Key_S), [](MarkCommands &m, Audition &) { m.trimSilence(); }},
};

struct NudgeKey {
    QKeySequence key;
    int steps;
    bool toBeat;
};
const NudgeKey kNudges[] = {
    {QKeySequence(Qt::Key_Left), -1, false},           {QKeySequence(Qt::Key_Right), 1, false},
    {QKeySequence(Qt::SHIFT | Qt::Key_Left), -10, false}, {QKeySequence(Qt::SHIFT | Qt::Key_Right), 10, false},
    {QKeySequence(Qt::CTRL | Qt::Key_Left), -1, true},  {QKeySequence(Qt::CTRL | Qt::Key_Right), 1, true},
};

QString keyText(const QKeySequence &key) { return key.toString(QKeySequence::NativeText); }

// The beat after `ms` (steps > 0) or before it, if there is one.
std::optional<int> neighbouringBeat(const std::vector<int> &beats, int ms, int steps)
{
    if (steps > 0) {
        const auto next = std::upper_bound(beats.begin(), beats.end(), ms);
        return next == beats.end() ? std::nullopt : std::optional<int>(*next);
    }
    const auto after = std::lower_bound(beats.begin(), beats.end(), ms);
    return after == beats.begin() ? std::nullopt : std::optional<int>(*(after - 1));
}

} // namespace

MarkCommands::MarkCommands(const TrimSession &trim, const ClipAnalysis &analysis, ClipEditorPanel &panel,
                           ClipTrimmer &trimmer, TrimWaveform &waveform, Audition &audition)
    : QObject(&panel), trim_(trim), analysis_(analysis), panel_(panel), trimmer_(trimmer), waveform_(waveform),
      audition_(audition)
{
    QStringList keys;
    for (const MarkCommand &command : kCommands) {
        auto *shortcut = new QShortcut(command.key, &panel_);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        connect(shortcut, &QShortcut::activated, this, [this, &command] { command.run(*this, audition_); });
        keys << QStringLiteral("%1: %2").arg(keyText(command.key), QString::fromLatin1(command.text).remove(QStringLiteral("...")));
    }
    WaveformView *view = waveform_.view();
    for (const NudgeKey &nudge : kNudges) {
        auto *shortcut = new QShortcut(nudge.key, view);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, &nudge] { this->nudge(nudge.steps, nudge.toBeat); });
    }
    view->setToolTip(view->toolTip() + QStringLiteral("\n%1/%2 nudge the mark set last by 10 ms, %3/%4 by 100 ms, "
                                                      "%5/%6 to the previous/next beat (1 s without beats)\n")
                                           .arg(keyText(kNudges[0].key), keyText(kNudges[1].key), keyText(kNudges[2].key),
                                                keyText(kNudges[3].key), keyText(kNudges[4].key), keyText(kNudges[5].key)) +
                     keys.join(QStringLiteral("; ")));
}

bool MarkCommands::markable() const
{
    return panel_.CmdMarkin->isEnabled() && !trim_.clipFile().isEmpty() && trim_.markIn() && trim_.markOut();
}

void MarkCommands::setMarks(int markIn, int markOut)
{
    trimmer_.setMarks(markIn, markOut);
    waveform_.sync();
}

void MarkCommands::setMarksExactly()
{
    if (!markable())
        return;
    auto *dialog = new MarksDialog(panel_.window(), *trim_.markIn(), *trim_.markOut(), trim_.clip()->lengthMs);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &MarksDialog::marksChosen, this, [this](int in, int out) {
        if (markable())
            setMarks(in, out);
    });
    dialog->open();
}

void MarkCommands::trimSilence()
{
    if (!markable())
        return;
    const Result<std::pair<int, int>> sound = trim_.audibleMarks();
    if (!sound) {
        showFailure(panel_.window(), sound.failure());
        return;
    }
    setMarks(sound.value().first, sound.value().second);
}

void MarkCommands::nudge(int steps, bool toBeat)
{
    if (!markable())
        return;
    const MarkSide side = trim_.lastMark();
    const int at = side == MarkSide::In ? *trim_.markIn() : *trim_.markOut();
    qint64 target = at + qint64(steps) * kNudgeMs;
    if (toBeat) {
        const bool beatsKnown =
            analysis_.clipFile() == trim_.clipFile() && analysis_.beatsKnown() && !analysis_.beats().empty();
        if (!beatsKnown)
            target = at + qint64(steps) * kNoBeatSteps * kNudgeMs;
        else
            target = neighbouringBeat(analysis_.beats(), at, steps).value_or(at);
    }
    const int ms = trim_.markWithinLimits(side, target);
    setMarks(side == MarkSide::In ? ms : *trim_.markIn(), side == MarkSide::Out ? ms : *trim_.markOut());
}

void MarkCommands::addTo(QMenu *menu)
{
    QAction *first = menu->actions().value(0);
    const bool enabled = markable();
    for (const MarkCommand &command : kCommands) {
        auto *action = new QAction(QString::fromLatin1(command.text), menu);
        action->setShortcut(command.key);
        action->setShortcutVisibleInContextMenu(true);
        action->setEnabled(enabled || (command.ringtone && audition_.ringing()));
        action->setCheckable(command.ringtone);
        action->setChecked(command.ringtone && audition_.ringing());
        connect(action, &QAction::triggered, this, [this, &command] { command.run(*this, audition_); });
        menu->insertAction(first, action);
    }
    if (first)
        menu->insertSeparator(first);
}
