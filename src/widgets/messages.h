#pragma once
#include "base/result.h"

#include <QString>

class QWidget;

// The one way the program tells the user how an operation ended. Every
// failure box has the same form: the failure's caption (the application's
// title when it has none) and a warning icon; a fatal one a critical icon;
// a failed audio-library call also gives the library's error code.
void showFailure(QWidget *owner, const Failure &failure);
// A completion message ("Finish Save", "Convert Finish"): OK, the
// application's title.
void showDone(QWidget *owner, const QString &text);
// A failed audio-library call: the message, a blank line and the code,
// titled "Error".
void ReportError(QWidget *owner, const QString &message, int code);
