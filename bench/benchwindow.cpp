#include "benchwindow.h"

#include "editor/clipeditor.h"
#include "editor/cliplist.h"

#include <QFileInfo>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

BenchWindow::BenchWindow() : form_(std::make_unique<Frmmain>(env_.paths()))
{
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

void BenchWindow::addSong(const QString &songPath)
{
    dialogs_.files.push_back(songPath);
    click("CmdAdd");
    // The song is made into a clip on the job runner.
    if (!waitFor([this] { return !form_->clipEditor()->list().importing(); }, 600000)) {
        std::fprintf(stderr, "the import of %s did not end\n", qPrintable(songPath));
        std::exit(1);
    }
}

void requireArguments(int argc, char **argv, int count, const char *usage)
{
    if (argc > count)
        return;
    std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
    std::exit(2);
}

QString pathArgument(const char *arg) { return QFileInfo(QString::fromLocal8Bit(arg)).absoluteFilePath(); }

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
