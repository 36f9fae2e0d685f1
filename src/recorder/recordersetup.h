#pragma once
#include <QObject>

class Frmmain;
class RecorderPanel;

// Starts the recorder when its panel is shown (initrec) and releases it on
// every toolbar click (release).
class RecorderSetup : public QObject {
    Q_OBJECT
public:
    RecorderSetup(Frmmain &form, RecorderPanel &panel);

    // Checks and starts the library for recording and playback, lists the
    // inputs and brings the panel to its first state. When no device
    // answers it says so and leaves Record disabled.
    void initrec();
    // Ends any recording, frees the buffer and the library.
    void release();

private:
    bool startDevices();
    void listInputs();

    Frmmain &form_;
    RecorderPanel &panel_;
};

// Makes the recorder panel the main window's FrameRec and sets the
// toolbar's recorder hooks.
RecorderPanel *installRecorder(Frmmain &form);
