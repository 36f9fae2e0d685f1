#include "benchwindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

QueuedDialogs::QueuedDialogs() { dialogs::setPresenter(this); }
QueuedDialogs::~QueuedDialogs() { dialogs::setPresenter(nullptr); }

dialogs::Answer QueuedDialogs::message(QWidget *, const dialogs::MessageRequest &request)
{
    messages << request.text;
    if (messageShown)
        messageShown();
    return request.buttons == dialogs::Buttons::Ok ? dialogs::Answer::Ok : dialogs::Answer::No;
}

std::optional<QString> QueuedDialogs::file(QWidget *, const dialogs::FileRequest &)
{
    if (files.empty())
        return std::nullopt;
    QString answer = files.front();
    files.pop_front();
    return answer;
}

BenchWindow::BenchWindow() : paths_(AppPaths::underRoot(root_.path()))
{
    QDir().mkpath(paths_.appDir);
    QDir().mkpath(paths_.homeDir);
    QFile::link(QCoreApplication::applicationDirPath() + QStringLiteral("/libbass.so"),
                paths_.appDir + QStringLiteral("/libbass.so"));
    form_ = std::make_unique<Frmmain>(paths_);
    form_->endProgram = [] {};
    form_->show();
}

BenchWindow::~BenchWindow() { form_.reset(); }

void BenchWindow::click(const char *name)
{
    auto *button = form_->findChild<QPushButton *>(QString::fromLatin1(name));
    if (!button) {
        std::fprintf(stderr, "no button %s\n", name);
        std::exit(1);
    }
    button->setEnabled(true);
    button->click();
}

bool BenchWindow::waitForMessage(int timeoutMs)
{
    if (dialogs_.messages.isEmpty()) {
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        dialogs_.messageShown = [&loop] { loop.quit(); };
        loop.exec();
        dialogs_.messageShown = nullptr;
    }
    return !dialogs_.messages.isEmpty();
}

double elapsedMs(const QElapsedTimer &timer) { return timer.nsecsElapsed() / 1e6; }

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long currentRssKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}
