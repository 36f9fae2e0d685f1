#pragma once
#include "testsongs.h"

#include <cstdint>

// The songs the chorus search is measured on, one per seed: drums, a bass
// line, chord pads and a lead line, in one of `setForms` forms (taken in
// turn, so any `setForms` seeds in a row hold each form once), at a tempo
// from 70 to 160 BPM, in a key of its own, straight or swung. Every kind
// of section has its own chords (the chorus sometimes the verse's), sound
// and loudness (the chorus sometimes quieter than the verses); each verse
// and solo has a melody of its own, while the choruses and pre-choruses
// repeat theirs, with drum fills before a new section and now and then a
// changed last bar. Some songs move a semitone or a tone up for the last
// chorus. The sections, and so every chorus span, come with the audio.
constexpr int setForms = 6;

TestSong makeSetSong(uint32_t seed, int rate = 22050);
