#pragma once
#include "base/result.h"

#include <QString>

// Turns a song that the clip player, the cut and the join cannot use as it
// is (u-law, A-law, ADPCM, GSM 6.10 and the other layouts libsndfile reads)
// into a clip they can: a WAV in the 44-byte layout at the song's own rate
// and channels, 16-bit PCM for codecs of at most 16 bits, 32-bit float for
// the rest. The target is replaced only by a complete, synced file.
// A failure names the file and the reason.
Outcome convertToPcmWav(const QString &source, const QString &target);
