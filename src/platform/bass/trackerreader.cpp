// Tracker music (MOD, S3M, XM, IT and the rest libopenmpt reads), rendered
// at 44100 Hz stereo, 16-bit, played once without repeats.
#include "reader.h"

#include <cmath>
#include <libopenmpt/libopenmpt.h>

namespace orvane {
namespace {

constexpr int kRate = 44100;

class TrackerReader : public Reader {
public:
    explicit TrackerReader(const Source &source)
    {
        std::vector<unsigned char> fileBytes;
        const std::vector<unsigned char> *bytes = &source.bytes;
        if (!source.path.empty()) {
            if (!readWholeFile(source.path, fileBytes))
                return;
            bytes = &fileBytes;
        }
        if (bytes->empty())
            return;
        module_ = openmpt_module_create_from_memory2(bytes->data(), bytes->size(), nullptr, nullptr,
                                                     nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!module_)
            return;
        openmpt_module_set_repeat_count(module_, 0);
        const double seconds = openmpt_module_get_duration_seconds(module_);
        if (!(seconds > 0) || !std::isfinite(seconds))
            return;
        frames_ = int64_t(std::llround(seconds * kRate));
        rate = kRate;
        channels = 2;
        kind = 3;
        lengthExact = false;
        bits = 16;
    }
    ~TrackerReader() override
    {
        if (module_)
            openmpt_module_destroy(module_);
    }
    bool ok() const { return module_ && frames_ > 0; }

    long read(unsigned char *out, size_t bytes) override
    {
        const size_t frames = bytes / 4;
        size_t done = 0;
        auto *samples = reinterpret_cast<int16_t *>(out);
        while (done < frames) {
            const size_t got = openmpt_module_read_interleaved_stereo(module_, kRate, frames - done,
                                                                      samples + done * 2);
            if (got == 0)
                break;
            done += got;
        }
        return long(done * 4);
    }
    bool seek(int64_t frame) override
    {
        return openmpt_module_set_position_seconds(module_, double(frame) / kRate) >= 0.0;
    }
    int64_t lengthBytes() override { return frames_ * 4; }

private:
    openmpt_module *module_ = nullptr;
    int64_t frames_ = 0;
};

} // namespace

ReaderPtr openTracker(const Source &source)
{
    auto reader = std::make_unique<TrackerReader>(source);
    if (!reader->ok())
        return nullptr;
    return reader;
}

} // namespace orvane
