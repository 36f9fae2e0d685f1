#include "editor/waveformview.h"

#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kGrab = 4.0;        // pixels either side of a mark line that pick it up
constexpr double kPanStart = 3.0;    // pixels a press moves before it pans instead of clicking
constexpr double kWheelZoom = 1.25;  // per notch of the wheel
constexpr double kShortestSpanMs = 500;
} // namespace

WaveformView::WaveformView(QWidget *parent) : QWidget(parent), scroll_(new QScrollBar(Qt::Horizontal, this))
{
    setMouseTracking(true);
    // A click on the waveform takes the focus, so that Space then plays.
    setFocusPolicy(Qt::ClickFocus);
    setToolTip(QStringLiteral("Click to play from here; drag the marks to move them; the wheel zooms (Ctrl+=, Ctrl+-, "
                              "Ctrl+0), a drag pans; right-click for the edits"));
    setAccessibleName(QStringLiteral("Waveform"));
    scroll_->setObjectName(QStringLiteral("WaveformScroll"));
    scroll_->setAccessibleName(QStringLiteral("Scroll the waveform"));
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setRange(0, 0);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int ms) {
        if (!syncingScroll_)
            scrollTo(ms);
    });
}

void WaveformView::setClip(int lengthMs, PeakCache::Peaks peaks)
{
    if (lengthMs == lengthMs_ && peaks == peaks_)
        return;
    if (lengthMs != lengthMs_) {
        lengthMs_ = lengthMs;
        viewStart_ = 0;
        viewSpan_ = lengthMs;
    }
    peaks_ = std::move(peaks);
    dragging_.reset();
    viewChanged();
}

void WaveformView::setPosition(int ms)
{
    if (ms == positionMs_)
        return;
    // A play that runs past the right edge turns the page, so that the
    // position stays in sight while zoomed in.
    const double end = viewStart_ + viewSpan_;
    const bool wasInSight = positionMs_ >= viewStart_ && positionMs_ <= end;
    positionMs_ = ms;
    if (wasInSight && ms > end && !pressX_ && !dragging_)
        scrollTo(ms - viewSpan_ * 0.05);
    update();
}

void WaveformView::setHint(const QString &hint)
{
    if (hint != hint_) {
        hint_ = hint;
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

void WaveformView::setFades(int inMs, int outMs)
{
    if (inMs != fadeInMs_ || outMs != fadeOutMs_) {
        fadeInMs_ = inMs;
        fadeOutMs_ = outMs;
        update();
    }
}

void WaveformView::setBeats(std::vector<int> beatsMs)
{
    if (beatsMs != beats_) {
        beats_ = std::move(beatsMs);
        update();
    }
}

void WaveformView::setBands(std::vector<std::pair<int, int>> bands, int current)
{
    if (bands != bands_ || current != currentBand_) {
        bands_ = std::move(bands);
        currentBand_ = current;
        update();
    }
}

double WaveformView::shortestSpan() const
{
    // No closer than a column to a bucket of peaks, nor than half a second.
    double bucketMs = 0;
    if (hasPeaks() && peaks_->sampleRate > 0)
        bucketMs = peaks_->framesPerBucket * 1000.0 / peaks_->sampleRate;
    return std::min<double>(lengthMs_, std::max(kShortestSpanMs, bucketMs * width()));
}

void WaveformView::zoomBy(double factor, double x)
{
    if (lengthMs_ <= 0 || factor <= 0)
        return;
    const double anchor = viewStart_ + std::clamp(x / std::max(1, width()), 0.0, 1.0) * viewSpan_;
    const double span = std::clamp(viewSpan_ / factor, shortestSpan(), double(lengthMs_));
    viewStart_ = anchor - (anchor - viewStart_) * span / viewSpan_;
    viewSpan_ = span;
    scrollTo(viewStart_);
}

void WaveformView::showWhole()
{
    viewStart_ = 0;
    viewSpan_ = lengthMs_;
    viewChanged();
}

void WaveformView::scrollTo(double ms)
{
    viewStart_ = std::clamp(ms, 0.0, std::max(0.0, lengthMs_ - viewSpan_));
    viewChanged();
}

void WaveformView::viewChanged()
{
    syncingScroll_ = true;
    scroll_->setRange(0, std::max(0, int(std::lround(lengthMs_ - viewSpan_))));
    scroll_->setPageStep(std::max(1, int(viewSpan_)));
    scroll_->setSingleStep(std::max(1, int(viewSpan_ / 10)));
    scroll_->setValue(int(std::lround(viewStart_)));
    scroll_->setVisible(viewSpan_ < lengthMs_); // shown while zoomed in
    syncingScroll_ = false;
    update();
}

void WaveformView::resizeEvent(QResizeEvent *)
{
    scroll_->setGeometry(0, height() - kScrollHeight, width(), kScrollHeight);
}

int WaveformView::msAt(double x) const
{
    if (width() <= 0)
        return 0;
    return int(std::llround(viewStart_ + std::clamp(x / width(), 0.0, 1.0) * viewSpan_));
}

double WaveformView::xOf(double ms) const { return viewSpan_ > 0 ? (ms - viewStart_) * width() / viewSpan_ : 0.0; }

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

void WaveformView::wheelEvent(QWheelEvent *event)
{
    if (lengthMs_ <= 0)
        return;
    const QPoint delta = event->angleDelta();
    const bool sideways = (event->modifiers() & Qt::ShiftModifier) || std::abs(delta.x()) > std::abs(delta.y());
    const double notches = (sideways ? (delta.x() ? delta.x() : delta.y()) : delta.y()) / 120.0;
    if (sideways)
        scrollTo(viewStart_ - notches * viewSpan_ / 10);
    else
        zoomBy(std::pow(kWheelZoom, notches), event->position().x());
    event->accept();
}

void WaveformView::mousePressEvent(QMouseEvent *event)
{
    const bool left = event->button() == Qt::LeftButton;
    if ((!left && event->button() != Qt::MiddleButton) || lengthMs_ <= 0)
        return QWidget::mousePressEvent(event);
    const double x = event->position().x();
    dragging_ = left ? markNear(x) : std::nullopt;
    if (!dragging_) {
        pressX_ = x;
        pressStart_ = viewStart_;
        panning_ = !left; // the middle button only pans
    }
}

void WaveformView::mouseMoveEvent(QMouseEvent *event)
{
    const double x = event->position().x();
    if (pressX_) {
        panning_ = panning_ || std::abs(x - *pressX_) >= kPanStart;
        if (panning_ && width() > 0)
            scrollTo(pressStart_ - (x - *pressX_) * viewSpan_ / width());
        return;
    }
    if (!dragging_) {
        setCursor(markNear(x) ? Qt::SizeHorCursor : Qt::PointingHandCursor);
        return;
    }
    (*dragging_ == Mark::In ? markIn_ : markOut_) = msAt(x);
    update();
}

void WaveformView::mouseReleaseEvent(QMouseEvent *event)
{
    const double x = event->position().x();
    if (pressX_) {
        const bool click = !panning_;
        pressX_.reset();
        panning_ = false;
        if (click)
            emit clicked(msAt(x));
        return;
    }
    if (!dragging_ || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const Mark which = *dragging_;
    const int ms = msAt(x);
    (which == Mark::In ? markIn_ : markOut_) = ms;
    dragging_.reset();
    update();
    emit markMoved(which, ms);
}
