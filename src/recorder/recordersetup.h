#pragma once
#include <QObject>

class RecorderPanel;
struct FeatureContext;

// Starts the recorder when its panel is shown (initrec) and releases it on
// every toolbar click (release).
class RecorderSetup : public QObject {
    Q_OBJECT
public:
    RecorderSetup(FeatureContext &context, RecorderPanel &panel);

    // Checks and starts the library for recording and playback, lists the
    // inputs and brings the panel to its first state. When no device
    // answers it says so and leaves Record disabled.
    void initrec();
    // Ends any recording, frees the buffer and the library.
    void release();

private:
    bool startDevices();
    void listInputs();

    FeatureContext &context_;
    RecorderPanel &panel_;
};
