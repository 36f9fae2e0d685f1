#pragma once
#include <aubio/aubio.h>

// aubio's tempo tracker, loaded the first time beats are tracked rather than
// with the program: Debian's aubio links FFmpeg for its file reading, and the
// program should start without FFmpeg's hundred libraries.
struct AubioTempo {
    aubio_tempo_t *(*newTempo)(const char_t *method, uint_t bufSize, uint_t hopSize, uint_t samplerate);
    void (*tempoDo)(aubio_tempo_t *tempo, const fvec_t *input, fvec_t *beat);
    smpl_t (*lastSeconds)(const aubio_tempo_t *tempo);
    void (*deleteTempo)(aubio_tempo_t *tempo);
    fvec_t *(*newVector)(uint_t length);
    void (*deleteVector)(fvec_t *vector);
};

// The loaded functions, or null when aubio cannot be loaded (then
// aubioLoadError() says why). Safe from any thread.
const AubioTempo *aubioTempo();
const char *aubioLoadError();
