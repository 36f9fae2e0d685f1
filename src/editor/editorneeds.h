#pragma once
#include "base/paths.h"
#include "core/songimport.h"

#include <functional>

class BusyWindow;
class ClipAnalysis;
class ClipEntries;
class JobRunner;
class MMControl;
class Notices;
class TrimSession;

// What the Audio Edit panel works with: the shared clip list, the trimming
// session and the analysis of its clip, the trimming player (MMCEdit) and
// the list player (MMCPlayList), the folders, the import that makes songs
// into clips, the busy window, the runner of long jobs and the notices to
// the user. Each of its parts is given only the pieces it uses.
struct EditorNeeds {
    ClipEntries &clips;
    TrimSession &trim;
    ClipAnalysis &analysis;
    MMControl &trimPlayer;
    MMControl &listPlayer;
    // Stops and closes both players, so that none holds a clip file open.
    std::function<void()> closePlayers;
    const AppPaths &paths;
    SongImporter importer;
    BusyWindow &busy;
    JobRunner &jobs;
    const Notices &notices;
};
