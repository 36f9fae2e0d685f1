#pragma once
// WAV files written byte by byte, independent of the program's own header
// code, so that a fault there cannot hide in the files the tests feed it.
#include <QByteArray>
#include <QtGlobal>
#include <optional>

QByteArray le16(quint16 value);
QByteArray le32(quint32 value);
// A RIFF chunk: its id, the body's size, the body and, after an odd body,
// the pad byte (left out when `pad` is false).
QByteArray riffChunk(const char *id, const QByteArray &body, bool pad = true);
// The 16 bytes of a "fmt " chunk's body.
QByteArray fmtBody(quint16 formatTag, quint16 channels, quint32 rate, quint16 bits);
// "RIFF", its size, "WAVE" and the chunks.
QByteArray riffWave(const QByteArray &chunks);
// The 44-byte layout followed by `audio`; the data size the header claims
// is the audio's unless `claimedSize` says otherwise (the RIFF size follows
// it, wrapping as a 32-bit field would).
QByteArray canonicalWav(int channels, int rate, int bits, const QByteArray &audio,
                        std::optional<quint32> claimedSize = {});
// A mono 32-bit WAV of `frames` frames whose every frame holds its own index:
// whatever is cut from it tells exactly which frames it kept.
QByteArray rampClip(int rate, int frames);
