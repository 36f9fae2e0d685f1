#pragma once
// Clip files made by sox in a test's own working folder, and the judgement
// of ffmpeg's EBU R128 meter on them.
#include "support/testenv.h"

#include <QString>
#include <gtest/gtest.h>
#include <vector>

// What `ffmpeg -af ebur128=peak=true` says of a file.
struct FfmpegLoudness {
    bool ok = false;
    double integratedLufs = 0;
    double truePeakDbtp = 0;
};
FfmpegLoudness ffmpegLoudness(const QString &path);

// Every sample of a file as float (-1..1), converted by sox.
std::vector<float> soxSamples(const QString &path);

class EditsTest : public ::testing::Test {
protected:
    EditsTest();
    // A clip file in the working folder made by `sox -n FORMAT clip SYNTH`
    // (e.g. "-r 44100 -c 2 -b 16", "synth 3 sine 440 vol 0.5"), the same
    // noise on every run.
    QString makeClip(const QString &name, const QString &format, const QString &synth) const;
    QString historyFolder() const { return env.paths().scratchFile(QStringLiteral("history")); }

    TestEnv env;
};
