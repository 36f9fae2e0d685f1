#include "core/workspace.h"

#include "audio/audiostart.h"
#include "audio/songdecoder.h"
#include "core/clipanalysis.h"
#include "core/cliplist.h"
#include "core/encoderqueue.h"
#include "core/trimsession.h"
#include "platform/mci/mmcontrol.h"
#include "encode/mp3enc.h"

Workspace::Workspace(const AppPaths &paths, QObject *parent)
    : QObject(parent), paths_(paths), clips_(new ClipEntries(paths, this)), trim_(new TrimSession(*clips_, paths, this)),
      analysis_(new ClipAnalysis(*trim_, this)),
      trimPlayer_(new MMControl(QStringLiteral("MMCEdit"), this)),
      listPlayer_(new MMControl(QStringLiteral("MMCPlayList"), this)), audio_(std::make_unique<AudioStart>(paths)),
      decoder_(std::make_unique<SongDecoder>(*audio_)), mp3Enc_(new Mp3Enc(this)),
      encoder_(new EncoderQueue(*mp3Enc_, this))
{
    mp3Enc_->setObjectName(QStringLiteral("Mp3Enc1"));
    // The fades are remembered between runs. A file that cannot be written
    // leaves them for this run only: they are a convenience, not the user's work.
    trim_->setFades(readFadeSettings(paths_.editorSettingsFile));
    connect(trim_, &TrimSession::fadesChanged, this,
            [this] { (void)writeFadeSettings(paths_.editorSettingsFile, trim_->fades()); });
}

Workspace::~Workspace() = default;

void Workspace::closePlayers()
{
    trimPlayer_->setCommand(QStringLiteral("Stop"));
    listPlayer_->setCommand(QStringLiteral("Stop"));
    trimPlayer_->setCommand(QStringLiteral("Close"));
    listPlayer_->setCommand(QStringLiteral("Close"));
}
