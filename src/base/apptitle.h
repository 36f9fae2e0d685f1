#pragma once
#include <QString>

// The application's title: the main window's caption and the title of its
// completion and failure messages.
QString applicationTitle();
