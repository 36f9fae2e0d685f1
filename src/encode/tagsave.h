#pragma once
// The tag writer without the file name in its message, for a temporary
// file whose name means nothing to the user.
#include "encode/songtags.h"

// Empty, or the reason the tags could not be written.
QString saveTags(const QString &path, RingtoneFormat format, const SongTags &tags);
