#pragma once
// How a batch shows its course: on a terminal a bar redrawn in place on
// standard error, otherwise nothing but the lines of finished songs. Those
// lines (standard output for a ringtone made, standard error for a song
// that failed) and the bar never cross. Safe to call from every worker.
#include <QString>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <vector>

class ProgressView {
public:
    ProgressView(int songs, bool terminal);

    // How far the song of this slot has come (0..1).
    void update(int slot, double fraction);
    // A line for the user, above the bar.
    void say(FILE *stream, const QString &line);
    // The song of this slot is done: its line goes to `stream`.
    void finished(int slot, FILE *stream, const QString &line);
    // Takes the bar away (at the end).
    void close();

private:
    void draw(bool now);
    void clearBar();

    std::mutex lock_;
    const int songs_;
    const bool terminal_;
    int done_ = 0;
    std::vector<double> running_;
    bool barShown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};
