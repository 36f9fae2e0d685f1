#pragma once
#include "base/result.h"

#include <QString>

// Copies the file `source` to `target` so that `target` is at every moment
// either its old content (or absent) or the complete copy: the copy is
// written and synced to a hidden file beside `target`, then renamed over it.
// A file that was there keeps its permission bits; a new one gets the
// usual ones (0666 less the umask). On failure nothing at `target` changes
// and the failure says what went wrong, naming the path.
Outcome copyFileAtomically(const QString &source, const QString &target);
