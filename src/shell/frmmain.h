#pragma once
#include "base/paths.h"
#include "editor/editorneeds.h"
#include "core/appsettings.h"
#include "widgets/busyscope.h"
#include "widgets/jobrunner.h"
#include "widgets/notices.h"

#include <QWidget>
#include <functional>
#include <memory>

class AboutPanel;
class AudioStart;
class SongDecoder;
class ClipEditor;
class ClipEditorPanel;
struct ExportNeeds;
class FrmLoad;
class WavExport;
class Mp3Export;
class RingtoneExport;
class Mp3Enc;
class ConverterPanel;
class MMControl;
class QGroupBox;
class QLineEdit;
class QToolBar;
class RecorderSetup;
class SettingsPanel;
class Workspace;

// The main window: toolbar and five panels over one Workspace. The one place
// where the features are assembled: each gets only the parts of the
// workspace it uses and knows no other feature; the buttons that start one feature's work
// from another's panel are connected here.
class Frmmain : public QWidget {
    Q_OBJECT
public:
    explicit Frmmain(const AppPaths &paths, QWidget *parent = nullptr);
    ~Frmmain() override;

    Workspace &workspace() const { return *workspace_; }
    const AppPaths &paths() const;
    AppSettings &settings();

    MMControl *MMCEdit() const;
    MMControl *MMCPlayList() const;
    FrmLoad *busyWindow() { return busy_.window(); } // made on first use
    bool busyWindowCreated() const { return busy_.created(); }

    QToolBar *Toolbar1() const { return toolbar_; }
    ClipEditorPanel *Framewav() const { return editPanel_; }
    WavExport *wavExport() const { return wavExport_; }
    Mp3Export *mp3Export() const { return mp3Export_; }
    RingtoneExport *ringtoneExport() const { return ringtoneExport_; }
    Mp3Enc *Mp3Enc1() const;
    QGroupBox *FrameRec() const { return frameRec_; }
    QGroupBox *FrameConvert() const { return frameConvert_; }
    SettingsPanel *FrameSetting() const { return settingPanel_; }
    AboutPanel *FrameAbout() const { return aboutPanel_; }
    QLineEdit *Text1() const { return text1_; }
    ClipEditor *clipEditor() const { return clipEditor_; }
    AudioStart &audio() const;
    SongDecoder &decoder() const;

    // Start-up and shutdown sequences.
    void Form_Load();
    void Form_Unload();
    void Toolbar1_ButtonClick(const QString &key);
    void SetLng();

    // Ends the program after the shutdown sequence; replaceable for tests.
    std::function<void()> endProgram;
    // Ends any recording and releases the recorder and the audio library
    // (every toolbar click and the window's end run it).
    std::function<void()> recorderRelease;
    // Ends the program at once after a fatal failure (no usable audio
    // library), without the shutdown sequence; replaceable for tests.
    std::function<void()> terminate;

signals:
    // The shutdown sequence has begun; the working folder is emptied next.
    void unloading();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar();
    void showPanel(QWidget *panel);

    Workspace *workspace_;
    BusyWindow busy_;
    JobRunner jobs_;
    QLineEdit *text1_ = nullptr;
    Notices notices_;
    EditorNeeds editorNeeds_;
    std::unique_ptr<ExportNeeds> exportNeeds_;
    bool loaded_ = false;
    bool shutDown_ = false;

    QToolBar *toolbar_ = nullptr;
    ClipEditorPanel *editPanel_ = nullptr;
    WavExport *wavExport_ = nullptr;
    Mp3Export *mp3Export_ = nullptr;
    RingtoneExport *ringtoneExport_ = nullptr;
    QGroupBox *frameRec_ = nullptr;
    RecorderSetup *recorderSetup_ = nullptr;
    QGroupBox *frameConvert_ = nullptr;
    SettingsPanel *settingPanel_ = nullptr;
    AboutPanel *aboutPanel_ = nullptr;
    ClipEditor *clipEditor_ = nullptr;
};
