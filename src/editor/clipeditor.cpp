#include "editor/clipeditor.h"

#include "editor/cliplist.h"
#include "editor/editorkeys.h"
#include "editor/cliptrimmer.h"
#include "editor/listplayer.h"
#include "editor/mp3import.h"
#include "editor/songdrop.h"
#include "editor/trimwaveform.h"
#include "editor/clipeditorpanel.h"
#include "shell/frmmain.h"

ClipEditor::ClipEditor(Frmmain &form)
    : QObject(&form),
      list_(new ClipList(form, *form.Framewav(), state_)),
      trimmer_(new ClipTrimmer(form, *form.Framewav(), state_)),
      player_(new ListPlayer(form, *form.Framewav(), state_, *list_)),
      drop_(new SongDrop(*form.Framewav()->List1, *list_)),
      waveform_(new TrimWaveform(form, *form.Framewav(), state_, *trimmer_)),
      keys_(new EditorKeys(form, *form.Framewav()))
{
    list_->importMp3 = [this, &form](const QString &song) { importDecodedSong(form, *list_, song); };
}
