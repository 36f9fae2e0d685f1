#include "shell/frmmain.h"

#include "audio/audiostart.h"
#include "audio/songdecoder.h"
#include "converter/converterpanel.h"
#include "core/encoderqueue.h"
#include "core/songimport.h"
#include "core/trimsession.h"
#include "core/workspace.h"
#include "editor/clipeditor.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliplist.h"
#include "editor/editorkeys.h"
#include "export/exportneeds.h"
#include "export/mp3export.h"
#include "export/ringtoneexport.h"
#include "export/wavexport.h"
#include "platform/mci/mmcontrol.h"
#include "recorder/recorderpanel.h"
#include "recorder/recordersetup.h"
#include "base/apptitle.h"
#include "shell/aboutpanel.h"
#include "shell/folderlist.h"
#include "widgets/frmload.h"
#include "widgets/icons.h"
#include "shell/settingsfile.h"
#include "shell/settingspanel.h"
#include "widgets/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>

namespace {

struct ToolbarButton {
    const char *key;
    const char *tooltip;
    Glyph picture;
};

constexpr ToolbarButton kToolbar[] = {
    {"Wav", "Open Song", Glyph::Song},       {"Rec", "Voice Record", Glyph::Record},
    {"Convert", "Convert", Glyph::Convert},  {"Setting", "Setting", Glyph::Setting},
    {"Help", "About", Glyph::About},         {"Exit", "Exit", Glyph::Exit},
};

} // namespace

Frmmain::Frmmain(const AppPaths &paths, QWidget *parent)
    : QWidget(parent), workspace_(new Workspace(paths, this)), busy_(*this), jobs_(busy_), text1_(new QLineEdit(this)),
      notices_(*this, terminate),
      editorNeeds_{workspace_->clips(),
                   workspace_->trim(),
                   workspace_->analysis(),
                   workspace_->trimPlayer(),
                   workspace_->listPlayer(),
                   [this] { workspace_->closePlayers(); },
                   workspace_->paths(),
                   SongImporter(workspace_->clips(), workspace_->paths(), workspace_->audio(), workspace_->decoder()),
                   busy_,
                   jobs_,
                   notices_}
{
    setObjectName(QStringLiteral("Frmmain"));
    setWindowTitle(applicationTitle());
    setWindowIcon(glyphIcon(Glyph::AppIcon));
    setFixedSize(tw(10785), tw(6195));
    terminate = [] { std::_Exit(1); };

    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setGeometry(0, 0, width(), tw(720) - tw(60));
    toolbar_->setIconSize(QSize(tw(480), tw(480)));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);

    // How far an MP3 encoding has come, while the busy window is up (a
    // song's decoding tells it through the job runner).
    connect(&workspace_->encoder(), &EncoderQueue::progress, this, [this](int percent) { busy_.progress(percent); });
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->hide();

    editPanel_ = new ClipEditorPanel(this);
    clipEditor_ = new ClipEditor(editorNeeds_, *editPanel_);
    Workspace &ws = *workspace_;
    exportNeeds_ = std::make_unique<ExportNeeds>(ExportNeeds{ws.clips(), ws.paths(), ws.settings(), ws.trimPlayer(),
                                                             ws.listPlayer(), ws.encoder(), *text1_, jobs_, busy_,
                                                             notices_});
    wavExport_ = new WavExport(*exportNeeds_, *editPanel_);
    mp3Export_ = new Mp3Export(*exportNeeds_, this, *wavExport_->CmdSave());
    connect(editPanel_->CmdSaveWav, &QPushButton::clicked, wavExport_, &WavExport::CmdSaveWav_Click);
    connect(editPanel_->CmdSaveList, &QPushButton::clicked, mp3Export_, &Mp3Export::CmdSaveList_Click);
    ringtoneExport_ = new RingtoneExport(*exportNeeds_, this, *wavExport_->CmdSave());
    connect(editPanel_->CmdSaveRingtone, &QPushButton::clicked, ringtoneExport_, &RingtoneExport::CmdSaveRingtone_Click);
    auto *recorder = new RecorderPanel({ws.audio(), ws.paths(), ws.encoder(), *text1_, notices_}, this);
    recorderSetup_ = new RecorderSetup(ws.audio(), notices_, *recorder);
    recorderRelease = [this] { recorderSetup_->release(); };
    frameRec_ = recorder;
    // The converter's song becomes a clip of the list as an import's does.
    frameConvert_ =
        new ConverterPanel({ws.settings(), editorNeeds_.importer, jobs_, ws.encoder(), busy_, notices_}, this);
    settingPanel_ = new SettingsPanel(workspace_->settings(), paths.settingsFile, this);
    aboutPanel_ = new AboutPanel(this);

    endProgram = [this] {
        hide();
        QCoreApplication::exit(0);
    };
}

Frmmain::~Frmmain()
{
    // A running recording calls into the recorder from the library's
    // thread: it must end while both still exist.
    recorderSetup_->release();
}

const AppPaths &Frmmain::paths() const { return workspace_->paths(); }
AppSettings &Frmmain::settings() { return workspace_->settings(); }
MMControl *Frmmain::MMCEdit() const { return &workspace_->trimPlayer(); }
MMControl *Frmmain::MMCPlayList() const { return &workspace_->listPlayer(); }
Mp3Enc *Frmmain::Mp3Enc1() const { return &workspace_->encoder().encoder(); }
AudioStart &Frmmain::audio() const { return workspace_->audio(); }
SongDecoder &Frmmain::decoder() const { return workspace_->decoder(); }

void Frmmain::showEvent(QShowEvent *event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QWidget::showEvent(event);
}

void Frmmain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void Frmmain::Form_Load()
{
    // 1. The stored settings; the folder list visits the stored folder.
    const AppPaths &where = paths();
    AppSettings &values = settings();
    const StoredSettings stored = readSettingsFile(where.settingsFile);
    values.BitRate = stored.bitRate;
    if (stored.baseFolder)
        values.BaseFolder = *stored.baseFolder;
    settingPanel_->Dir1()->setPath(values.BaseFolder);
    // 2. The option of the stored bit rate; any other value selects none.
    if (values.BitRate && settingPanel_->option(*values.BitRate))
        settingPanel_->Option_Click(*values.BitRate);
    // 3. The base folder always starts at the home folder.
    values.BaseFolder = where.homeDir;
    settingPanel_->Dir1()->setPath(where.homeDir);
    // 4. The working and scratch folders, made when missing.
    AppPaths::ensurePrivateDir(where.workDir);
    AppPaths::ensurePrivateDir(where.scratchDir);
    // 5., 6. The toolbar and the tooltips.
    buildToolbar();
    SetLng();
    // 7. - 9. The hint under the list; the list player and the trimming
    // controls start disabled.
    editPanel_->showStartState();
    // 10. Only the Audio Edit panel shows.
    showPanel(editPanel_);
}

void Frmmain::buildToolbar()
{
    toolbar_->clear();
    for (const ToolbarButton &b : kToolbar) {
        const QString key = QString::fromLatin1(b.key);
        QAction *action = toolbar_->addAction(glyphIcon(b.picture), QString());
        action->setObjectName(key);
        action->setData(key);
        connect(action, &QAction::triggered, this, [this, key] { Toolbar1_ButtonClick(key); });
        if (QWidget *button = toolbar_->widgetForAction(action))
            button->setObjectName(key);
    }
}

void Frmmain::SetLng()
{
    ClipEditorPanel *p = editPanel_;
    const std::pair<QWidget *, const char *> tips[] = {
        {p->CmdFoward, "Forward"}, {p->CmdPause, "Pause"},   {p->CmdPlay, "Play"},
        {p->CmdStop, "Stop"},      {p->CmdNext, "Next"},     {p->CmdAdd, "Add New"},
        {p->CmdEditPlay, "Play"},  {p->CmdEditStop, "Stop"}, {p->Cmdremove, "Remove Form List"},
        {p->CmdUP, "Move UP"},     {p->CmdDown, "Move Down"},
    };
    // A picture button is named to a screen reader by its tooltip.
    for (const auto &[widget, tip] : tips) {
        widget->setToolTip(QString::fromLatin1(tip));
        widget->setAccessibleName(QString::fromLatin1(tip));
    }
    clipEditor_->keys().showInTooltips();
    const QList<QAction *> actions = toolbar_->actions();
    for (int i = 0; i < actions.size() && i < int(std::size(kToolbar)); ++i) {
        actions[i]->setToolTip(QString::fromLatin1(kToolbar[i].tooltip));
        if (QWidget *button = toolbar_->widgetForAction(actions[i]))
            button->setAccessibleName(QString::fromLatin1(kToolbar[i].tooltip));
    }
}

void Frmmain::showPanel(QWidget *panel)
{
    for (QWidget *w : std::initializer_list<QWidget *>{editPanel_, frameRec_, frameConvert_, settingPanel_, aboutPanel_})
        w->setVisible(w == panel);
}

void Frmmain::Toolbar1_ButtonClick(const QString &key)
{
    if (recorderRelease)
        recorderRelease();
    MMCEdit()->setCommand(QStringLiteral("stop"));
    MMCPlayList()->setCommand(QStringLiteral("Close"));

    if (key == QLatin1String("Wav")) {
        showPanel(editPanel_);
    } else if (key == QLatin1String("Rec")) {
        showPanel(frameRec_);
        recorderSetup_->initrec();
    } else if (key == QLatin1String("Convert")) {
        showPanel(frameConvert_);
    } else if (key == QLatin1String("Setting")) {
        showPanel(settingPanel_);
    } else if (key == QLatin1String("Help")) {
        showPanel(aboutPanel_);
        aboutPanel_->fill();
    } else if (key == QLatin1String("Exit")) {
        Form_Unload();
    }
}

void Frmmain::Form_Unload()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    workspace_->closePlayers();
    // The session's clip list and the socket of later starts stop first:
    // nothing writes into the folder once it is emptied. The clips' undo
    // history lasts the run only.
    emit unloading();
    workspace_->trim().clearHistory();
    emptyFolder(paths().workDir);
    if (endProgram)
        endProgram();
}
