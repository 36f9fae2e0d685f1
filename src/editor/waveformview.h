#pragma once
#include "editor/peakcache.h"

#include <QWidget>
#include <optional>
#include <vector>

class QScrollBar;

// Draws a clip as its waveform: peaks per pixel column, the play position,
// Mark In and Mark Out as lines with the kept stretch between them shaded,
// and what the ringtone editor adds: the fades as ramps over the kept
// stretch, the beats as ticks, the chorus candidates as faint bands, and the
// length guide (shaded past 30 s from Mark In, a line at 40 s).
//
// A time ruler runs along the top and a scroll bar along the bottom. The
// wheel zooms around the pointer (Shift+wheel, or a sideways wheel, pans);
// the scroll bar or a drag pans. A click asks to play from that point; the
// marks can be dragged. Zooming only changes what is shown: never a mark.
class WaveformView : public QWidget {
    Q_OBJECT
public:
    enum class Mark { In, Out };

    explicit WaveformView(QWidget *parent = nullptr);

    // The clip: its length in ms and its peaks (null: not known yet). A clip
    // of another length is shown whole.
    void setClip(int lengthMs, PeakCache::Peaks peaks);
    void clear() { setClip(0, nullptr); }
    bool hasPeaks() const { return peaks_ && peaks_->ok; }
    void setPosition(int ms);
    int position() const { return positionMs_; }
    // A line of help drawn in the middle while no clip is shown.
    void setHint(const QString &hint);
    QString hint() const { return hint_; }
    void setMarks(std::optional<int> markIn, std::optional<int> markOut);
    std::optional<int> mark(Mark which) const { return which == Mark::In ? markIn_ : markOut_; }
    void setFades(int inMs, int outMs);
    void setBeats(std::vector<int> beatsMs);
    const std::vector<int> &beats() const { return beats_; }
    // Stretches [start, end) in ms; `current` is drawn a little stronger.
    void setBands(std::vector<std::pair<int, int>> bands, int current);
    const std::vector<std::pair<int, int>> &bands() const { return bands_; }

    // The stretch shown: from viewStart() for viewSpan() ms.
    double viewStart() const { return viewStart_; }
    double viewSpan() const { return viewSpan_; }
    // Zooms by `factor` (> 1 in) keeping the time at x where it is.
    void zoomBy(double factor, double x);
    void showWhole();
    // Moves the stretch shown to start at `ms` (kept within the clip).
    void scrollTo(double ms);

    // Milliseconds at a horizontal position, and back.
    int msAt(double x) const;
    double xOf(double ms) const;

signals:
    void clicked(int ms);
    // A mark let go at a new place.
    void markMoved(WaveformView::Mark which, int ms);
    // The clip's peaks have been drawn (each paint that draws them).
    void peaksDrawn();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    static constexpr int kScrollHeight = 8; // the scroll bar along the bottom
    std::optional<Mark> markNear(double x) const;
    double shortestSpan() const;
    void viewChanged();
    QRectF waveArea() const;
    void drawRuler(class QPainter &p) const;
    void drawPeaks(QPainter &p, const QRectF &area) const;
    void drawStretches(QPainter &p, const QRectF &area, bool kept) const;
    void drawFades(QPainter &p, const QRectF &area) const;
    void drawBeats(QPainter &p, const QRectF &area) const;
    void drawLines(QPainter &p, const QRectF &area) const;

    int lengthMs_ = 0;
    PeakCache::Peaks peaks_;
    QString hint_;
    int positionMs_ = 0;
    std::optional<int> markIn_, markOut_;
    int fadeInMs_ = 0, fadeOutMs_ = 0;
    std::vector<int> beats_;
    std::vector<std::pair<int, int>> bands_;
    int currentBand_ = -1;

    double viewStart_ = 0, viewSpan_ = 0;
    QScrollBar *scroll_;
    bool syncingScroll_ = false;

    std::optional<Mark> dragging_;
    std::optional<double> pressX_; // a press that is a click, or a pan once it moves
    double pressStart_ = 0;        // viewStart_ at that press
    bool panning_ = false;
};
