#pragma once
#include <QObject>
#include <QList>
#include <QStringList>

class ClipEditorPanel;
class CommonDialog;
struct EditorNeeds;
class Workspace;

// The clip list's handlers: import of songs as clips, removal, selection,
// moving an entry up or down. The entries themselves live in the
// workspace's ClipEntries; List1 shows them.
class ClipList : public QObject {
    Q_OBJECT
public:
    ClipList(const EditorNeeds &needs, ClipEditorPanel &panel);


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

    const EditorNeeds &needs_;
    Workspace &workspace_;
    ClipEditorPanel &panel_;
    CommonDialog *cmdopen_;
    bool quiet_ = false;
    bool importing_ = false;
    QList<QueuedSong> queued_; // songs waiting for the running import
    QStringList refused_;      // no song or video, named at the queue's end
};
