#pragma once
#include "shell/paths.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

class BassLibrary;
struct BassApi;
class QWidget;

// Starting the audio library: the presence and version checks, the start
// for decoding, and the one way of reporting a failed library call.
class AudioStart {
public:
    AudioStart(QWidget *owner, const AppPaths &paths);
    ~AudioStart();

    // Checks the library and starts it for decoding. When a check fails it
    // says so and ends the program; false only where ending was replaced.
    bool initwav();
    // The checks shared with the recorder's set-up (presence, version).
    bool checkLibrary();
    // Shows the message with the library's last error code.
    void ReportError(const QString &message);
    // The same with a code kept from an earlier call (the library's code is
    // per thread and the next call overwrites it).
    void ReportError(const QString &message, int code);

    // The loaded library's calls; null before the first successful check.
    const BassApi *api() const;

    // Ends the program at once, without the main window's unload steps.
    std::function<void()> terminate;

private:
    bool fail(const QString &text, const QString &caption);

    QWidget *owner_;
    AppPaths paths_;
    std::unique_ptr<BassLibrary> library_;
};

// high x 65536 OR (low AND 0xFFFF); a high word outside -32768..32767
// throws std::overflow_error.
qint32 JoinWords(qint32 low, qint32 high);
// A zero-terminated 8-bit text of the library, in the system's encoding.
QString PtrToStr(const char *text);
