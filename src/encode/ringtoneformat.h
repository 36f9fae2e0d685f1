#pragma once
// The formats a ringtone can be saved in, their save-dialog filters and
// file name extensions.
#include <QString>
#include <QStringList>

enum class RingtoneFormat { M4r, Ogg, Opus, Flac, Mp3, Wav };

// "iPhone ringtone (*.m4r)", "Ogg Vorbis (*.ogg)", ... in the order of the enum.
QStringList ringtoneFilters();
QString filterFor(RingtoneFormat format);
// The format of a filter string; M4r for one that is not in the list.
RingtoneFormat formatForFilter(const QString &filter);
// "m4r", "ogg", "opus", "flac", "mp3", "wav".
QString extensionFor(RingtoneFormat format);

struct NamedFormat {
    RingtoneFormat format;
    QString fileName; // the name to save under
};

// The format a typed file name asks for: its own extension when that is one
// of the formats (in any letter case), else the filter's, whose extension
// is then appended to the name.
NamedFormat formatForName(const QString &fileName, RingtoneFormat filterFormat);
