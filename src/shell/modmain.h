#pragma once

namespace modmain {
// The program's start-up routine: shows the main window and runs the events.
int Main(int argc, char **argv);
}
