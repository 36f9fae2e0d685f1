#include "editor/trimwaveform.h"

#include "core/clipanalysis.h"
#include "core/trimsession.h"
#include "editor/audition.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "editor/peakcache.h"
#include "editor/waveformview.h"
#include "platform/mci/mmcontrol.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

namespace {

constexpr int kRefreshMs = 40; // smooth enough for the moving play position

// The zoom of the waveform, by key and in its context menu.
struct ZoomCommand {
    const char *text;
    QKeySequence key;
    void (*apply)(WaveformView &view);
};
const ZoomCommand kZoom[] = {
    {"Zoom In", QKeySequence(Qt::CTRL | Qt::Key_Equal), [](WaveformView &v) { v.zoomBy(2, v.width() / 2.0); }},
    {"Zoom Out", QKeySequence(Qt::CTRL | Qt::Key_Minus), [](WaveformView &v) { v.zoomBy(0.5, v.width() / 2.0); }},
    {"Whole Clip", QKeySequence(Qt::CTRL | Qt::Key_0), [](WaveformView &v) { v.showWhole(); }},
};

} // namespace

TrimWaveform::TrimWaveform(const TrimSession &trim, const ClipAnalysis &analysis, const MMControl &trimPlayer,
                           ClipEditorPanel &panel, ClipTrimmer &trimmer, const Audition &audition)
    : QObject(&panel), trim_(trim), analysis_(analysis), trimPlayer_(trimPlayer), panel_(panel), trimmer_(trimmer),
      audition_(audition), cache_(new PeakCache(this)),
      view_(makeControl<WaveformView>(panel.Frame3, QStringLiteral("Waveform"), 1320, 780, 5040, 960))
{
    connect(cache_, &PeakCache::ready, this, [this](const QString &path) {
        if (path == clip_)
            view_->setClip(length_, cache_->request(path));
    });
    // An edit keeps the drawing of the clip as it was until the new peaks are there.
    connect(&trim_, &TrimSession::clipEdited, this, [this](const QString &file) {
        if (file != clip_)
            return;
        if (PeakCache::Peaks peaks = cache_->request(file))
            view_->setClip(length_, peaks);
    });
    connect(view_, &WaveformView::clicked, this, &TrimWaveform::playFrom);
    connect(view_, &WaveformView::markMoved, this, [this](WaveformView::Mark which, int dropped) {
        const bool in = which == WaveformView::Mark::In;
        const int ms = trimmer_.markAt(dropped);
        trimmer_.setMarks(in ? ms : trim_.markIn().value_or(0), in ? trim_.markOut().value_or(length_) : ms);
    });
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { contextMenu()->popup(view_->mapToGlobal(at)); });
    for (const ZoomCommand &zoom : kZoom) {
        auto *key = new QShortcut(zoom.key, &panel_);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, view_, [this, &zoom] {
            if (view_->isEnabled())
                zoom.apply(*view_);
        });
    }
    connect(&timer_, &QTimer::timeout, this, &TrimWaveform::sync);
    timer_.start(kRefreshMs);
}

void TrimWaveform::playFrom(int ms)
{
    trimmer_.playFrom(ms);
    sync();
}

QString TrimWaveform::hint() const
{
    return panel_.List1->count() == 0 ? QStringLiteral("Drop songs on the list, or press +")
                                      : QStringLiteral("Double-click a clip to trim it here");
}

void TrimWaveform::sync()
{
    const MMControl *edit = &trimPlayer_;
    if (!edit->isOpen()) {
        clip_.clear();
        length_ = 0;
        view_->clear();
        view_->setHint(hint());
        return;
    }
    view_->setHint({});
    if (edit->FileName() != clip_ || edit->Length() != length_) {
        clip_ = edit->FileName();
        length_ = edit->Length();
        view_->setClip(length_, cache_->request(clip_));
    }
    // The ringtone plays on its own player; its place in the clip shows.
    view_->setPosition(audition_.ringing() ? audition_.ringPosition() : edit->Position());
    view_->setMarks(trim_.markIn(), trim_.markOut());
    view_->setFades(int(trim_.fades().inSeconds * 1000), int(trim_.fades().outSeconds * 1000));
    const bool analysed = analysis_.clipFile() == clip_;
    view_->setBeats(analysed ? analysis_.beats() : std::vector<int>());
    std::vector<std::pair<int, int>> bands;
    for (const ChorusCandidate &c : analysed ? analysis_.chorus() : std::vector<ChorusCandidate>())
        bands.emplace_back(int(c.startSec * 1000), int(c.endSec * 1000));
    view_->setBands(std::move(bands), analysis_.currentChorus());
    // Marks are moved only while they can be taken from the player.
    view_->setEnabled(panel_.CmdMarkin->isEnabled());
}

QMenu *TrimWaveform::contextMenu()
{
    auto *menu = new QMenu(view_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Each entry presses its control, and is offered while the control is.
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
             panel_.CmdUndo, panel_.CmdRedo, panel_.CmdNormalize, panel_.CmdChorus, panel_.ChkSnapBeat}) {
        QAction *action = menu->addAction(b->icon(), b->accessibleName(), b, &QAbstractButton::click);
        action->setEnabled(b->isEnabled());
        action->setCheckable(b->isCheckable());
        action->setChecked(b->isChecked());
    }
    menu->addSeparator();
    for (const ZoomCommand &zoom : kZoom) {
        QAction *action = menu->addAction(QString::fromLatin1(zoom.text), view_, [this, &zoom] { zoom.apply(*view_); });
        action->setShortcut(zoom.key);
        action->setShortcutVisibleInContextMenu(true);
    }
    emit menuBuilt(menu);
    return menu;
}
