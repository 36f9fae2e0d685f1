#include "cli/options.h"

#include "base/timetext.h"
#include "edits/fades.h"

#include <QFileInfo>
#include <array>
#include <functional>

namespace {

constexpr std::array<int, 18> kMp3BitRates{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};

enum Scope { InfoOnly = 1, MakeOnly = 2, BatchOnly = 4, Making = MakeOnly | BatchOnly };

using Usage = Result<CommandLine>;
Usage usage(const QString &why) { return Usage::failure(why); }

// One option: its names, whether a value follows, the commands that take
// it, and what it sets (empty, or what is wrong with the value).
struct OptionSpec {
    const char *name;
    const char *shortName;
    bool takesValue;
    int scope;
    std::function<QString(CommandLine &, const QString &value)> apply;
};

QString readTime(const QString &option, const QString &text, std::optional<qint64> *into)
{
    const Result<qint64> ms = parseTimeText(text);
    if (!ms)
        return QStringLiteral("%1 %2: %3").arg(option, text, ms.error());
    *into = ms.value();
    return {};
}

QString readFade(const QString &option, const QString &text, double *seconds)
{
    const Result<qint64> ms = parseTimeText(text);
    if (!ms || !isFadeLength(ms.value() / 1000.0))
        return QStringLiteral("%1 %2: a fade lasts 0 to 5 seconds in half seconds (0.5, 1, 1.5, ...).").arg(option, text);
    *seconds = ms.value() / 1000.0;
    return {};
}

QString readCount(const QString &option, const QString &text, int *into)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1)
        return QStringLiteral("%1 %2: a whole number of at least 1 is needed.").arg(option, text);
    *into = n;
    return {};
}

const std::vector<OptionSpec> &optionSpecs()
{
    static const std::vector<OptionSpec> specs{
        {"--json", nullptr, false, InfoOnly, [](CommandLine &c, const QString &) { c.json = true; return QString(); }},
        {"--out", "-o", true, MakeOnly, [](CommandLine &c, const QString &v) { c.out = v; return QString(); }},
        {"--out-dir", nullptr, true, BatchOnly, [](CommandLine &c, const QString &v) { c.outDir = v; return QString(); }},
        {"--format", nullptr, true, BatchOnly,
         [](CommandLine &c, const QString &v) {
             const std::optional<OutputKind> kind = outputKindOf(v);
             if (!kind)
                 return QStringLiteral("--format %1: the formats are m4r, m4a, ogg, opus, flac, mp3 and wav.").arg(v);
             c.kind = *kind;
             return QString();
         }},
        {"--jobs", "-j", true, BatchOnly, [](CommandLine &c, const QString &v) { return readCount(QStringLiteral("-j"), v, &c.jobs); }},
        {"--from", nullptr, true, Making, [](CommandLine &c, const QString &v) { return readTime(QStringLiteral("--from"), v, &c.make.fromMs); }},
        {"--to", nullptr, true, Making, [](CommandLine &c, const QString &v) { return readTime(QStringLiteral("--to"), v, &c.make.toMs); }},
        {"--length", nullptr, true, Making,
         [](CommandLine &c, const QString &v) { return readTime(QStringLiteral("--length"), v, &c.make.lengthMs); }},
        {"--chorus", nullptr, false, Making, [](CommandLine &c, const QString &) { c.make.chorus = true; return QString(); }},
        {"--fade-in", nullptr, true, Making,
         [](CommandLine &c, const QString &v) { return readFade(QStringLiteral("--fade-in"), v, &c.make.fades.inSeconds); }},
        {"--fade-out", nullptr, true, Making,
         [](CommandLine &c, const QString &v) { return readFade(QStringLiteral("--fade-out"), v, &c.make.fades.outSeconds); }},
        {"--normalize", nullptr, false, Making, [](CommandLine &c, const QString &) { c.make.normalize = true; return QString(); }},
        {"--bitrate", nullptr, true, Making,
         [](CommandLine &c, const QString &v) {
             int kbps = 0;
             if (!readCount(QStringLiteral("--bitrate"), v, &kbps).isEmpty())
                 return QStringLiteral("--bitrate %1: a bit rate in kbit/s is needed, such as 128.").arg(v);
             c.make.bitRate = kbps;
             return QString();
         }},
        {"--force", "-f", false, Making, [](CommandLine &c, const QString &) { c.make.force = true; return QString(); }},
        {"--whole", nullptr, false, Making, [](CommandLine &c, const QString &) { c.make.whole = true; return QString(); }},
    };
    return specs;
}

const char *commandName(Command command)
{
    switch (command) {
    case Command::Info: return "info";
    case Command::Make: return "make";
    case Command::Batch: return "batch";
    default: return "";
    }
}

int scopeOf(Command command)
{
    return command == Command::Info ? InfoOnly : command == Command::Make ? MakeOnly : BatchOnly;
}

// What the options say together, once all are read.
QString checkTogether(CommandLine &c)
{
    const MakeOptions &m = c.make;
    const QString command = QString::fromLatin1(commandName(c.command));
    if (c.songs.isEmpty())
        return command == QLatin1String("make") ? QStringLiteral("make needs a song.")
                                                : QStringLiteral("%1 needs at least one song.").arg(command);
    if (c.command == Command::Info)
        return {};
    if (c.command == Command::Make) {
        if (c.songs.size() > 1)
            return QStringLiteral("make takes one song; batch takes many.");
        if (c.out.isEmpty())
            return QStringLiteral("make needs the ringtone's file: -o OUT.");
        const std::optional<OutputKind> kind = outputKindOf(c.out);
        if (!kind)
            return QStringLiteral("-o %1: the ringtone's name ends in .m4r, .m4a, .ogg, .opus, .flac, .mp3 or .wav.").arg(c.out);
        c.kind = *kind;
    }
    if (c.command == Command::Batch && c.outDir.isEmpty())
        return QStringLiteral("batch needs the folder of the ringtones: --out-dir DIR.");
    if (m.toMs && m.lengthMs)
        return QStringLiteral("--to and --length both set the end: give one of them.");
    if (m.chorus && (m.fromMs || m.toMs))
        return QStringLiteral("--chorus chooses the stretch itself: leave out --from and --to (--length still sets its length).");
    if (m.lengthMs && *m.lengthMs <= 0)
        return QStringLiteral("--length must be longer than 0.");
    if (m.toMs && *m.toMs <= m.fromMs.value_or(0))
        return QStringLiteral("--to must come after --from.");
    if (m.bitRate) {
        if (c.kind.format != RingtoneFormat::Mp3)
            return QStringLiteral("--bitrate sets the bit rate of an MP3; a .%1 ringtone has its own.").arg(c.kind.extension);
        if (std::find(kMp3BitRates.begin(), kMp3BitRates.end(), *m.bitRate) == kMp3BitRates.end())
            return QStringLiteral("--bitrate %1: an MP3 takes 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, "
                                  "192, 224, 256 or 320 kbit/s.")
                .arg(*m.bitRate);
    }
    return {};
}

} // namespace

std::optional<OutputKind> outputKindOf(const QString &nameOrExtension)
{
    struct Kind {
        const char *extension;
        RingtoneFormat format;
        bool phoneLimit;
    };
    static constexpr std::array<Kind, 7> kinds{{
        {"m4r", RingtoneFormat::M4r, true},
        {"m4a", RingtoneFormat::M4r, false},
        {"ogg", RingtoneFormat::Ogg, false},
        {"opus", RingtoneFormat::Opus, false},
        {"flac", RingtoneFormat::Flac, false},
        {"mp3", RingtoneFormat::Mp3, false},
        {"wav", RingtoneFormat::Wav, false},
    }};
    const QString extension =
        nameOrExtension.contains(QLatin1Char('.')) ? QFileInfo(nameOrExtension).suffix() : nameOrExtension;
    for (const Kind &k : kinds)
        if (extension.compare(QLatin1String(k.extension), Qt::CaseInsensitive) == 0)
            return OutputKind{k.format, QString::fromLatin1(k.extension), k.phoneLimit};
    return std::nullopt;
}

Result<CommandLine> parseCommandLine(const QStringList &arguments)
{
    CommandLine c;
    if (arguments.isEmpty())
        return usage(QStringLiteral("a command is needed: info, make or batch."));
    const QString first = arguments.front();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        c.helpTopic = arguments.value(1);
        return c;
    }
    if (first == QLatin1String("--version")) {
        c.command = Command::Version;
        return c;
    }
    for (Command command : {Command::Info, Command::Make, Command::Batch})
        if (first == QLatin1String(commandName(command)))
            c.command = command;
    if (c.command == Command::Help)
        return usage(QStringLiteral("unknown command \"%1\": the commands are info, make and batch.").arg(first));

    bool onlySongs = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        if (onlySongs || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            c.songs << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            onlySongs = true;
            continue;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            c.helpTopic = QString::fromLatin1(commandName(c.command));
            c.command = Command::Help;
            return c;
        }
        std::optional<QString> inlineValue;
        if (const qsizetype eq = arg.indexOf(QLatin1Char('=')); arg.startsWith(QLatin1String("--")) && eq > 0) {
            inlineValue = arg.mid(eq + 1);
            arg.truncate(eq);
        }
        const auto &specs = optionSpecs();
        const auto spec = std::find_if(specs.begin(), specs.end(), [&](const OptionSpec &s) {
            return arg == QLatin1String(s.name) || (s.shortName && arg == QLatin1String(s.shortName));
        });
        if (spec == specs.end())
            return usage(QStringLiteral("unknown option %1.").arg(arg));
        if (!(spec->scope & scopeOf(c.command)))
            return usage(QStringLiteral("%1 is not an option of %2.").arg(arg, QLatin1String(commandName(c.command))));
        QString value;
        if (spec->takesValue) {
            if (inlineValue)
                value = *inlineValue;
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                return usage(QStringLiteral("%1 needs a value.").arg(arg));
        } else if (inlineValue) {
            return usage(QStringLiteral("%1 takes no value.").arg(arg));
        }
        if (const QString why = spec->apply(c, value); !why.isEmpty())
            return usage(why);
    }
    if (const QString why = checkTogether(c); !why.isEmpty())
        return usage(why);
    return c;
}
