#pragma once
// Reading RIFF WAVE files of any layout, and converting their samples.
//
// readWavInfo() walks the chunks of a RIFF WAVE file and finds its format
// ("fmt ") and data ("data") chunks wherever they lie: other chunks (LIST,
// fact, cue, ...) are skipped, odd-sized chunks with their pad byte,
// WAVE_FORMAT_EXTENSIBLE is resolved to its sub-format, and the data size is
// clamped to what the file really holds (a truncated file, or a writer that
// never filled the size in).  It never throws; a file it cannot use gives
// ok == false and a message in error.
//
// Sample conversion: little-endian interleaved samples of any supported
// layout (8-bit unsigned, 16/24/32-bit signed integer, 32/64-bit float) to
// float (-1..1) or int16, and from float back to any integer/float layout.
//
// Shared by the players (platform/mci), the join and the exports.

#include "base/result.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QIODevice;

constexpr quint16 kWavFormatPcm = 1;
constexpr quint16 kWavFormatFloat = 3;
constexpr quint16 kWavFormatExtensible = 0xFFFE;

// One sample's storage.
enum class SampleFormat { Invalid, U8, S16, S24, S32, F32, F64 };

int bytesPerSample(SampleFormat f); // 0 for Invalid
// The format for a WAV format tag (1 or 3) and container bits; Invalid when none.
SampleFormat sampleFormatFor(quint16 formatTag, quint16 bitsPerSample);

struct WavInfo {
    bool ok = false;      // true: a usable PCM/float WAVE file, all fields valid
    QString error;        // why not, when !ok

    quint16 formatTag = 0;     // 1 integer PCM, 3 IEEE float (extensible already resolved)
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint16 blockAlign = 0;    // bytes per frame = channels * bitsPerSample / 8
    quint16 bitsPerSample = 0; // container bits: 8, 16, 24, 32 (or 64 float)
    quint16 validBits = 0;     // significant bits (extensible), else == bitsPerSample
    qint64 dataOffset = 0;     // file offset of the first sample byte
    qint64 dataSize = 0;       // sample bytes, clamped to the file (may end in a partial frame)
    bool cutShort = false;     // the data chunk's size claims more bytes than the file holds
    qint64 fileSize = 0;

    // True when the file is exactly the 44-byte layout: "fmt "
    // of size 16 at offset 12, the data chunk head at offset 36, samples from 44.
    bool canonical = false;

    SampleFormat sampleFormat() const { return sampleFormatFor(formatTag, bitsPerSample); }
    qint64 frames() const { return blockAlign ? dataSize / blockAlign : 0; } // whole frames
    // Duration of the whole frames, milliseconds rounded down.
    qint64 durationMs() const { return sampleRate ? frames() * 1000 / sampleRate : 0; }
};

// From a file path.  Never throws.
WavInfo readWavInfo(const QString &path);
// From an open, seekable device; the RIFF header is expected at position 0.
// The device's position afterwards is unspecified.
WavInfo readWavInfo(QIODevice &dev);

// Reads up to maxBytes of sample data starting at byte offset `from` within the
// data chunk (0 = first sample).  Returns fewer bytes at the end; empty on error.
QByteArray readWavData(QIODevice &dev, const WavInfo &info, qint64 from = 0, qint64 maxBytes = -1);
// The whole data chunk of a file (whole frames only); *info, when given,
// gets the file's layout either way.
Result<QByteArray> readWavData(const QString &path, WavInfo *info = nullptr);

// Sample conversion.  `samples` counts single samples (frames * channels);
// src holds samples * bytesPerSample(fmt) bytes, little-endian.
// Integer -> float divides by 2^(bits-1) (8-bit: (v - 128) / 128).
void samplesToFloat(const char *src, SampleFormat fmt, qint64 samples, float *dst);
// To int16: integer formats keep their top 16 bits; float is scaled by 32768,
// rounded and clipped.  Lossless for S16 sources.
void samplesToInt16(const char *src, SampleFormat fmt, qint64 samples, qint16 *dst);
// Float -> any format: scaled, rounded and clipped (float formats are copied).
void samplesFromFloat(const float *src, qint64 samples, SampleFormat fmt, char *dst);

// Convenience wrappers on byte arrays (a trailing partial sample is ignored).
QByteArray convertSamples(const QByteArray &src, SampleFormat from, SampleFormat to);
