#pragma once
#include <QObject>

class AudioStart;
class Notices;
class RecorderPanel;

// Starts the recorder when its panel is shown (initrec) and releases it on
// every toolbar click (release).
class RecorderSetup : public QObject {
    Q_OBJECT
public:
    RecorderSetup(AudioStart &audio, const Notices &notices, RecorderPanel &panel);

    // Checks and starts the library for recording and playback, lists the
    // inputs and brings the panel to its first state. When no device
    // answers it says so and leaves Record disabled.
    void initrec();
    // Ends any recording, frees the buffer and the library.
    void release();

private:
    bool startDevices();
    void listInputs();

    AudioStart &audio_;
    const Notices &notices_;
    RecorderPanel &panel_;
};
