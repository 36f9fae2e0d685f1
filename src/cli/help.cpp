#include "cli/options.h"

namespace {

const char kUsage[] = R"(Usage:
  orvane-clipforge-cli info SONG... [--json]
  orvane-clipforge-cli make SONG -o OUT [MAKE OPTIONS]
  orvane-clipforge-cli batch SONG_OR_FOLDER... --out-dir DIR [--format EXT] [-j N] [MAKE OPTIONS]
  orvane-clipforge-cli --help [COMMAND] | --version
)";

const char kInfo[] = R"(info SONG... [--json]
  Prints each song's length, sample rate, channels, tags, integrated
  loudness (LUFS), true peak (dBTP), tempo and chorus candidates.
  --json            one JSON array, an object per song
)";

const char kMake[] = R"(make SONG -o OUT [MAKE OPTIONS]
  Makes one ringtone; its format comes from OUT's extension: m4r, m4a, ogg,
  opus, flac, mp3 or wav. It carries the song's artist, album and cover, and
  OUT's name as its title.
)";

const char kBatch[] = R"(batch SONG_OR_FOLDER... --out-dir DIR [--format EXT] [-j N] [MAKE OPTIONS]
  Makes a ringtone of every song named and of every audio file in every
  folder named (not in their subfolders), as DIR/NAME.EXT.
  --out-dir DIR     the folder of the ringtones (it must exist)
  --format EXT      m4r (the default), m4a, ogg, opus, flac, mp3 or wav
  -j, --jobs N      songs at a time (default: one per core)
)";

const char kMakeOptions[] = R"(Make options (make and batch):
  --from T          the ringtone starts at T of the song (default: its start)
  --to T            and ends at T (default: the song's end)
  --length T        or lasts T
  --chorus          starts at the song's chorus, and lasts as long as it
                    (or --length)
  --fade-in S       fades in over S seconds (0 to 5 in half seconds)
  --fade-out S      fades out over S seconds
  --normalize       brings it to -14 LUFS, true peak at most -1 dBTP
  --bitrate K       an MP3's bit rate in kbit/s (default 128)
  --whole           keeps an M4R longer than 40 s whole (by default only
                    its first 40 s are kept, fading out over the last one)
  -f, --force       replaces a ringtone that exists already
Times are seconds (62.5 or 62,5) or minutes and seconds (1:02.5, 1:02:03).

Exit status: 0 when every ringtone was made, 1 when a song failed (each is
named on standard error with the reason), 2 for a usage error. A ringtone is
written whole or not at all.
)";

} // namespace

QString helpText(const QString &command)
{
    QString text = QString::fromUtf8(kUsage);
    const bool all = command != QLatin1String("info") && command != QLatin1String("make") &&
                     command != QLatin1String("batch");
    if (all || command == QLatin1String("info"))
        text += QLatin1Char('\n') + QString::fromUtf8(kInfo);
    if (all || command == QLatin1String("make"))
        text += QLatin1Char('\n') + QString::fromUtf8(kMake);
    if (all || command == QLatin1String("batch"))
        text += QLatin1Char('\n') + QString::fromUtf8(kBatch);
    if (command != QLatin1String("info"))
        text += QLatin1Char('\n') + QString::fromUtf8(kMakeOptions);
    return text;
}
