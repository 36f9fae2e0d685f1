#include "editor/clipeditor.h"

#include "core/workspace.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliplist.h"
#include "editor/analysiscontrols.h"
#include "editor/audition.h"
#include "editor/cliptrimmer.h"
#include "editor/editcontrols.h"
#include "editor/editorkeys.h"
#include "editor/listplayer.h"
#include "editor/markcommands.h"
#include "editor/songdrop.h"
#include "editor/trimwaveform.h"
#include "editor/editorneeds.h"
#include "widgets/busyscope.h"
#include "widgets/notices.h"

#include <QListWidget>
#include <QMenu>

ClipEditor::ClipEditor(const EditorNeeds &needs, ClipEditorPanel &panel)
    : QObject(&panel), panel_(panel), list_(new ClipList(needs, panel)), trimmer_(new ClipTrimmer(needs, panel)),
      player_(new ListPlayer(needs.workspace, needs.notices.window(), panel, *list_)),
      drop_(new SongDrop(*panel.List1, *list_)), audition_(new Audition(needs.workspace, panel, *trimmer_)),
      waveform_(new TrimWaveform(needs.workspace, panel, *trimmer_, *audition_)),
      keys_(new EditorKeys(needs.workspace.trimPlayer(), panel, *audition_)), edits_(new ClipEditControls(needs, panel)),
      analysis_(new AnalysisControls(needs, panel, *trimmer_)),
      marks_(new MarkCommands(needs.workspace, panel, *trimmer_, *waveform_, *audition_))
{
    connect(waveform_, &TrimWaveform::menuBuilt, marks_, &MarkCommands::addTo);
}
