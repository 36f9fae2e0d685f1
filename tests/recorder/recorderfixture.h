#pragma once
#include "recorder/captureengine.h"
#include "recorder/recorderpanel.h"
#include "scripteddialogs.h"
#include "shell/frmmain.h"
#include "testenv.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <memory>

// The main window in-process over a private tree, with scripted dialogs,
// on the Voice Record panel.
class RecorderTest : public ::testing::Test {
protected:
    RecorderTest();
    ~RecorderTest() override;

    // Clicks "Rec" on the toolbar. False when the devices could not be
    // started (the message it showed is dropped).
    bool openPanel();
    CaptureEngine &engine() const { return *panel->engine; }
    // Hands the engine `bytes` as the library would, in blocks of `block`.
    void feed(const QByteArray &bytes, int block);
    // A stereo 16-bit 44.1 kHz sine, raw, made by sox.
    QByteArray sine(double seconds, int hz = 440);
    QString homePath(const QString &name) const { return env.paths().homeDir + QLatin1Char('/') + name; }

    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<Frmmain> form;
    RecorderPanel *panel = nullptr;
};

// The little-endian 32-bit field at `offset` (4: RIFF size, 40: data size).
qint32 le32(const QByteArray &image, int offset);

// `soxi -OPTION file`, trimmed.
QString soxi(const QString &option, const QString &file);
// "rate channels bits samples" of a file, as soxi reads them.
QString soxiFormat(const QString &file);
// sox's rough frequency of the left channel, from `fromSeconds` on; a
// negative start counts from the end.
double roughFrequency(const QString &file, double fromSeconds = 0);
