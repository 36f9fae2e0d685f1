#pragma once
// Which files are songs: the extensions the import and the converter offer
// and accept. What a file holds is judged again by the audio library.
#include <QString>
#include <QStringList>

// The extensions of every song and video whose sound can become a clip,
// lower case, without the dot.
const QStringList &songExtensions();
// Whether the path's extension (any letter case) is one of them.
bool isSongFile(const QString &path);
// The open dialog's filter ("name|patterns|..."): "Audio and video files"
// with every extension, then "All files".
QString songFileFilter();
