#pragma once
// The entry of the FFmpeg reader, which lives in the module libbass_media.so
// beside the library (or is linked in, where a build says so).
#include "reader.h"

#if defined(__GNUC__)
#define BASS_MEDIA_ENTRY __attribute__((visibility("default")))
#else
#define BASS_MEDIA_ENTRY
#endif

// Opens the source with FFmpeg: *out gets the reader, or the code and words
// that say why not (BASS_ERROR_NOAUDIO, BASS_ERROR_PROTECTED,
// BASS_ERROR_DAMAGED, BASS_ERROR_FORMAT for a codec FFmpeg lacks).
extern "C" BASS_MEDIA_ENTRY void orvane_open_media(const orvane::Source *source, orvane::Opening *out);
using OpenMediaEntry = void (*)(const orvane::Source *, orvane::Opening *);
