#include "widgets/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

int tw(int twips)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return int(std::lround(twips / 15.0 * dpi / 96.0));
}
