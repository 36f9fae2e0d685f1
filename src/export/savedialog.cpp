#include "export/savedialog.h"

#include "platform/dialogs/dialogs.h"

bool askSaveName(CommonDialog &dialog, const QString &filter, const QString &baseFolder)
{
    dialog.Filter = filter;
    dialog.FileName = QString();
    dialog.InitDir = baseFolder;
    dialog.DefaultExt = QString();
    return dialog.ShowSave();
}
