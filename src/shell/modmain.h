#pragma once
#include <QStringList>
#include <functional>

struct AppPaths;
class Frmmain;

namespace modmain {
// The version as major.minor.patch, from the build's project version.
QString versionText();

// The program's start-up routine: shows the main window and runs the events.
int Main(int argc, char **argv);

// What Main does once the application object exists: the first process owns
// the working folder and runs the main window, importing the songs (absolute
// paths); a later one hands its songs to that owner and ends. `started` runs
// once the owner's session has begun (after any restore of a crashed one).
int run(const AppPaths &paths, const QStringList &songs, const std::function<void(Frmmain &)> &started = {});
} // namespace modmain
