#include "editor/trimwaveform.h"

#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliptrimmer.h"
#include "editor/peakcache.h"
#include "editor/waveformview.h"
#include "platform/mci/mmcontrol.h"
#include "widgets/twips.h"

#include <QPushButton>

namespace {
constexpr int kRefreshMs = 40; // smooth enough for the moving play position
}

TrimWaveform::TrimWaveform(Workspace &workspace, ClipEditorPanel &panel, ClipTrimmer &trimmer)
    : QObject(&panel), workspace_(workspace), panel_(panel), trimmer_(trimmer), cache_(new PeakCache(this)),
      view_(makeControl<WaveformView>(panel.Frame3, QStringLiteral("picWave"), 1320, 780, 5040, 960))
{
    connect(cache_, &PeakCache::ready, this, [this](const QString &path) {
        if (path == clip_)
            view_->setClip(length_, cache_->request(path));
    });
    connect(view_, &WaveformView::clicked, this, &TrimWaveform::playFrom);
    connect(view_, &WaveformView::markMoved, this, [this](WaveformView::Mark which, int ms) {
        const bool in = which == WaveformView::Mark::In;
        const TrimSession &trim = workspace_.trim();
        trimmer_.setMarks(in ? ms : trim.markIn().value_or(0), in ? trim.markOut().value_or(length_) : ms);
    });
    connect(&timer_, &QTimer::timeout, this, &TrimWaveform::sync);
    timer_.start(kRefreshMs);
}

void TrimWaveform::playFrom(int ms)
{
    MMControl &edit = workspace_.trimPlayer();
    edit.setFrom(ms);
    edit.setCommand(QStringLiteral("Play"));
    sync();
}

void TrimWaveform::sync()
{
    const MMControl *edit = &workspace_.trimPlayer();
    if (!edit->isOpen()) {
        clip_.clear();
        length_ = 0;
        view_->clear();
        return;
    }
    if (edit->FileName() != clip_ || edit->Length() != length_) {
        clip_ = edit->FileName();
        length_ = edit->Length();
        view_->setClip(length_, cache_->request(clip_));
    }
    view_->setPosition(edit->Position());
    view_->setMarks(workspace_.trim().markIn(), workspace_.trim().markOut());
    // Marks are moved only while they can be taken from the player.
    view_->setEnabled(panel_.CmdMarkin->isEnabled());
}
