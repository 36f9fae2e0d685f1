#pragma once
#include <QGroupBox>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;

// The Audio Edit panel's controls: the clip list with its buttons, the list
// player ("List Control"), the trimming frame ("Edit Song") and the two
// export buttons. The handlers live with the parts that own them.
class ClipEditorPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit ClipEditorPanel(QWidget *parent);

    QListWidget *List1;
    QLabel *Label6;
    QPushButton *CmdAdd, *Cmdremove, *CmdUP, *CmdDown, *CmdIns;

    QGroupBox *Frame2;
    QCheckBox *Check1;
    QPushButton *CmdFoward, *CmdPause, *CmdPlay, *CmdStop, *CmdNext;

    QGroupBox *Frame3;
    QSlider *SliderEdit;
    QLabel *Lbltotal, *Lblin, *Lblout;
    QPushButton *CmdEditPlay, *CmdEditStop, *CmdMarkin, *CmdMarkOut, *CmdEditDone;
    // The ringtone editor's controls, in the frame's free room.
    QPushButton *CmdUndo, *CmdRedo, *CmdNormalize, *CmdChorus;
    QDoubleSpinBox *FadeIn, *FadeOut;
    QCheckBox *ChkSnapBeat;
    QLabel *LblSelection;

    QPushButton *CmdSaveWav, *CmdSaveList;
    // "Save As Ringtone...", in the free room of the list's frame.
    QPushButton *CmdSaveRingtone;

    // The states of the list player's and the trimming frame's buttons, set
    // here only. At the start: the hint under the list, and both frames off.
    void showStartState();
    // A clip opened for trimming: the slider, the trimming buttons and Done
    // on, the list player off.
    void startTrimming();
    // The clip was cut: the trimming buttons and Done off.
    void endTrimming();
    // An entry selected for playing: the trimming buttons off, Done and the
    // list player on.
    void startListPlaying();
    // An entry deleted: the trimming buttons off.
    void stopTrimmingButtons() { setTrimmingButtons(false); }

private:
    void setTrimmingButtons(bool enabled); // play, stop, Mark In, Mark Out
    void setListPlayerButtons(bool enabled);
};
