#pragma once
#include <QObject>
#include <QStringList>
#include <functional>

class ClipEditorPanel;
class CommonDialog;
class Frmmain;
struct EditorState;

// The clip list: import of songs as clips, removal, selection.
class ClipList : public QObject {
    Q_OBJECT
public:
    ClipList(Frmmain &form, ClipEditorPanel &panel, EditorState &state);

    CommonDialog *cmdopen() const { return cmdopen_; }

    void CmdAdd_Click();
    void Cmdremove_Click();
    void List1_Click();
    void CmdUP_Click() { moveSelected(-1); }
    void CmdDown_Click() { moveSelected(+1); }

    // Imports songs given by path (dropped or named at start-up) as Add New
    // would, in order; the ones that are not WAV or MP3 are named in one message.
    void importSongs(const QStringList &songPaths);
    // Imports one WAV song; false (with a message) when no clip was made.
    bool importWav(const QString &songPath);
    // The first clip name, from the song's, that no entry and no clip file uses.
    QString freeClipName(const QString &wanted) const;
    // Selects an entry without running the selection handler.
    void selectQuietly(int row);

    // Imports one MP3 song (the decoding import sets this).
    std::function<void(const QString &songPath)> importMp3;

private:
    // Imports by the path's type, as Add New does; false for another type.
    bool importSong(const QString &path);
    // Moves the selected entry one place (step -1 up, +1 down); the
    // selection and the list player's next entry follow it.
    void moveSelected(int step);

    Frmmain &form_;
    ClipEditorPanel &panel_;
    EditorState &state_;
    CommonDialog *cmdopen_;
    bool quiet_ = false;
    bool importing_ = false;
    QStringList queued_; // songs waiting for the running import
};

// The clip name of a song: its file name without the last four characters
// (the whole name when it is shorter than five).
QString clipNameOf(const QString &songPath);
