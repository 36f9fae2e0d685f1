// The runner of long jobs: the work on a thread of its own, the busy window
// and the disabled main window while it runs, its end told once on the
// user-interface thread.
#include "testenv.h"
#include "widgets/busyscope.h"
#include "widgets/frmload.h"
#include "widgets/jobrunner.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

struct Ending {
    int calls = 0;
    bool onUiThread = true;
    std::optional<Outcome> outcome;
};

class JobRunnerTest : public ::testing::Test {
protected:
    JobRunner::Done recordInto(Ending &ending)
    {
        return [&ending](const Outcome &outcome) {
            ++ending.calls;
            ending.onUiThread = ending.onUiThread && QThread::currentThread() == qApp->thread();
            ending.outcome = outcome;
        };
    }

    QWidget window;
    BusyWindow busy{window};
    std::unique_ptr<JobRunner> runner = std::make_unique<JobRunner>(busy);
};

} // namespace

// The work's thread, what the window shows meanwhile and the end, for a job
// that succeeds and one that fails.
TEST_F(JobRunnerTest, RunsOffTheUiThreadUnderTheBusyWindowAndTellsItsEndOnce)
{
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failing job" : "good job");
        std::atomic<bool> release{false}, workerThread{false};
        Ending ending;
        ASSERT_TRUE(runner->run(QStringLiteral("Working......"),
                                [&](const JobRunner::Progress &progress) {
                                    workerThread = QThread::currentThread() != qApp->thread();
                                    progress(0.42);
                                    while (!release)
                                        QThread::msleep(5);
                                    return fails ? Outcome::failure(QStringLiteral("it broke")) : Outcome::success();
                                },
                                recordInto(ending)));
        EXPECT_TRUE(runner->running());
        EXPECT_FALSE(window.isEnabled());
        EXPECT_TRUE(busy.window()->isVisible());
        EXPECT_EQ(busy.window()->Label1()->text(), QStringLiteral("Working......"));
        EXPECT_TRUE(waitFor([&] { return busy.window()->ProgressBar1()->value() == 42; }, 5000));
        EXPECT_EQ(ending.calls, 0);
        release = true;
        ASSERT_TRUE(waitFor([&] { return ending.calls > 0; }, 5000));
        waitFor([] { return false; }, 50);
        EXPECT_EQ(ending.calls, 1);
        EXPECT_TRUE(ending.onUiThread);
        EXPECT_TRUE(workerThread);
        ASSERT_TRUE(ending.outcome);
        EXPECT_EQ(ending.outcome->ok(), !fails);
        EXPECT_EQ(ending.outcome->error(), fails ? QStringLiteral("it broke") : QString());
        EXPECT_FALSE(runner->running());
        EXPECT_TRUE(window.isEnabled());
        EXPECT_FALSE(busy.window()->isVisible());
    }
}

// One job at a time; stop() reaches the work through its progress calls;
// a runner that goes while its job runs stops it and waits for it.
TEST_F(JobRunnerTest, OneJobAtATimeAndStopReachesTheWork)
{
    Ending first, second;
    std::atomic<int> stoppedAfter{0};
    ASSERT_TRUE(runner->run(QString(),
                            [&](const JobRunner::Progress &progress) {
                                while (progress(0.1))
                                    ++stoppedAfter;
                                return Outcome::failure(QStringLiteral("stopped"));
                            },
                            recordInto(first)));
    EXPECT_FALSE(runner->run(QString(), [](const JobRunner::Progress &) { return Outcome::success(); },
                             recordInto(second)));
    runner->stop();
    ASSERT_TRUE(waitFor([&] { return first.calls > 0; }, 5000));
    EXPECT_EQ(first.outcome->error(), QStringLiteral("stopped"));
    EXPECT_EQ(second.calls, 0);

    std::atomic<bool> sawStop{false};
    Ending abandoned;
    ASSERT_TRUE(runner->run(QString(),
                            [&](const JobRunner::Progress &progress) {
                                while (progress(0.5))
                                    QThread::msleep(1);
                                sawStop = true;
                                return Outcome::success();
                            },
                            recordInto(abandoned)));
    runner.reset();
    EXPECT_TRUE(sawStop);
    waitFor([] { return false; }, 50);
    EXPECT_EQ(abandoned.calls, 0);
}
