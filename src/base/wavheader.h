#pragma once
// The 44-byte RIFF WAVE header that the program writes.
//
//   offset size field              offset size field
//   0      4    "RIFF"             24     4    sample rate (Hz)
//   4      4    RIFF size          28     4    bytes per second
//   8      4    "WAVE"             32     2    block align
//   12     4    "fmt "             34     2    bits per sample
//   16     4    format chunk size  36     4    "data"
//   20     2    format tag         40     4    data size
//   22     2    channels           44          samples
//
// Everything little-endian.  The header is written as three pieces: the
// RIFF part (12 bytes), the format chunk (24 bytes) and the data chunk head
// (8 bytes).  Every WAV file, this layout included, is read through the one
// chunk reader in base/wavformat.h.

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

// The record in table order.  The in-memory layout is exactly the file
// layout on a little-endian machine (sizeof == 44, no padding), but always
// serialise through the functions below, which are endian-independent.
struct WavHeader {
    char riffTag[4] = {'R', 'I', 'F', 'F'};
    qint32 riffSize = 0;        // total file length - 8 = dataSize + 36
    char waveTag[4] = {'W', 'A', 'V', 'E'};
    char fmtTag[4] = {'f', 'm', 't', ' '};
    qint32 fmtSize = 16;
    quint16 formatTag = 1;      // 1 PCM (3 IEEE float is accepted too)
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint32 bytesPerSecond = 0; // blockAlign * sampleRate
    quint16 blockAlign = 0;     // channels * bitsPerSample / 8
    quint16 bitsPerSample = 0;
    char dataTag[4] = {'d', 'a', 't', 'a'};
    qint32 dataSize = 0;        // number of sample bytes that follow

    // Fills every field from the format and the data size (both size
    // fields follow from dataSize; values above INT32_MAX - 36 are clamped).
    static WavHeader make(quint16 channels, quint32 sampleRate, quint16 bitsPerSample,
                          qint64 dataSize = 0, quint16 formatTag = 1);
    // Sets riffSize = dataSize + 36 and dataSize.
    void setDataSize(qint64 bytes);
};
static_assert(sizeof(WavHeader) == 44, "WavHeader must be the 44-byte layout");

constexpr int kWavHeaderSize = 44;
constexpr int kWavRiffPartSize = 12;   // offsets 0..11
constexpr int kWavFormatPartSize = 24; // offsets 12..35
constexpr int kWavDataPartSize = 8;    // offsets 36..43
constexpr int kWavRiffSizeOffset = 4;
constexpr int kWavDataSizeOffset = 40;
// Largest data size whose RIFF size (data + 36) still fits a signed 32-bit field.
constexpr qint64 kWavMaxDataSize = 0x7FFFFFFFLL - 36;

// The three pieces, little-endian.
QByteArray wavRiffPart(const WavHeader &h);   // 12 bytes
QByteArray wavFormatPart(const WavHeader &h); // 24 bytes
QByteArray wavDataPart(const WavHeader &h);   // 8 bytes
// All 44 bytes: the three pieces joined.
QByteArray wavHeaderBytes(const WavHeader &h);

// Writes the header at the device's current position as its three pieces.
bool writeWavHeader(QIODevice &dev, const WavHeader &h);
// Finishing a file: writes dataSize + 36 at offset 4 and dataSize at offset
// 40 of an open, seekable device, then returns to the previous position.
bool patchWavSizes(QIODevice &dev, qint64 dataSize);
// The same on a memory buffer that starts with the header.
bool patchWavSizes(QByteArray &buffer, qint64 dataSize);
