#pragma once
// The command line of orvane-clipforge-cli: its commands and their options,
// read into one value, or the usage error that stops it.
#include "base/result.h"
#include "core/fadesettings.h"
#include "encode/ringtoneformat.h"

#include <QString>
#include <QStringList>
#include <optional>

enum class Command { Help, Version, Info, Make, Batch };

// The kinds of file a ringtone is written as, by the output's extension.
struct OutputKind {
    RingtoneFormat format;
    QString extension;   // "m4r", "m4a", ...
    bool phoneLimit;     // an iPhone ringtone: longer than 40 s is cut unless --whole
};
// The kind of a file name or a bare extension ("ring.M4R", "m4r"); none when
// it is not one of m4r, m4a, ogg, opus, flac, mp3, wav.
std::optional<OutputKind> outputKindOf(const QString &nameOrExtension);

// How each song becomes a ringtone.
struct MakeOptions {
    std::optional<qint64> fromMs, toMs, lengthMs;
    bool chorus = false;
    FadeLengths fades;
    bool normalize = false;
    std::optional<int> bitRate; // kbit/s
    bool force = false;         // an existing output is replaced
    bool whole = false;         // an M4R over 40 s is kept whole
};

struct CommandLine {
    Command command = Command::Help;
    QString helpTopic;     // the command whose help was asked for ("" for all)
    QStringList songs;     // as given: files, and folders for batch
    bool json = false;     // info
    QString out;           // make: the ringtone
    QString outDir;        // batch: the folder of the ringtones
    OutputKind kind{RingtoneFormat::M4r, QStringLiteral("m4r"), true};
    MakeOptions make;
    int jobs = 0;          // batch: songs at a time; 0: one per core
};

// Reads the arguments after the program's name. A failure is a usage error,
// in words that name the argument at fault.
Result<CommandLine> parseCommandLine(const QStringList &arguments);

// The help text of one command, or of all ("" or an unknown name).
QString helpText(const QString &command);
