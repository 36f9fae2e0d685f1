#pragma once
#include <QObject>

class AnalysisControls;
class Audition;
class ClipEditControls;
class ClipEditorPanel;
class ClipList;
class ClipTrimmer;
class EditorKeys;
class ListPlayer;
class MarkCommands;
class SongDrop;
class TrimWaveform;
struct EditorNeeds;

// The Audio Edit panel's behaviour: the clip list, the trimming and the
// list player, over the shared clip list and trimming session. It hands
// each of its parts only what that part uses.
class ClipEditor : public QObject {
    Q_OBJECT
public:
    ClipEditor(const EditorNeeds &needs, ClipEditorPanel &panel);

    ClipEditorPanel &panel() const { return panel_; }
    ClipList &list() const { return *list_; }
    ClipTrimmer &trimmer() const { return *trimmer_; }
    ListPlayer &player() const { return *player_; }
    TrimWaveform &waveform() const { return *waveform_; }
    EditorKeys &keys() const { return *keys_; }
    ClipEditControls &edits() const { return *edits_; }
    AnalysisControls &analysis() const { return *analysis_; }
    Audition &audition() const { return *audition_; }
    MarkCommands &marks() const { return *marks_; }

private:
    ClipEditorPanel &panel_;
    ClipList *list_;
    ClipTrimmer *trimmer_;
    ListPlayer *player_;
    SongDrop *drop_;
    Audition *audition_;
    TrimWaveform *waveform_;
    EditorKeys *keys_;
    ClipEditControls *edits_;
    AnalysisControls *analysis_;
    MarkCommands *marks_;
};
