#include "base/apptitle.h"

QString applicationTitle() { return QStringLiteral("Orvane Clipforge"); }
