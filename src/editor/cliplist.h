#pragma once
#include "core/songimport.h"

#include <QObject>
#include <QList>
#include <QStringList>
#include <functional>

class ClipEditorPanel;
class ClipEntries;
class CommonDialog;
class JobRunner;
class Notices;
class TrimSession;

// The clip list's handlers: import of songs as clips, removal, selection,
// moving an entry up or down. The entries themselves live in the
// ClipEntries; List1 shows them.
class ClipList : public QObject {
    Q_OBJECT
public:
    // Songs become clips through `importer` on `jobs`; a removal or a
    // selection first runs `closePlayers`, so that no player holds a clip.
    ClipList(ClipEntries &clips, TrimSession &trim, const SongImporter &importer, std::function<void()> closePlayers,
             JobRunner &jobs, const Notices &notices, ClipEditorPanel &panel);

    void CmdAdd_Click();
    void Cmdremove_Click();
    void List1_Click();
    void CmdUP_Click() { moveSelected(-1); }
    void CmdDown_Click() { moveSelected(+1); }

    // Imports songs given by path (dropped or named at start-up) as Add New
    // would, in order, each made into a clip on the job runner; the ones
    // that are no song or video are named in one message at the end.
    void importSongs(const QStringList &songPaths);
    // True while songs are being made into clips or wait for it.
    bool importing() const { return importing_; }
    // Selects an entry without running the selection handler.
    void selectQuietly(int row);

private:
    struct QueuedSong {
        QString path;
        bool anyFile; // offered to the audio library whatever its extension
    };
    void enqueue(const QList<QueuedSong> &songs);
    // Starts the next queued song's import; at the end of the queue, names
    // the refused ones.
    void importNext();
    // Makes the song into a clip on the job runner (a WAV copied or
    // converted, any other decoded); false when it did not start.
    bool startImport(const QString &songPath, bool wav);
    // Moves the selected entry one place (step -1 up, +1 down); the
    // selection and the list player's next entry follow it.
    void moveSelected(int step);

    ClipEntries &clips_;
    TrimSession &trim_;
    const SongImporter importer_;
    const std::function<void()> closePlayers_;
    JobRunner &jobs_;
    const Notices &notices_;
    ClipEditorPanel &panel_;
    CommonDialog *cmdopen_;
    bool quiet_ = false;
    bool importing_ = false;
    QList<QueuedSong> queued_; // songs waiting for the running import
    QStringList refused_;      // no song or video, named at the queue's end
};
