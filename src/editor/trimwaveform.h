#pragma once
#include <QObject>
#include <QTimer>

class Audition;
class ClipAnalysis;
class ClipEditorPanel;
class ClipTrimmer;
class MMControl;
class PeakCache;
class QMenu;
class TrimSession;
class WaveformView;

// The waveform of the clip open in the trimming player, in the free room of
// the "Edit Song" frame: it follows the player and the marks, a click plays
// from the clicked point as the slider does, and dragged marks become the
// marks Done cuts at.
class TrimWaveform : public QObject {
    Q_OBJECT
public:
    TrimWaveform(const TrimSession &trim, const ClipAnalysis &analysis, const MMControl &trimPlayer,
                 ClipEditorPanel &panel, ClipTrimmer &trimmer, const Audition &audition);

    WaveformView *view() const { return view_; }
    PeakCache &cache() const { return *cache_; }
    // Brings the drawing in step with the player, the marks, the fades, the
    // beats and the chorus candidates (the timer's tick).
    void sync();
    // The waveform's context menu: the frame's edit controls, snapping, zoom,
    // and what menuBuilt adds.
    QMenu *contextMenu();

signals:
    // The context menu is built: others add their entries.
    void menuBuilt(QMenu *menu);

private:
    void playFrom(int ms);
    // What a newcomer does next, shown while no clip is open.
    QString hint() const;

    const TrimSession &trim_;
    const ClipAnalysis &analysis_;
    const MMControl &trimPlayer_;
    ClipEditorPanel &panel_;
    ClipTrimmer &trimmer_;
    const Audition &audition_;
    PeakCache *cache_;
    WaveformView *view_;
    QTimer timer_;
    QString clip_;
    int length_ = 0;
};
