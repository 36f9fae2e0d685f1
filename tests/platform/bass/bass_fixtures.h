#pragma once
// Shared set-up of the libbass.so tests: the library loaded through the
// program's loader from the application folder, started for decoding, a
// scratch folder, fixture makers (sox, lame, ffmpeg and two generators of
// our own) and reference decoders.

#include "audio/basslib.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// The flags the decoder loads tracker music with.
constexpr DWORD kMusicFlags = BASS_STREAM_DECODE | BASS_MUSIC_MEASURE | BASS_MUSIC_RAMP;

// The application folder's libbass.so, where the program looks for it.
QString appLibraryPath();

// Runs a program without a shell; its exit code, stdout into *out.
int runProgram(const QString &program, const QStringList &args, QByteArray *out = nullptr,
               int timeoutMs = 60000);

// A tiny valid 4-channel ProTracker module ("M.K."): one pattern of
// `rows` rows (a pattern break ends it) playing a looped square wave.
QByteArray makeProTrackerModule(int rows = 16);
// An MPEG-1 Layer I stream of `frames` frames (48 kHz, mono, 64 kbit/s),
// each of 384 samples, carrying a signal in two subbands.
QByteArray makeLayer1Stream(int frames);

struct Decoded {
    QByteArray pcm;
    BASS_CHANNELINFO info{};
    DWORD rate = 0;
    QWORD length = 0;
    int blocks = 0;
};

class BassTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const BassApi &bass() const { return lib_->api(); }
    QString path(const QString &name) const { return dir_.filePath(name); }
    // Runs a fixture command (sox, lame, ffmpeg...); fails the test when it fails.
    void make(const QString &program, const QStringList &args);
    // A tone made by sox: `extra` are the output options before the file name.
    QString tone(const QString &name, const QStringList &extra, double seconds = 1.3,
                 const QString &synth = QStringLiteral("sine 440"));
    DWORD open(const QString &file, DWORD flags = BASS_STREAM_DECODE);
    // Decodes a channel to the end in blocks of `block` bytes, the way the decoder does.
    Decoded decode(DWORD handle, DWORD block = 20000);
    // Decoded bytes by an independent decoder.
    QByteArray ffmpegS16(const QString &file);
    QByteArray mpg123S16(const QString &file);

    std::unique_ptr<BassLibrary> lib_;
    QTemporaryDir dir_;
};

// Same count of 16-bit samples and each within `tolerance`; says where not.
::testing::AssertionResult samplesMatch(const QByteArray &ours, const QByteArray &theirs, int tolerance = 1);
// The largest absolute 16-bit sample.
int peak16(const QByteArray &pcm);
