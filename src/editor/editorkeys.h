#pragma once
#include <QObject>

class Audition;
class ClipEditorPanel;
class MMControl;
class QAbstractButton;
class QKeySequence;

// Keys of the Audio Edit panel, each pressing a button while that button
// is enabled: Space plays or stops the trimming player, I and O take Mark In
// and Mark Out, Delete removes the selected entry, Ctrl+S saves the list as MP3;
// Ctrl+Z and Ctrl+Shift+Z undo and redo the clip's edits, N normalises its
// loudness, C finds the chorus, B ticks or clears "Snap to beat".
// Space stops the ringtone while it plays. Space is left to a focused button,
// check box or list, which use it themselves.
class EditorKeys : public QObject {
    Q_OBJECT
public:
    EditorKeys(MMControl &trimPlayer, ClipEditorPanel &panel, Audition &audition);

    // Adds each key to its button's tooltip, after the text it has.
    void showInTooltips();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void bind(const QKeySequence &key, QAbstractButton *button);
    void playOrStop();

    MMControl &trimPlayer_;
    ClipEditorPanel &panel_;
    Audition &audition_;
};
