#include "cli/commands.h"

#include "cli/progressview.h"
#include "cli/runcontext.h"
#include "cli/songjob.h"
#include "cli/songreport.h"
#include "core/songfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

QString absolute(const QString &path) { return QFileInfo(path).absoluteFilePath(); }
QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

void printFailure(const QString &song, const QString &why)
{
    std::fprintf(stderr, "%s: %s\n", shown(song).toLocal8Bit().constData(), why.toLocal8Bit().constData());
}

void printNotes(const QStringList &notes)
{
    for (const QString &note : notes)
        std::fprintf(stderr, "note: %s\n", note.toLocal8Bit().constData());
}

JobProgress stoppable(const std::function<void(double)> &show = {})
{
    return [show](double fraction) {
        if (show)
            show(fraction);
        return !RunContext::stopRequested();
    };
}

// A song of a batch, with its ringtone, or why it is not made at all.
struct BatchItem {
    SongJob job;
    QString refusal;
};

std::vector<BatchItem> planBatch(const CommandLine &options, QStringList *missing)
{
    std::vector<BatchItem> items;
    QHash<QString, QString> madeFrom; // ringtone -> its song
    const QDir outDir(absolute(options.outDir));
    for (const QString &song : batchSongs(options.songs, missing)) {
        BatchItem item;
        item.job = SongJob{int(items.size()), absolute(song),
                           outDir.filePath(QFileInfo(song).completeBaseName() + QLatin1Char('.') + options.kind.extension)};
        if (const QString other = madeFrom.value(item.job.out); !other.isEmpty())
            item.refusal = QStringLiteral("its ringtone %1 is made from %2 already.").arg(shown(item.job.out), shown(other));
        else
            madeFrom.insert(item.job.out, item.job.song);
        items.push_back(item);
    }
    return items;
}

} // namespace

QStringList batchSongs(const QStringList &named, QStringList *missing)
{
    QStringList songs;
    for (const QString &path : named) {
        const QFileInfo info(path);
        if (info.isFile()) {
            songs << path;
        } else if (info.isDir()) {
            const QFileInfoList files = QDir(path).entryInfoList(QDir::Files, QDir::Name);
            for (const QFileInfo &file : files)
                if (isSongFile(file.filePath()))
                    songs << file.filePath();
        } else {
            *missing << path;
        }
    }
    return songs;
}

int runInfo(RunContext &run, const CommandLine &options)
{
    int status = 0;
    QJsonArray all;
    for (qsizetype i = 0; i < options.songs.size(); ++i) {
        const Result<SongInfo> info = inspectSong(run, SongJob{int(i), absolute(options.songs[i]), {}});
        run.dropJob(int(i));
        if (!info) {
            printFailure(options.songs[i], run.describe(info.failure()));
            status = 1;
            continue;
        }
        if (options.json) {
            all.append(songInfoJson(info.value()));
        } else {
            std::fputs((i > 0 ? QStringLiteral("\n") : QString()).toLocal8Bit().constData(), stdout);
            std::fputs(songInfoText(info.value()).toLocal8Bit().constData(), stdout);
        }
    }
    if (options.json)
        std::fputs(QJsonDocument(all).toJson(QJsonDocument::Indented).constData(), stdout);
    return status;
}

int runMake(RunContext &run, const CommandLine &options)
{
    const SongJob job{0, absolute(options.songs.front()), absolute(options.out)};
    QStringList notes;
    const Outcome made = makeRingtone(run, job, options, stoppable(), &notes);
    run.dropJob(job.number);
    printNotes(notes);
    if (made)
        return 0;
    printFailure(options.songs.front(), run.describe(made.failure()));
    return 1;
}

int runBatch(RunContext &run, const CommandLine &options)
{
    const QFileInfo outDir(options.outDir);
    if (!outDir.isDir()) {
        printFailure(options.outDir, QStringLiteral("no such folder for the ringtones."));
        return 1;
    }
    QStringList missing;
    const std::vector<BatchItem> items = planBatch(options, &missing);
    for (const QString &path : missing)
        printFailure(path, QStringLiteral("no such file or folder."));
    if (items.empty() && missing.isEmpty())
        std::fprintf(stderr, "No songs were found.\n");

    const int workers = std::min<int>(options.jobs > 0 ? options.jobs : std::max(1, QThread::idealThreadCount()),
                                      int(items.size()));
    ProgressView view(int(items.size()), ::isatty(STDERR_FILENO) == 1);
    std::atomic<int> next = 0, made = 0;
    const auto work = [&](int slot) {
        for (int i; (i = next++) < int(items.size());) {
            const BatchItem &item = items[size_t(i)];
            QStringList notes;
            Outcome outcome = Outcome::failure(item.refusal);
            if (item.refusal.isEmpty()) {
                outcome = makeRingtone(run, item.job, options,
                                       stoppable([&view, slot](double f) { view.update(slot, f); }), &notes);
                run.dropJob(item.job.number);
            }
            for (const QString &note : notes)
                view.say(stderr, QStringLiteral("note: ") + note);
            if (outcome) {
                ++made;
                view.finished(slot, stdout, QStringLiteral("made %1").arg(shown(item.job.out)));
            } else {
                view.finished(slot, stderr,
                              QStringLiteral("%1: %2").arg(shown(item.job.song), run.describe(outcome.failure())));
            }
        }
    };
    std::vector<std::thread> threads;
    for (int slot = 0; slot < workers; ++slot)
        threads.emplace_back(work, slot);
    for (std::thread &t : threads)
        t.join();
    view.close();
    const int failed = int(items.size()) - made + int(missing.size());
    std::fprintf(stdout, "%d ringtone%s made, %d failed.\n", int(made), made == 1 ? "" : "s", failed);
    return failed == 0 && !items.empty() ? 0 : 1;
}
