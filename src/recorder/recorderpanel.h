#pragma once
#include <QGroupBox>

class CaptureEngine;
struct FeatureContext;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

// The Voice Record panel: input and level, Record/Stop, Play, the byte
// counter, and saving the recording as WAV or MP3.
class RecorderPanel : public QGroupBox {
    Q_OBJECT
public:
    RecorderPanel(FeatureContext &context, QWidget *parent);

    CaptureEngine *engine;
    QComboBox *cmbInput;
    QPushButton *btnRecord, *btnPlay, *btnSave, *CmdWav, *CmdMp3;
    QLabel *Label4, *lblInputType, *Label3, *Label5, *lblPos;
    QSlider *sldInputLevel;
    QTimer *tmrRecTest;

    void btnRecord_Click();
    void btnPlay_Click();
    void btnSave_Click();
    void CmdWav_Click();
    void CmdMp3_Click();
    void sldInputLevel_Scroll();
    void cmbInput_Click();
    void tmrRecTest_Timer();

    // Sets the buttons from the engine's state: "Stop" while recording;
    // Play and Save only with a finished recording that can be played;
    // Wav and MP3 hidden whenever there is nothing to save.
    void showState();

private:
    void showInput(int level, const QString &typeName);
    void hideSaveChoices();
    FeatureContext &context_;
};
