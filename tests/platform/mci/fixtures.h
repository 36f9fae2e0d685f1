#pragma once
// Test fixtures of the multimedia tests: WAV files made with sox.
#include "support/testenv.h"

#include <QDir>
#include <QString>
#include <gtest/gtest.h>

// Writes `path` with sox: SECONDS of SYNTH ("sine 440") in the layout ARGS
// ("-r 44100 -c 2 -b 16"). True on success.
inline bool soxMake(const QString &path, const QString &args, double seconds, const QString &synth = QStringLiteral("sine 440"))
{
    return runShell(QStringLiteral("sox -n %1 '%2' synth %3 %4").arg(args, path, QString::number(seconds), synth)) == 0;
}

// True when a sound server answers (test.sh starts a private one).
inline bool soundServerAnswers() { return runShell(QStringLiteral("pactl info >/dev/null 2>&1")) == 0; }
