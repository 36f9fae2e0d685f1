#pragma once
#include <QString>
#include <cstdint>

typedef struct sf_private_tag SNDFILE;

namespace mp3enc {

// A RIFF WAVE input read through libsndfile as float frames in -1..1.
// Accepts every sample layout libsndfile decodes (8-bit unsigned, 16/24/32
// bit integer, 32/64-bit float, WAVE_FORMAT_EXTENSIBLE, extra chunks);
// refuses files cut shorter than their data chunk says.
class WavInput {
public:
    enum class Error { None, Missing, NotWav, Truncated, Format };

    WavInput() = default;
    ~WavInput();
    WavInput(const WavInput &) = delete;
    WavInput &operator=(const WavInput &) = delete;

    bool open(const QString &path);
    Error error() const { return error_; }
    QString reason() const { return reason_; } // short, without the file name

    int channels() const { return channels_; }
    int sampleRate() const { return rate_; }
    std::int64_t frames() const { return frames_; }
    // Reads up to n frames (interleaved) into buf; the count read, <0 on error.
    std::int64_t read(float *buf, std::int64_t n);

private:
    bool fail(Error e, const QString &why);
    SNDFILE *sf_ = nullptr;
    Error error_ = Error::None;
    QString reason_;
    int channels_ = 0;
    int rate_ = 0;
    std::int64_t frames_ = 0;
};

// Walks the RIFF chunks of a WAVE file: false with *why when the file is
// not RIFF WAVE or its data chunk runs past the end of the file.
enum class RiffCheck { Ok, NotWav, Truncated };
RiffCheck checkRiff(const QString &path, QString *why);

} // namespace mp3enc
