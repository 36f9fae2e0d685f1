// orvane-clipforge-cli: ringtones from songs without a window, over the same
// workflows as the program's.
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/runcontext.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

constexpr int kUsageError = 2;

void print(FILE *stream, const QString &text) { std::fputs(text.toLocal8Bit().constData(), stream); }

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const Result<CommandLine> parsed = parseCommandLine(arguments);
    if (!parsed) {
        print(stderr, QStringLiteral("orvane-clipforge-cli: %1\nTry 'orvane-clipforge-cli --help'.\n").arg(parsed.error()));
        return kUsageError;
    }
    const CommandLine &options = parsed.value();
    switch (options.command) {
    case Command::Help:
        print(stdout, helpText(options.helpTopic));
        return 0;
    case Command::Version:
        print(stdout, QStringLiteral("orvane-clipforge-cli %1\n").arg(QStringLiteral(CLIPFORGE_VERSION)));
        return 0;
    default:
        break;
    }
    RunContext::installStopSignals();
    RunContext run(QCoreApplication::applicationDirPath());
    if (const QString why = run.error(); !why.isEmpty()) {
        print(stderr, QStringLiteral("orvane-clipforge-cli: %1\n").arg(why));
        return 1;
    }
    if (options.command == Command::Info)
        return runInfo(run, options);
    if (options.command == Command::Make)
        return runMake(run, options);
    return runBatch(run, options);
}
