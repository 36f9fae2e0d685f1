// Tracker music (MOD, S3M, XM, IT and the rest libopenmpt reads), rendered
// at 44100 Hz stereo, 16-bit, played once without repeats.
#include "reader.h"

#include <cmath>
#include <libopenmpt/libopenmpt.h>

namespace orvane {
namespace {

constexpr int kRate = 44100;
constexpr double kMeasureUpTo = 900.0; // seconds; longer music keeps the estimated length

class TrackerReader : public Reader {
public:
    ~TrackerReader() override
    {
        if (module_)
            openmpt_module_destroy(module_);
    }

    // Null when the source opened; else why not.
    const char *open(const Source &source, DWORD flags)
    {
        std::vector<unsigned char> fileBytes;
        const std::vector<unsigned char> *bytes = &source.bytes;
        if (!source.path.empty()) {
            if (!readWholeFile(source.path, fileBytes))
                return "the file cannot be read";
            bytes = &fileBytes;
        }
        if (bytes->empty())
            return "no bytes";
        module_ = openmpt_module_create_from_memory2(bytes->data(), bytes->size(), openmpt_log_func_silent,
                                                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (!module_)
            return "not music libopenmpt reads";
        openmpt_module_set_repeat_count(module_, 0);
        openmpt_module_ctl_set_integer(module_, "dither", 0); // the same samples every time
        if (!(flags & BASS_MUSIC_RAMP))
            openmpt_module_set_render_param(module_, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, 0);
        const double seconds = openmpt_module_get_duration_seconds(module_);
        if (!(seconds > 0) || !std::isfinite(seconds))
            return "the music has no length";
        int64_t frames = int64_t(std::llround(seconds * kRate));
        format_.lengthExact = false;
        if ((flags & BASS_MUSIC_MEASURE) && seconds <= kMeasureUpTo) {
            // Rendered once to count the frames exactly (the tail after the
            // last row is not in the duration), then back to the start.
            frames = renderedFrames();
            if (frames <= 0 || openmpt_module_set_position_seconds(module_, 0.0) < 0.0)
                return "the music renders no sound";
            format_.lengthExact = true;
        }
        format_.rate = kRate;
        format_.channels = 2;
        format_.kind = BASS_CTYPE_MUSIC;
        format_.bits = 16;
        format_.lengthBytes = frames * 4;
        return nullptr;
    }

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

private:
    int64_t renderedFrames()
    {
        std::vector<int16_t> scratch(8192 * 2);
        int64_t counted = 0;
        size_t got;
        while ((got = openmpt_module_read_interleaved_stereo(module_, kRate, 8192, scratch.data())) > 0)
            counted += int64_t(got);
        return counted;
    }

    openmpt_module *module_ = nullptr;
};

} // namespace

Opening openTracker(const Source &source, DWORD flags) { return openAs<TrackerReader>("libopenmpt", source, flags); }

} // namespace orvane
