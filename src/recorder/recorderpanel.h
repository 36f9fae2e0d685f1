#pragma once
#include <QGroupBox>

struct AppPaths;
class AudioStart;
class CaptureEngine;
class EncoderQueue;
class Notices;
class QLineEdit;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTimer;

// The Voice Record panel: input and level, Record/Stop, Play, the byte
// counter, and saving the recording as WAV or MP3.
// What the recorder works with: the audio library it records and plays
// through, the working folder its recording goes to, the encoder queue of
// its MP3 saves with the hidden box that shows the encoder's state, and the
// notices to the user.
struct RecorderNeeds {
    AudioStart &audio;
    const AppPaths &paths;
    EncoderQueue &encoder;
    QLineEdit &encoderState;
    const Notices &notices;
};

class RecorderPanel : public QGroupBox {
    Q_OBJECT
public:
    RecorderPanel(const RecorderNeeds &needs, QWidget *parent);

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
    RecorderNeeds needs_;
};
