#pragma once
#include "base/result.h"

#include <QString>
#include <QtGlobal>

// Times as people type them, for the marks of a clip and the command line:
// "m:ss.mmm", "h:mm:ss.mmm", "ss.mmm", or a plain number of seconds, with a
// decimal point or a decimal comma and any number of decimals. Read into
// whole milliseconds (rounded to the nearest); why the text is no time when
// it is not.
Result<qint64> parseTimeText(const QString &text);

// A time in milliseconds as "m:ss.mmm", or "h:mm:ss.mmm" from an hour on;
// what parseTimeText reads back to the same value.
QString formatTimeText(qint64 milliseconds);
