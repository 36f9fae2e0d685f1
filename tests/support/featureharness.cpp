#include "featureharness.h"

#include "core/encoderqueue.h"
#include "export/mp3export.h"
#include "export/ringtoneexport.h"
#include "export/wavexport.h"

FeatureHarness::FeatureHarness()
    : exportNeeds{workspace.clips(),    workspace.paths(),   workspace.settings(), workspace.trimPlayer(),
                  workspace.listPlayer(), workspace.encoder(), encoderState,         jobs,
                  busy,                 notices},
      wav(new WavExport(exportNeeds, window)), mp3(new Mp3Export(exportNeeds, &window, *wav->CmdSave())),
      ringtone(new RingtoneExport(exportNeeds, &window, *wav->CmdSave()))
{
    AppPaths::ensurePrivateDir(env.paths().workDir);
    AppPaths::ensurePrivateDir(env.paths().scratchDir);
    workspace.settings().BaseFolder = env.paths().homeDir;
    // An MP3 encoding tells its progress to the busy window, as in the program.
    QObject::connect(&workspace.encoder(), &EncoderQueue::progress, &window, [this](int percent) { busy.progress(percent); });
    window.show();
}

FeatureHarness::~FeatureHarness() { window.hide(); }
