#pragma once
#include "editor/editorstate.h"

#include <QObject>

class ClipList;
class ClipTrimmer;
class Frmmain;
class ListPlayer;
class SongDrop;
class EditorKeys;
class TrimWaveform;

// The Audio Edit panel's behaviour: the clip list, the trimming and the
// list player, over one shared state.
class ClipEditor : public QObject {
    Q_OBJECT
public:
    explicit ClipEditor(Frmmain &form);

    EditorState &state() { return state_; }
    ClipList &list() const { return *list_; }
    ClipTrimmer &trimmer() const { return *trimmer_; }
    ListPlayer &player() const { return *player_; }
    TrimWaveform &waveform() const { return *waveform_; }
    EditorKeys &keys() const { return *keys_; }

private:
    EditorState state_;
    ClipList *list_;
    ClipTrimmer *trimmer_;
    ListPlayer *player_;
    SongDrop *drop_;
    TrimWaveform *waveform_;
    EditorKeys *keys_;
};
