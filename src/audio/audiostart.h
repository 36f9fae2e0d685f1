#pragma once
#include "base/paths.h"
#include "base/result.h"

#include <QString>
#include <QtGlobal>
#include <memory>

class BassLibrary;
struct BassApi;

// Starting the audio library: the presence and version checks and the
// start for decoding. A failed check is fatal: the program cannot go on
// without its audio library, and the caller ends it after the message.
class AudioStart {
public:
    explicit AudioStart(const AppPaths &paths);
    ~AudioStart();

    // Checks the library and starts it for decoding.
    Outcome initwav();
    // The checks shared with the recorder's set-up (presence, version).
    Outcome checkLibrary();
    // The library's code for its last failed call (0 before it is loaded).
    int lastErrorCode() const;
    // A failed library call, to be shown with the library's last code.
    Failure libraryFailure(const QString &message) const { return libraryFailure(message, lastErrorCode()); }
    // The same with a code kept from an earlier call (the library's code is
    // per thread and the next call overwrites it).
    static Failure libraryFailure(const QString &message, int code);

    // The loaded library's calls; null before the first successful check.
    const BassApi *api() const;

private:
    AppPaths paths_;
    std::unique_ptr<BassLibrary> library_;
};

// high x 65536 OR (low AND 0xFFFF); a high word outside -32768..32767
// throws std::overflow_error.
qint32 JoinWords(qint32 low, qint32 high);
// A zero-terminated 8-bit text of the library, in the system's encoding.
QString PtrToStr(const char *text);
