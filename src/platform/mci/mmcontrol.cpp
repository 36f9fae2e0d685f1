#include "platform/mci/mmcontrol.h"

MMControl::MMControl(const QString &name, QObject *parent) : QObject(parent) { setObjectName(name); }
MMControl::~MMControl() = default;

void MMControl::setCommand(const QString &word)
{
    command_ = word;
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("open"))
        open_ = true;
    else if (w == QLatin1String("close"))
        open_ = false;
}
