// session_driver yes|no stay|trim|close [SONG...]: the program's own start
// (modmain::run over the user's folders) with its dialogs answered from the
// command line: every Yes/No question gets the first argument, and every
// message shown is printed as "message: TEXT" (line breaks as "|"). Once the
// session has started and the songs named are listed it prints the messages so far, then with "trim" cuts
// the first entry's clip to its second second, with "close" closes the
// window (the shutdown sequence), and prints "ready". A later start prints
// its messages and ends with the start's status.
#include "editor/clipeditor.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliplist.h"
#include "editor/cliptrimmer.h"
#include "scripteddialogs.h"
#include "base/apptitle.h"
#include "shell/frmmain.h"
#include "shell/modmain.h"

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <cstdio>

namespace {

void printMessages(ScriptedDialogs &dialogs)
{
    for (const QString &text : dialogs.texts())
        std::printf("message: %s\n", qPrintable(QString(text).replace(QLatin1Char('\n'), QLatin1Char('|'))));
    dialogs.messages.clear();
    std::fflush(stdout);
}

// The songs named are made into clips on the job runner, one after another.
void waitForImports(Frmmain &form)
{
    while (form.clipEditor()->list().importing())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void trimFirstEntry(Frmmain &form)
{
    ClipEditorPanel &panel = *form.Framewav();
    panel.List1->setCurrentRow(0);
    form.clipEditor()->trimmer().List1_DblClick();
    const std::pair<int, const char *> marks[] = {{1, "CmdMarkin"}, {2, "CmdMarkOut"}};
    for (const auto &[second, button] : marks) {
        panel.SliderEdit->setValue(second);
        form.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    }
    panel.CmdEditDone->click();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s yes|no stay|trim|close [SONG...]\n", argv[0]);
        return 2;
    }
    const QString action = QString::fromLocal8Bit(argv[2]);
    ScriptedDialogs dialogs;
    const dialogs::Answer answer = qstrcmp(argv[1], "yes") == 0 ? dialogs::Answer::Yes : dialogs::Answer::No;
    dialogs.answers.assign(16, answer);
    QStringList songs;
    for (int i = 3; i < argc; ++i)
        songs << QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath();

    const int status = modmain::run(AppPaths::fromSystem(), songs, [&](Frmmain &form) {
        waitForImports(form);
        printMessages(dialogs);
        if (action == QLatin1String("trim"))
            trimFirstEntry(form);
        printMessages(dialogs);
        std::printf("ready\n");
        std::fflush(stdout);
        if (action == QLatin1String("close"))
            form.close();
    });
    printMessages(dialogs);
    return status;
}
