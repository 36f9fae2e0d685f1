#include "editor/mp3import.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "audio/songdecoder.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliplist.h"
#include "shell/frmload.h"
#include "shell/frmmain.h"

#include <QListWidget>

QString importDecodedSong(Frmmain &form, ClipList &list, const QString &songPath)
{
    if (!form.audio().initwav())
        return QString();
    form.setEnabled(false);
    form.busyWindow()->show();
    SongDecoder &decoder = form.decoder();
    decoder.loadmp3(songPath);
    const QString name = list.freeClipName(clipNameOf(songPath));
    const bool made = decoder.decChan && decoder.convert2wav(form.paths().clipFile(name));
    if (made)
        form.Framewav()->List1->addItem(name);
    form.setEnabled(true);
    form.busyWindow()->hide();
    decoder.closewav();
    form.audio().api()->BASS_Free();
    return made ? name : QString();
}
