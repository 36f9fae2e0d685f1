#include "shell/busyprogress.h"

#include "audio/songdecoder.h"
#include "platform/mp3enc/mp3enc.h"
#include "shell/frmload.h"
#include "shell/frmmain.h"

void showWorkProgress(Frmmain &form)
{
    auto show = [&form](int percent) {
        // Work that runs without the busy window (a recording saved as MP3)
        // shows none.
        if (form.busyWindowCreated() && form.busyWindow()->isVisible())
            form.busyWindow()->setProgress(percent);
    };
    form.decoder().progress = show;
    QObject::connect(form.Mp3Enc1(), &Mp3Enc::Progress, &form, show);
}
