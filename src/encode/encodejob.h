#pragma once
// Saving the joined WAV as a ringtone: encoded into the chosen format,
// tagged, and written so that the target is either its old self or the
// whole new file.
#include "base/result.h"
#include "encode/ringtoneformat.h"
#include "encode/songtags.h"

#include <QString>
#include <functional>
#include <optional>

// Called on the thread that runs the job, after each block, with the
// fraction done (0..1); false cancels.
using EncodeProgress = std::function<bool(double fraction)>;

struct EncodeJob {
    QString wavPath; // the joined WAV (any PCM or float layout)
    QString outPath; // the file to write; replaced only when complete
    RingtoneFormat format = RingtoneFormat::M4r;
    SongTags tags;   // the song's; the title is always outPath's base name
    std::optional<double> keepSeconds; // only the first seconds (see ringtoneLimitSeconds)
    double fadeOutSeconds = 0;         // the end faded out to silence over this
    int mp3BitRate = 128;              // kbit/s, for Mp3
};

// The longest ringtone a phone takes in this format, and the fade that ends
// a longer one cut to it: 40 s and 1 s for M4R, no limit for the others.
std::optional<double> ringtoneLimitSeconds(RingtoneFormat format);
constexpr double kRingtoneFadeSeconds = 1.0;

// Runs the job on the calling thread (a lossy format's reading and
// resampling go on beside it on a thread of their own) and returns when the
// file is complete or nothing has changed. M4R: AAC, 44.1 kHz stereo, 256
// kbit/s, brand "M4A "; Ogg: Vorbis, quality 6; Opus: 128 kbit/s, 48 kHz;
// FLAC: the WAV's samples unchanged (8 to 24 bits); MP3: CBR at
// mp3BitRate; WAV: the samples in the WAV's own layout. A failure names the
// output (and the input when that is at fault).
Outcome encodeRingtone(const EncodeJob &job, const EncodeProgress &progress);

// The WAV file as an untagged CBR MP3 at `kbps`, through the same writer:
// the WAV's rate where the bit rate exists there, else the nearest rate that
// has it. A failure names the output (and the input when that is at fault).
Outcome encodeWavToMp3(const QString &wavPath, const QString &mp3Path, int kbps, const EncodeProgress &progress);
