#pragma once
#include "editor/peakcache.h"

#include <QWidget>
#include <optional>

// Draws a clip as its waveform: peaks per pixel column, the play position,
// Mark In and Mark Out as lines with the kept stretch between them shaded.
// A click asks to play from that point; the marks can be dragged.
class WaveformView : public QWidget {
    Q_OBJECT
public:
    enum class Mark { In, Out };

    explicit WaveformView(QWidget *parent = nullptr);

    // The clip: its length in ms and its peaks (null: not known yet).
    void setClip(int lengthMs, PeakCache::Peaks peaks);
    void clear() { setClip(0, nullptr); }
    bool hasPeaks() const { return peaks_ && peaks_->ok; }
    void setPosition(int ms);
    void setMarks(std::optional<int> markIn, std::optional<int> markOut);
    std::optional<int> mark(Mark which) const { return which == Mark::In ? markIn_ : markOut_; }

    // Milliseconds at a horizontal position, and back.
    int msAt(double x) const;
    double xOf(int ms) const;

signals:
    void clicked(int ms);
    // A mark let go at a new place.
    void markMoved(WaveformView::Mark which, int ms);
    // The clip's peaks have been drawn (each paint that draws them).
    void peaksDrawn();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::optional<Mark> markNear(double x) const;
    void drawPeaks(class QPainter &p) const;

    int lengthMs_ = 0;
    PeakCache::Peaks peaks_;
    int positionMs_ = 0;
    std::optional<int> markIn_, markOut_;
    std::optional<Mark> dragging_;
};
