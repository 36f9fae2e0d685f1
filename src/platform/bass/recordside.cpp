// The state of the recording side, behind one lock. Nothing blocking on a
// recording's thread (stopping it, which waits for the procedure) is done
// with that lock held, so the procedure may call the library.
#include "recordside.h"

#include "errors.h"
#include "handles.h"
#include "recorder.h"
#include "sources.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvane {

namespace {

struct RecordSide {
    std::mutex lock;
    std::shared_ptr<pulse::Connection> connection; // null while not started
    std::vector<SourceInfo> inputs;              // the latest enumeration
    std::set<std::string> names;                 // every text handed out, kept until freed
    std::string recorded;                        // the name of the input that is on; empty: none
    // What the caller last switched on or off, kept for the rest of the
    // process as a sound card's mixer keeps it: a later BASS_RecordInit
    // starts from it, not from the server's default (while the server
    // still has that source).
    std::optional<std::string> chosen;
    std::shared_ptr<Recording> recording;        // the latest recording
};

RecordSide &side()
{
    static RecordSide *s = new RecordSide; // never destroyed: calls during exit stay safe
    return *s;
}

BOOL fail(int code) { return setLastError(code); }

// Lock held. Reads the inputs again; the old list stays when the server does not answer.
void enumerate(RecordSide &s)
{
    std::vector<SourceInfo> fresh;
    if (listSources(*s.connection, fresh))
        s.inputs = std::move(fresh);
}

// Lock held. The input, or null with BASS_ERROR_INIT or BASS_ERROR_ILLPARAM.
const SourceInfo *inputAt(RecordSide &s, int input)
{
    if (!s.connection) {
        setLastError(BASS_ERROR_INIT);
        return nullptr;
    }
    if (input < 0 || size_t(input) >= s.inputs.size()) {
        setLastError(BASS_ERROR_ILLPARAM);
        return nullptr;
    }
    return &s.inputs[size_t(input)];
}

} // namespace

BOOL recordInit(int device)
{
    if (device != -1 && device != 0)
        return fail(BASS_ERROR_DEVICE);
    RecordSide &s = side();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.connection)
        return fail(BASS_ERROR_ALREADY);
    std::shared_ptr<pulse::Connection> connection =
        pulse::Connection::open("Orvane audio library (recording)", "orvane-bass-pulse");
    std::string source;
    std::vector<SourceInfo> inputs;
    if (!connection || !defaultSourceName(*connection, source) || !listSources(*connection, inputs))
        return fail(BASS_ERROR_DEVICE);
    const bool chosenListed = s.chosen && std::any_of(inputs.begin(), inputs.end(), [&](const SourceInfo &i) {
        return i.name == *s.chosen;
    });
    s.connection = std::move(connection);
    s.inputs = std::move(inputs);
    // The caller's choice when there is one; else the default source is on.
    s.recorded = s.chosen && (s.chosen->empty() || chosenListed) ? *s.chosen : source;
    return setLastError(BASS_OK);
}

BOOL recordFree()
{
    RecordSide &s = side();
    std::shared_ptr<pulse::Connection> connection;
    std::shared_ptr<Recording> recording;
    std::set<std::string> names;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (!s.connection && !s.recording)
            return fail(BASS_ERROR_INIT);
        connection.swap(s.connection);
        recording.swap(s.recording);
        if (recording)
            removeChannel(recording->handle);
        names.swap(s.names);
        s.inputs.clear();
        s.recorded.clear();
    }
    if (recording)
        recording->stop(); // waits for a running call of the procedure
    recording.reset();
    connection.reset();
    return setLastError(BASS_OK);
}

const char *recordInputName(int input)
{
    RecordSide &s = side();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.connection && input == 0)
        enumerate(s); // a new enumeration starts
    const SourceInfo *info = inputAt(s, input);
    if (!info)
        return nullptr;
    const char *text = s.names.insert(info->description).first->c_str();
    setLastError(BASS_OK);
    return text;
}

DWORD recordInput(int input)
{
    RecordSide &s = side();
    std::lock_guard<std::mutex> guard(s.lock);
    const SourceInfo *info = inputAt(s, input);
    if (!info)
        return 0xFFFFFFFFu;
    SourceInfo now = *info;
    querySource(*s.connection, info->name, now); // the volume as it is now; else as listed
    DWORD value = DWORD(now.percent) | now.type;
    if (now.name != s.recorded)
        value |= BASS_INPUT_OFF;
    setLastError(BASS_OK);
    return value;
}

BOOL recordSetInput(int input, DWORD setting)
{
    RecordSide &s = side();
    std::lock_guard<std::mutex> guard(s.lock);
    const SourceInfo *info = inputAt(s, input);
    if (!info)
        return 0;
    if ((setting & BASS_INPUT_ON) && (setting & BASS_INPUT_OFF))
        return fail(BASS_ERROR_ILLPARAM);
    if (setting & BASS_INPUT_LEVEL) {
        if (!setSourceVolume(*s.connection, info->name, std::min<DWORD>(setting & 0xFFFFu, 100u)))
            return fail(BASS_ERROR_DEVICE);
    }
    if (setting & BASS_INPUT_ON) {
        if (s.recording && s.recording->recording() && s.recorded != info->name
            && !s.recording->moveTo(info->index))
            return fail(BASS_ERROR_DEVICE);
        s.recorded = info->name;
        s.chosen = s.recorded;
    } else if ((setting & BASS_INPUT_OFF) && s.recorded == info->name) {
        s.recorded.clear();
        s.chosen = s.recorded;
    }
    return setLastError(BASS_OK);
}

DWORD recordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user)
{
    RecordSide &s = side();
    std::shared_ptr<Recording> previous;
    std::unique_lock<std::mutex> guard(s.lock);
    if (!s.connection)
        return fail(BASS_ERROR_INIT);
    if (s.recording && s.recording->recording())
        return fail(BASS_ERROR_ALREADY);
    if (flags & ~DWORD(BASS_SAMPLE_8BITS))
        return fail(BASS_ERROR_ILLPARAM);
    // The input that is on, when the server still has it; else the default source.
    std::string source;
    for (const SourceInfo &i : s.inputs)
        if (i.name == s.recorded)
            source = i.name;
    const DWORD handle = newHandle();
    std::unique_ptr<Recording> started;
    const Recording::Format format{freq, chans, (flags & BASS_SAMPLE_8BITS) != 0};
    const int rc = Recording::start(s.connection, source, format, proc, user, handle, started);
    if (rc != BASS_OK)
        return fail(rc);
    previous = std::move(s.recording);
    if (previous)
        removeChannel(previous->handle); // its handle is stale from now on
    s.recording = std::move(started);
    putChannel(handle, s.recording);
    guard.unlock();
    previous.reset(); // an ended recording: its thread is finishing
    setLastError(BASS_OK);
    return handle;
}

} // namespace orvane
