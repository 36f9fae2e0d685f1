#pragma once
#include "base/paths.h"
#include "core/appsettings.h"

#include <QObject>
#include <memory>

class AudioStart;
class ClipAnalysis;
class ClipEntries;
class EncoderQueue;
class MMControl;
class Mp3Enc;
class SongDecoder;
class TrimSession;

// What the features share, below every window: the folders, the settings,
// the clip list and the clip being trimmed, the two players by their role,
// the audio library with its decoder, and the encoder's queue. The shell
// makes one and hands it to each feature.
class Workspace : public QObject {
    Q_OBJECT
public:
    explicit Workspace(const AppPaths &paths, QObject *parent = nullptr);
    ~Workspace() override;

    const AppPaths &paths() const { return paths_; }
    AppSettings &settings() { return settings_; }
    ClipEntries &clips() const { return *clips_; }
    TrimSession &trim() const { return *trim_; }
    // The beats and the chorus of the clip being trimmed.
    ClipAnalysis &analysis() const { return *analysis_; }
    // The player of the clip being trimmed (MMCEdit) and of the list (MMCPlayList).
    MMControl &trimPlayer() const { return *trimPlayer_; }
    MMControl &listPlayer() const { return *listPlayer_; }
    AudioStart &audio() const { return *audio_; }
    SongDecoder &decoder() const { return *decoder_; }
    EncoderQueue &encoder() const { return *encoder_; }

    // Stops and closes both players, so that none holds a clip file open.
    void closePlayers();

private:
    AppPaths paths_;
    AppSettings settings_;
    ClipEntries *clips_;
    TrimSession *trim_;
    ClipAnalysis *analysis_;
    MMControl *trimPlayer_;
    MMControl *listPlayer_;
    std::unique_ptr<AudioStart> audio_;
    std::unique_ptr<SongDecoder> decoder_;
    Mp3Enc *mp3Enc_;
    EncoderQueue *encoder_;
};
