#pragma once
#include <QStringList>

struct AppPaths;
class Frmmain;

// The clips that a run which did not end through the shutdown sequence left
// in the working folder. Such a run leaves its session list there; an
// orderly end removes it with everything else.
struct LeftSession {
    QStringList clips;      // entries whose clip files are WAV files, in list order
    QStringList notUsable;  // "<clip file name>: <why>" for the entries that are not
};

// Reads the left session list; a list that cannot be read is replaced by
// the WAV files of the folder (but the program's own: concat.wav, tempwav.wav ...), by name.
LeftSession findLeftSession(const AppPaths &paths);

// Starts the owner's session: offers the clips of a crashed session back
// ("Restore the N clips of the last session?"); Yes lists them as they
// were, No empties the working folder. Then keeps the session list current
// until the shutdown sequence begins.
void startSession(Frmmain &form);
