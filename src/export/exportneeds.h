#pragma once
#include "base/paths.h"

struct AppSettings;
class BusyWindow;
class ClipEntries;
class EncoderQueue;
class JobRunner;
class MMControl;
class Notices;
class QLineEdit;

// What the list's exports work with: the clip list and the folders, the
// settings (the save dialogs' base folder, the MP3 bit rate), the two
// players they close before reading the clips, the encoder queue with the
// hidden box that shows its state, the runner of long jobs, the busy window
// and the notices to the user.
struct ExportNeeds {
    const ClipEntries &clips;
    const AppPaths &paths;
    const AppSettings &settings;
    MMControl &trimPlayer;
    MMControl &listPlayer;
    EncoderQueue &encoder;
    QLineEdit &encoderState;
    JobRunner &jobs;
    BusyWindow &busy;
    const Notices &notices;
};
