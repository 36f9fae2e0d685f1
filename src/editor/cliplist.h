#pragma once
#include <QObject>
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
    // would, in order; the ones that are no song or video are named in one message.
    void importSongs(const QStringList &songPaths);
    // Imports one WAV song; false (with a message) when no clip was made.
    bool importWav(const QString &songPath);
    // Imports one song that is not a WAV (MP3, FLAC, M4A, a video's sound,
    // anything the audio library decodes) under the busy window; false when
    // no clip was made.
    bool importDecoded(const QString &songPath);
    // Selects an entry without running the selection handler.
    void selectQuietly(int row);

private:
    // Imports by the path's extension, as Add New does; false when it is no song's.
    bool importSong(const QString &path);
    // Moves the selected entry one place (step -1 up, +1 down); the
    // selection and the list player's next entry follow it.
    void moveSelected(int step);

    const EditorNeeds &needs_;
    Workspace &workspace_;
    ClipEditorPanel &panel_;
    CommonDialog *cmdopen_;
    bool quiet_ = false;
    bool importing_ = false;
    QStringList queued_; // songs waiting for the running import
};
