#include "cli/progressview.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr int kBarWidth = 30;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

} // namespace

ProgressView::ProgressView(int songs, bool terminal) : songs_(std::max(songs, 1)), terminal_(terminal) {}

void ProgressView::update(int slot, double fraction)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (slot >= int(running_.size()))
        running_.resize(size_t(slot) + 1, 0.0);
    running_[size_t(slot)] = std::clamp(fraction, 0.0, 1.0);
    draw(false);
}

void ProgressView::say(FILE *stream, const QString &line)
{
    std::lock_guard<std::mutex> guard(lock_);
    clearBar();
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
    draw(true);
}

void ProgressView::finished(int slot, FILE *stream, const QString &line)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (slot < int(running_.size()))
        running_[size_t(slot)] = 0;
    ++done_;
    clearBar();
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
    draw(true);
}

void ProgressView::close()
{
    std::lock_guard<std::mutex> guard(lock_);
    clearBar();
}

void ProgressView::clearBar()
{
    if (!barShown_)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    barShown_ = false;
}

void ProgressView::draw(bool now)
{
    if (!terminal_)
        return;
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - lastDraw_ < kRedrawEvery)
        return;
    lastDraw_ = time;
    const double total = (done_ + std::accumulate(running_.begin(), running_.end(), 0.0)) / songs_;
    const int filled = int(total * kBarWidth);
    const QString bar = QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('-'));
    std::fprintf(stderr, "\r[%s] %d/%d songs, %3d%%\x1b[K", bar.toLatin1().constData(), done_, songs_,
                 int(total * 100));
    std::fflush(stderr);
    barShown_ = true;
}
