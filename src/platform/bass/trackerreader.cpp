// Tracker music (MOD, S3M, XM, IT and the rest libopenmpt reads), rendered
// at 44100 Hz stereo, 16-bit, played once without repeats.
#include "reader.h"

#include <cmath>
#include <libopenmpt/libopenmpt.h>

namespace orvane {
namespace {

constexpr int kRate = 44100;
constexpr double kMeasureUpTo = 900.0;  // seconds; longer music keeps the estimated length

class TrackerReader : public Reader {
public:
    explicit TrackerReader(const Source &source)
    {
        lengthExact = false;
        std::vector<unsigned char> fileBytes;
        const std::vector<unsigned char> *bytes = &source.bytes;
        if (!source.path.empty()) {
            if (!readWholeFile(source.path, fileBytes))
                return;
            bytes = &fileBytes;
        }
        if (bytes->empty())
            return;
        module_ = openmpt_module_create_from_memory2(bytes->data(), bytes->size(), openmpt_log_func_silent,
                                                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!module_)
            return;
        openmpt_module_set_repeat_count(module_, 0);
        openmpt_module_ctl_set_integer(module_, "dither", 0); // the same samples every time
        const double seconds = openmpt_module_get_duration_seconds(module_);
        if (!(seconds > 0) || !std::isfinite(seconds))
            return;
        frames_ = int64_t(std::llround(seconds * kRate));
        if (seconds <= kMeasureUpTo) {
            // Rendered once to count the frames exactly (the tail after the
            // last row is not in the duration), then back to the start.
            std::vector<int16_t> scratch(8192 * 2);
            int64_t counted = 0;
            size_t got;
            while ((got = openmpt_module_read_interleaved_stereo(module_, kRate, 8192, scratch.data())) > 0)
                counted += int64_t(got);
            if (counted <= 0 || openmpt_module_set_position_seconds(module_, 0.0) < 0.0)
                return;
            frames_ = counted;
            lengthExact = true;
        }
        rate = kRate;
        channels = 2;
        kind = 3;
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
