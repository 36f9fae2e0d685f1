#pragma once
#include <QString>

class CommonDialog;

// Asks for the file a list export saves to, in the dialog the exports share:
// the given filter, no name, opening in the base folder, no default
// extension. False when the user cancelled.
bool askSaveName(CommonDialog &dialog, const QString &filter, const QString &baseFolder);
