#include "editor/waveformview.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {
constexpr double kGrab = 4.0; // pixels either side of a mark line that pick it up
const QColor kBackground(0x26, 0x32, 0x38), kWave(0x4f, 0xc3, 0xf7), kKept(0xff, 0xff, 0xff, 0x30), kCutAway(0x00, 0x00, 0x00, 0x80),
    kMark(0xff, 0xb3, 0x00), kPosition(0xff, 0x52, 0x52);
} // namespace

WaveformView::WaveformView(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    // A click on the waveform takes the focus, so that Space then plays.
    setFocusPolicy(Qt::ClickFocus);
    setToolTip(QStringLiteral("Click to play from here; drag the marks to move them"));
}

void WaveformView::setClip(int lengthMs, PeakCache::Peaks peaks)
{
    if (lengthMs == lengthMs_ && peaks == peaks_)
        return;
    lengthMs_ = lengthMs;
    peaks_ = std::move(peaks);
    dragging_.reset();
    update();
}

void WaveformView::setPosition(int ms)
{
    if (ms != positionMs_) {
        positionMs_ = ms;
        update();
    }
}

void WaveformView::setMarks(std::optional<int> markIn, std::optional<int> markOut)
{
    if (dragging_)
        return; // the mark being dragged is shown where the mouse is
    if (markIn != markIn_ || markOut != markOut_) {
        markIn_ = markIn;
        markOut_ = markOut;
        update();
    }
}

int WaveformView::msAt(double x) const
{
    if (width() <= 0)
        return 0;
    return int(std::llround(std::clamp(x / width(), 0.0, 1.0) * lengthMs_));
}

double WaveformView::xOf(int ms) const { return lengthMs_ > 0 ? double(ms) * width() / lengthMs_ : 0.0; }

void WaveformView::drawPeaks(QPainter &p) const
{
    const double mid = height() / 2.0, scale = height() / 2.0 / 32768.0;
    p.setPen(kWave);
    for (int x = 0; x < width(); ++x) {
        const PeakPair c = peaks_->column(x, width());
        p.drawLine(QPointF(x + 0.5, mid - c.max * scale), QPointF(x + 0.5, mid - c.min * scale));
    }
}

void WaveformView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    if (lengthMs_ <= 0)
        return;
    const bool kept = markIn_ && markOut_ && *markIn_ < *markOut_;
    if (kept)
        p.fillRect(QRectF(xOf(*markIn_), 0, xOf(*markOut_) - xOf(*markIn_), height()), kKept);
    const bool drawn = hasPeaks();
    if (drawn)
        drawPeaks(p);
    if (kept) { // what Done cuts away is dimmed
        p.fillRect(QRectF(0, 0, xOf(*markIn_), height()), kCutAway);
        p.fillRect(QRectF(xOf(*markOut_), 0, width() - xOf(*markOut_), height()), kCutAway);
    }
    p.setPen(QPen(kMark, 2));
    for (const std::optional<int> &m : {markIn_, markOut_})
        if (m)
            p.drawLine(QPointF(xOf(*m), 0), QPointF(xOf(*m), height()));
    p.setPen(kPosition);
    p.drawLine(QPointF(xOf(positionMs_), 0), QPointF(xOf(positionMs_), height()));
    if (drawn)
        emit peaksDrawn();
}

std::optional<WaveformView::Mark> WaveformView::markNear(double x) const
{
    const double in = markIn_ ? std::abs(x - xOf(*markIn_)) : kGrab + 1;
    const double out = markOut_ ? std::abs(x - xOf(*markOut_)) : kGrab + 1;
    if (std::min(in, out) > kGrab)
        return std::nullopt;
    // Two marks on one spot: the one on the side the press is on.
    if (in == out)
        return x < xOf(*markIn_) ? Mark::In : Mark::Out;
    return in < out ? Mark::In : Mark::Out;
}

void WaveformView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || lengthMs_ <= 0)
        return QWidget::mousePressEvent(event);
    dragging_ = markNear(event->position().x());
    if (!dragging_)
        emit clicked(msAt(event->position().x()));
}

void WaveformView::mouseMoveEvent(QMouseEvent *event)
{
    const double x = event->position().x();
    if (!dragging_) {
        setCursor(markNear(x) ? Qt::SizeHorCursor : Qt::PointingHandCursor);
        return;
    }
    (*dragging_ == Mark::In ? markIn_ : markOut_) = msAt(x);
    update();
}

void WaveformView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!dragging_ || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const Mark which = *dragging_;
    const int ms = msAt(event->position().x());
    (which == Mark::In ? markIn_ : markOut_) = ms;
    dragging_.reset();
    update();
    emit markMoved(which, ms);
}
