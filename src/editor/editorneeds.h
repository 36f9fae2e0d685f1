#pragma once

class BusyWindow;
class JobRunner;
class Notices;
class Workspace;

// What the Audio Edit panel's parts work with: the shared clip list, the
// trimming session and the players in the workspace, the busy window, the
// runner of long jobs and the notices to the user.
struct EditorNeeds {
    Workspace &workspace;
    BusyWindow &busy;
    JobRunner &jobs;
    const Notices &notices;
};
