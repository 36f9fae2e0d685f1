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
};
