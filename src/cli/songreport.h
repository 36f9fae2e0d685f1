#pragma once
// What info prints of each song: lines for people, or JSON.
#include "cli/songjob.h"

#include <QJsonObject>
#include <QString>

QString songInfoText(const SongInfo &info);
QJsonObject songInfoJson(const SongInfo &info);
