#include "editor/clipeditor.h"

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
    : QObject(&panel), panel_(panel),
      list_(new ClipList(needs.clips, needs.trim, needs.importer, needs.closePlayers, needs.jobs, needs.notices,
                         panel)),
      trimmer_(new ClipTrimmer(needs.trim, needs.analysis, needs.trimPlayer, needs.listPlayer, needs.paths,
                               needs.notices, panel)),
      player_(new ListPlayer(needs.clips, needs.trim, needs.listPlayer, needs.notices.window(), panel, *list_)),
      drop_(new SongDrop(*panel.List1, *list_)),
      audition_(new Audition(needs.trim, needs.trimPlayer, needs.paths, panel, *trimmer_)),
      waveform_(new TrimWaveform(needs.trim, needs.analysis, needs.trimPlayer, panel, *trimmer_, *audition_)),
      keys_(new EditorKeys(needs.trimPlayer, panel, *audition_)),
      edits_(new ClipEditControls(needs.trim, needs.busy, needs.notices, panel)),
      analysis_(new AnalysisControls(needs.analysis, needs.trim, needs.notices, panel, *trimmer_)),
      marks_(new MarkCommands(needs.trim, needs.analysis, panel, *trimmer_, *waveform_, *audition_))
{
    connect(waveform_, &TrimWaveform::menuBuilt, marks_, &MarkCommands::addTo);
}
