#pragma once
// The tag writer without the file name in its message, for a temporary
// file whose name means nothing to the user.
#include "encode/songtags.h"

// A failure's text is the reason the tags could not be written.
Outcome saveTags(const QString &path, RingtoneFormat format, const SongTags &tags);
