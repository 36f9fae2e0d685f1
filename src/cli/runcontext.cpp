#include "cli/runcontext.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>

namespace {

extern "C" void onStopSignal(int) { RunContext::stopRequested() = true; }

} // namespace

RunContext::RunContext(const QString &appDir)
    : scratch_(QDir::tempPath() + QStringLiteral("/orvane-clipforge-cli-XXXXXX"))
{
    paths_.appDir = appDir;
    paths_.workDir = paths_.scratchDir = scratch_.path();
    audio_ = std::make_unique<AudioStart>(paths_);
}

RunContext::~RunContext()
{
    if (startOutcome_ && audio_->api())
        audio_->api()->BASS_Free();
}

QString RunContext::error() const
{
    return scratch_.isValid() ? QString()
                              : QStringLiteral("no scratch folder could be made in %1: %2")
                                    .arg(QDir::tempPath(), scratch_.errorString());
}

AppPaths RunContext::jobPaths(int job) const
{
    AppPaths paths = paths_;
    paths.workDir = paths.scratchDir = scratch_.filePath(QStringLiteral("job%1").arg(job));
    AppPaths::ensurePrivateDir(paths.scratchDir);
    return paths;
}

void RunContext::dropJob(int job) const
{
    QDir(scratch_.filePath(QStringLiteral("job%1").arg(job))).removeRecursively();
}

Outcome RunContext::startAudio()
{
    std::call_once(started_, [this] {
        // The library's start makes its folder the current one: every path
        // of the run is absolute by then.
        const QString library = QDir(paths_.appDir).filePath(QStringLiteral("libbass.so"));
        if (!QFileInfo(library).isFile()) {
            startOutcome_ = Outcome::failure(QStringLiteral("the audio library %1 is missing.").arg(library));
            return;
        }
        const QString here = QDir::currentPath();
        startOutcome_ = audio_->initwav();
        QDir::setCurrent(here);
        if (!startOutcome_)
            startOutcome_ = Outcome::failure(QStringLiteral("the audio library in %1 cannot be started: %2")
                                                 .arg(paths_.appDir, describe(startOutcome_.failure())));
    });
    return startOutcome_;
}

QString RunContext::describe(const Failure &failure) const { return audio_->describe(failure); }

std::atomic<bool> &RunContext::stopRequested()
{
    static std::atomic<bool> stop = false;
    return stop;
}

void RunContext::installStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
