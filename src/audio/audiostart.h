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
    // The library's last failed call on this thread, to be shown with the
    // library's code for it: made right after the call, since the next one
    // overwrites the code.
    Failure libraryFailure(const QString &message) const;
    // The library's failure for memory it could not get.
    static Failure outOfMemory(const QString &message);
    // The failure in one line, a library call's with the library's words for
    // its code.
    QString describe(const Failure &failure) const;

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
