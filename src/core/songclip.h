#pragma once
// A song made into a WAV clip that the players, the cut, the edits and the
// join can use. The clip file appears only when complete: on a failure, or
// when the job is stopped, nothing is left at its path.
#include "base/result.h"
#include "core/jobprogress.h"

#include <QString>

class AudioStart;
class SongDecoder;

// A RIFF WAVE file, by its first bytes.
bool isWavSong(const QString &songPath);

// A WAV song: copied byte for byte when its layout is one the clips use,
// else (u-law, A-law, ADPCM, ..., or a file cut short of what its header
// claims) converted to PCM.
Outcome wavSongToClip(const QString &songPath, const QString &clipFile);

// Any other song, decoded through the audio library with `decoder` (the
// library started for decoding by the caller, who frees it when done); the
// song's stream is released afterwards. `progress` is told as it goes and
// may stop it; the decoder is used by one job at a time.
Outcome decodeSongFile(SongDecoder &decoder, const QString &songPath, const QString &clipFile,
                       const JobProgress &progress = {});

// A song of any kind, told apart by its content: a RIFF WAVE file takes the
// first way, every other file the second, on a decoder of its own over
// `audio`. Several songs may be made into clips at once on threads of their
// own over one started library.
Outcome songToClip(AudioStart &audio, const QString &songPath, const QString &clipFile,
                   const JobProgress &progress = {});
