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
#include "widgets/featurecontext.h"

#include <QListWidget>
#include <QMenu>

ClipEditor::ClipEditor(FeatureContext &context, ClipEditorPanel &panel)
    : QObject(&panel), panel_(panel), list_(new ClipList(context, panel)), trimmer_(new ClipTrimmer(context, panel)),
      player_(new ListPlayer(context.workspace, context.window, panel, *list_)),
      drop_(new SongDrop(*panel.List1, *list_)), audition_(new Audition(context.workspace, panel, *trimmer_)),
      waveform_(new TrimWaveform(context.workspace, panel, *trimmer_, *audition_)),
      keys_(new EditorKeys(context.workspace.trimPlayer(), panel, *audition_)), edits_(new ClipEditControls(context, panel)),
      analysis_(new AnalysisControls(context, panel, *trimmer_)),
      marks_(new MarkCommands(context.workspace, panel, *trimmer_, *waveform_, *audition_))
{
    connect(waveform_, &TrimWaveform::menuBuilt, marks_, &MarkCommands::addTo);
}
