// The drawing of WaveformView: the ruler, the wave, and what lies over it.
#include "editor/waveformview.h"

#include "edits/fades.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kRulerHeight = 12;
constexpr double kGuideShadeMs = 30000; // a ringtone longer than this is long
constexpr double kGuideLineMs = 40000;  // the longest some phones take
constexpr double kLabelRoomPx = 46;     // room a ruler label wants

const QColor kBackground(0x26, 0x32, 0x38), kRuler(0x1c, 0x25, 0x29), kRulerText(0xb0, 0xbe, 0xc5),
    kWave(0x4f, 0xc3, 0xf7), kKept(0xff, 0xff, 0xff, 0x30), kCutAway(0x00, 0x00, 0x00, 0x80), kMark(0xff, 0xb3, 0x00),
    kPosition(0xff, 0x52, 0x52), kFade(0xc6, 0xff, 0x00), kBeat(0xff, 0xff, 0xff, 0x90), kBand(0x69, 0xf0, 0xae, 0x22),
    kCurrentBand(0x69, 0xf0, 0xae, 0x48), kLong(0xff, 0x98, 0x00, 0x30), kLongest(0xff, 0x17, 0x44);

// A ruler step that leaves room for its labels.
double rulerStepMs(double msPerPx)
{
    static const double steps[] = {100, 200, 500, 1000, 2000, 5000, 10000, 15000, 30000, 60000, 120000, 300000, 600000};
    for (double step : steps)
        if (step / msPerPx >= kLabelRoomPx)
            return step;
    return steps[std::size(steps) - 1];
}

QString rulerLabel(double ms, double stepMs)
{
    const int tenths = int(std::lround(ms / 100));
    const QString minutes = QStringLiteral("%1:%2").arg(tenths / 600).arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'));
    return stepMs < 1000 ? minutes + QStringLiteral(".%1").arg(tenths % 10) : minutes;
}

} // namespace

QRectF WaveformView::waveArea() const
{
    return QRectF(0, kRulerHeight, width(), std::max(1, height() - kRulerHeight - kScrollHeight));
}

void WaveformView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    drawRuler(p);
    if (lengthMs_ <= 0) {
        p.setPen(kRulerText);
        p.drawText(waveArea(), Qt::AlignCenter | Qt::TextWordWrap, hint_);
        return;
    }
    const QRectF area = waveArea();
    p.setClipRect(area);
    const bool kept = markIn_ && markOut_ && *markIn_ < *markOut_;
    if (kept)
        p.fillRect(QRectF(xOf(*markIn_), area.top(), xOf(*markOut_) - xOf(*markIn_), area.height()), kKept);
    const bool drawn = hasPeaks();
    if (drawn)
        drawPeaks(p, area);
    drawStretches(p, area, kept);
    if (kept)
        drawFades(p, area);
    drawBeats(p, area);
    drawLines(p, area);
    if (drawn)
        emit peaksDrawn();
}

void WaveformView::drawRuler(QPainter &p) const
{
    p.fillRect(QRectF(0, 0, width(), kRulerHeight), kRuler);
    if (lengthMs_ <= 0 || width() <= 0)
        return;
    const double step = rulerStepMs(viewSpan_ / width());
    QFont small = font();
    small.setPixelSize(kRulerHeight - 3);
    p.setFont(small);
    p.setPen(kRulerText);
    for (double t = std::ceil(viewStart_ / step) * step; t <= viewStart_ + viewSpan_; t += step) {
        const double x = xOf(t);
        p.drawLine(QPointF(x, kRulerHeight - 4), QPointF(x, kRulerHeight));
        p.drawText(QPointF(x + 2, kRulerHeight - 3), rulerLabel(t, step));
    }
}

void WaveformView::drawPeaks(QPainter &p, const QRectF &area) const
{
    const double mid = area.center().y(), scale = area.height() / 2.0 / 32768.0;
    const double framesPerMs = peaks_->sampleRate / 1000.0;
    p.setPen(kWave);
    for (int x = 0; x < width(); ++x) {
        const auto first = qint64((viewStart_ + x * viewSpan_ / width()) * framesPerMs);
        const auto end = qint64((viewStart_ + (x + 1) * viewSpan_ / width()) * framesPerMs);
        const PeakPair c = viewSpan_ >= lengthMs_ ? peaks_->column(x, width()) : peaks_->range(first, end);
        p.drawLine(QPointF(x + 0.5, mid - c.max * scale), QPointF(x + 0.5, mid - c.min * scale));
    }
}

// What Done cuts away, dimmed; the chorus candidates; the length guide.
void WaveformView::drawStretches(QPainter &p, const QRectF &area, bool kept) const
{
    const auto fill = [&](double fromMs, double toMs, const QColor &colour) {
        p.fillRect(QRectF(xOf(fromMs), area.top(), xOf(toMs) - xOf(fromMs), area.height()), colour);
    };
    if (kept) {
        fill(viewStart_, *markIn_, kCutAway);
        fill(*markOut_, viewStart_ + viewSpan_, kCutAway);
    }
    for (size_t i = 0; i < bands_.size(); ++i)
        fill(bands_[i].first, bands_[i].second, int(i) == currentBand_ ? kCurrentBand : kBand);
    if (markIn_ && *markIn_ + kGuideShadeMs < lengthMs_)
        fill(*markIn_ + kGuideShadeMs, lengthMs_, kLong);
}

// The fade curve over the kept stretch: the gain from the bottom (silent)
// to the top (full) of the wave.
void WaveformView::drawFades(QPainter &p, const QRectF &area) const
{
    const double in = *markIn_, out = *markOut_, kept = out - in;
    const auto ramp = [&](double fromMs, double lengthMs, bool rising) {
        if (lengthMs <= 0)
            return;
        QPainterPath path;
        const int steps = std::clamp(int(xOf(fromMs + lengthMs) - xOf(fromMs)), 2, 200);
        for (int k = 0; k <= steps; ++k) {
            const double gain = fadeInGain(rising ? k : steps - k, steps);
            const QPointF at(xOf(fromMs + lengthMs * k / steps), area.bottom() - gain * area.height());
            k == 0 ? path.moveTo(at) : path.lineTo(at);
        }
        p.drawPath(path);
    };
    p.setPen(QPen(kFade, 1.5));
    p.setRenderHint(QPainter::Antialiasing);
    ramp(in, std::min<double>(fadeInMs_, kept), true);
    ramp(out - std::min<double>(fadeOutMs_, kept), std::min<double>(fadeOutMs_, kept), false);
    p.setRenderHint(QPainter::Antialiasing, false);
}

void WaveformView::drawBeats(QPainter &p, const QRectF &area) const
{
    if (beats_.empty())
        return;
    // Ticks closer than a few pixels would merge: every so many is drawn.
    const double pxPerBeat = beats_.size() > 1 ? (xOf(beats_.back()) - xOf(beats_.front())) / double(beats_.size() - 1) : 10;
    const size_t every = pxPerBeat >= 4 ? 1 : size_t(std::ceil(4 / std::max(pxPerBeat, 0.01)));
    p.setPen(kBeat);
    for (size_t i = 0; i < beats_.size(); i += every) {
        const double x = xOf(beats_[i]);
        if (x >= 0 && x <= width())
            p.drawLine(QPointF(x, area.bottom() - 5), QPointF(x, area.bottom()));
    }
}

void WaveformView::drawLines(QPainter &p, const QRectF &area) const
{
    const auto line = [&](double ms) { p.drawLine(QPointF(xOf(ms), area.top()), QPointF(xOf(ms), area.bottom())); };
    if (markIn_ && *markIn_ + kGuideLineMs <= lengthMs_) {
        p.setPen(QPen(kLongest, 1, Qt::DashLine));
        line(*markIn_ + kGuideLineMs);
    }
    p.setPen(QPen(kMark, 2));
    for (const std::optional<int> &m : {markIn_, markOut_})
        if (m)
            line(*m);
    p.setPen(kPosition);
    line(positionMs_);
}
