#pragma once
#include "shell/appsettings.h"
#include "shell/paths.h"

#include <QWidget>
#include <functional>
#include <memory>

class AboutPanel;
class AudioStart;
class SongDecoder;
class ClipEditor;
class ClipEditorPanel;
class CommonDialog;
class FrmLoad;
class WavExport;
class Mp3Export;
class Mp3Enc;
class ConverterPanel;
class MMControl;
class QGroupBox;
class QLineEdit;
class QToolBar;
class SettingsPanel;

// The main window: toolbar, five panels, and what the panels share
// (settings, the two players, the busy window, the folders).
class Frmmain : public QWidget {
    Q_OBJECT
public:
    explicit Frmmain(const AppPaths &paths, QWidget *parent = nullptr);
    ~Frmmain() override;

    const AppPaths &paths() const { return paths_; }
    AppSettings &settings() { return settings_; }

    MMControl *MMCEdit() const { return mmcEdit_; }
    MMControl *MMCPlayList() const { return mmcPlayList_; }
    FrmLoad *busyWindow(); // created on first use
    bool busyWindowCreated() const { return frmLoad_ != nullptr; }

    QToolBar *Toolbar1() const { return toolbar_; }
    ClipEditorPanel *Framewav() const { return editPanel_; }
    WavExport *wavExport() const { return wavExport_; }
    Mp3Export *mp3Export() const { return mp3Export_; }
    Mp3Enc *Mp3Enc1() const { return mp3Enc1_; }
    QGroupBox *FrameRec() const { return frameRec_; }
    QGroupBox *FrameConvert() const { return frameConvert_; }
    SettingsPanel *FrameSetting() const { return settingPanel_; }
    AboutPanel *FrameAbout() const { return aboutPanel_; }
    QLineEdit *Text1() const { return text1_; }
    ClipEditor *clipEditor() const { return clipEditor_; }
    AudioStart &audio() const { return *audio_; }
    SongDecoder &decoder() const { return *decoder_; }

    // Start-up and shutdown sequences.
    void Form_Load();
    void Form_Unload();
    void Toolbar1_ButtonClick(const QString &key);
    void SetLng();

    // Ends the program after the shutdown sequence; replaceable for tests.
    std::function<void()> endProgram;
    // Ends any recording and releases the recorder and the audio library;
    // the recorder sets it.
    std::function<void()> recorderRelease;
    // Sets up the recorder after its panel is shown; the recorder sets it.
    std::function<void()> recorderSetup;

signals:
    // The shutdown sequence has begun; the working folder is emptied next.
    void unloading();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void showPanel(QWidget *panel);

    AppPaths paths_;
    AppSettings settings_;
    bool loaded_ = false;
    bool shutDown_ = false;

    MMControl *mmcEdit_ = nullptr;
    MMControl *mmcPlayList_ = nullptr;
    FrmLoad *frmLoad_ = nullptr;
    QToolBar *toolbar_ = nullptr;
    ClipEditorPanel *editPanel_ = nullptr;
    WavExport *wavExport_ = nullptr;
    Mp3Export *mp3Export_ = nullptr;
    Mp3Enc *mp3Enc1_ = nullptr;
    QGroupBox *frameRec_ = nullptr;
    QGroupBox *frameConvert_ = nullptr;
    SettingsPanel *settingPanel_ = nullptr;
    AboutPanel *aboutPanel_ = nullptr;
    QLineEdit *text1_ = nullptr;
    ClipEditor *clipEditor_ = nullptr;
    std::unique_ptr<AudioStart> audio_;
    std::unique_ptr<SongDecoder> decoder_;
};
