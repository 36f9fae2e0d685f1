// Records from the sound server through libbass.so (loaded by the program's
// loader from the application folder) for SECONDS, the way the recording
// engine does: every block is appended to one growing WAV image (steps of
// 200000 bytes). bench_record SECONDS [INPUT_NAME]
// Prints the samples delivered against the time that passed, the worst time
// spent in the procedure and the worst gap between two blocks, the process's
// memory at the end against the image's size (in all, and from 2 s on, once
// the recording's fixed needs are in place), and the tone it heard.
// Exits 1 when samples were lost (more than 0.1% off the time between the
// first and the last block) or the memory grew more than 1% beyond the image.
#include "audio/basslib.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr long kStep = 200000; // the engine's growth step
constexpr long kHeader = 44;

struct Image {
    unsigned char *buffer = nullptr;
    long length = 0;
    long blocks = 0;
    DWORD smallest = 0xFFFFFFFFu, largest = 0;
    double worstInsideUs = 0;   // time spent in the procedure
    double worstGapMs = 0;      // between the starts of two calls
    Clock::time_point first, last;
    DWORD firstBlock = 0;
    bool failed = false;
};

Image image;
std::atomic<long> imageLength{0}; // image.length, for the main thread

BOOL captureProc(DWORD, const void *buffer, DWORD length, void *)
{
    const auto now = Clock::now();
    if (image.blocks == 0) {
        image.first = now;
        image.firstBlock = length;
    } else {
        image.worstGapMs = std::max(image.worstGapMs, std::chrono::duration<double, std::milli>(now - image.last).count());
    }
    image.last = now;
    // The engine's growth rule: a new size of capLen + length + capStep.
    if ((image.length % kStep) + long(length) >= kStep) {
        auto *grown = static_cast<unsigned char *>(std::realloc(image.buffer, size_t(image.length + long(length) + kStep)));
        if (!grown) {
            image.failed = true;
            return 0;
        }
        image.buffer = grown;
    }
    std::memcpy(image.buffer + image.length, buffer, length);
    image.length += long(length);
    imageLength = image.length;
    ++image.blocks;
    image.smallest = std::min(image.smallest, length);
    image.largest = std::max(image.largest, length);
    image.worstInsideUs = std::max(image.worstInsideUs, std::chrono::duration<double, std::micro>(Clock::now() - now).count());
    return 1;
}

// A figure of /proc/self/status in KiB ("VmRSS", "RssAnon", "RssShmem").
long statusKiB(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + key.size());
    return -1;
}

std::string applicationFolder()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string p(path, size_t(n));
    return p.substr(0, p.rfind('/'));
}

// The frequency of the left channel over the last second, from rising zero crossings.
double lastSecondFrequency()
{
    const long samples = (image.length - kHeader) / 4;
    const long from = std::max(0L, samples - 44100);
    const auto *s = reinterpret_cast<const int16_t *>(image.buffer + kHeader);
    long crossings = 0, first = -1, last = -1;
    bool low = true;
    for (long i = from; i < samples; ++i) {
        const int v = s[2 * i];
        if (low && v > 1000) {
            low = false;
            if (first < 0)
                first = i;
            last = i;
            ++crossings;
        } else if (!low && v < -1000) {
            low = true;
        }
    }
    return crossings > 1 ? (crossings - 1) * 44100.0 / double(last - first) : 0.0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SECONDS [INPUT_NAME]\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    const std::string wanted = argc > 2 ? argv[2] : "Monitor of ClipforgeSink";
    auto loaded = BassLibrary::load(QString::fromStdString(applicationFolder() + "/libbass.so"));
    if (!loaded) {
        std::fprintf(stderr, "%s\n", qPrintable(loaded.error()));
        return 1;
    }
    auto lib = loaded.take();
    const BassApi &bass = lib->api();
    if (!bass.BASS_RecordInit(-1)) {
        std::fprintf(stderr, "BASS_RecordInit: %s\n", bass.BASS_ErrorText(bass.BASS_ErrorGetCode()));
        return 1;
    }
    std::string input = "(the default source)";
    for (int i = 0; const char *name = bass.BASS_RecordGetInputName(i); ++i)
        if (wanted == name && bass.BASS_RecordSetInput(i, BASS_INPUT_ON))
            input = name;

    image.buffer = static_cast<unsigned char *>(std::malloc(kStep));
    std::memset(image.buffer, 0, kHeader);
    image.length = kHeader;
    const long before = statusKiB("VmRSS"), anonBefore = statusKiB("RssAnon"), shmBefore = statusKiB("RssShmem");

    const auto start = Clock::now();
    const DWORD channel = bass.BASS_RecordStart(44100, 2, 0, &captureProc, nullptr);
    if (!channel) {
        std::fprintf(stderr, "BASS_RecordStart: %s\n", bass.BASS_ErrorText(bass.BASS_ErrorGetCode()));
        return 1;
    }
    // Once the recording runs (its thread, buffers and the server's shared
    // memory in place), the memory should grow by the image's growth alone.
    long warm = -1, warmImage = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds && bass.BASS_ChannelIsActive(channel)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (warm < 0 && std::chrono::duration<double>(Clock::now() - start).count() >= 2.0) {
            warmImage = imageLength;
            warm = statusKiB("VmRSS");
        }
    }
    const QWORD position = bass.BASS_ChannelGetPosition(channel);
    bass.BASS_ChannelStop(channel);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const long after = statusKiB("VmRSS"), anonAfter = statusKiB("RssAnon"), shmAfter = statusKiB("RssShmem");
    const double frequency = lastSecondFrequency();
    bass.BASS_RecordFree();

    const long bytes = image.length - kHeader;
    const double samples = double(bytes) / 4;
    // From the first block to the last: the samples after the first block
    // against the time between their arrivals (start-up latency left out).
    const double span = std::chrono::duration<double>(image.last - image.first).count();
    const double spanSamples = double(bytes - long(image.firstBlock)) / 4;
    const double spanOff = span > 0 ? (spanSamples / (span * 44100.0) - 1.0) * 100.0 : 0.0;
    const double wholeOff = (samples / (elapsed * 44100.0) - 1.0) * 100.0;
    const double growth = double(after - before) * 1024.0;
    const double steadyGrowth = double(after - warm) * 1024.0;
    const double steadyImage = double(image.length - warmImage);
    const double memoryOff = warm >= 0 ? (steadyGrowth / steadyImage - 1.0) * 100.0 : 0.0;

    std::printf("input              : %s\n", input.c_str());
    std::printf("recorded           : %.1f s, %ld blocks of %u to %u bytes, %s\n", elapsed, image.blocks,
                image.smallest, image.largest, image.failed ? "the image could not grow" : "no failure");
    std::printf("samples            : %.0f delivered (position %llu bytes), %.0f expected from start to stop: %+.3f%%\n",
                samples, static_cast<unsigned long long>(position), elapsed * 44100.0, wholeOff);
    std::printf("first to last block: %.0f samples in %.3f s, %.0f expected: %+.4f%% (limit 0.1%%)\n", spanSamples,
                span, span * 44100.0, spanOff);
    std::printf("callback           : worst %.0f us inside, worst gap between blocks %.1f ms\n", image.worstInsideUs,
                image.worstGapMs);
    std::printf("memory             : resident %ld KiB before the start, %ld KiB at the end: +%.0f bytes for a "
                "%ld-byte image (%+.0f bytes more), of which private +%ld KiB, shared with the sound server +%ld KiB\n",
                before, after, growth, image.length, growth - double(image.length), anonAfter - anonBefore,
                shmAfter - shmBefore);
    std::printf("memory after 2 s   : +%.0f bytes while the image grew by %.0f bytes: %+.2f%% (limit 1%%)\n",
                steadyGrowth, steadyImage, memoryOff);
    std::printf("tone               : %.1f Hz in the last second\n", frequency);
    const bool ok = !image.failed && warm >= 0 && std::abs(spanOff) <= 0.1 && std::abs(memoryOff) <= 1.0
                 && QWORD(bytes) == position;
    std::printf("%s\n", ok ? "within limits" : "OUT OF LIMITS");
    std::free(image.buffer);
    return ok ? 0 : 1;
}
