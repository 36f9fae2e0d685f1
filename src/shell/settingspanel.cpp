#include "shell/settingspanel.h"

#include "platform/dialogs/dialogs.h"
#include "shell/folderlist.h"
#include "base/paths.h"
#include "shell/settingsfile.h"
#include "widgets/twips.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QStorageInfo>

namespace {
constexpr int kRates[4] = {56, 96, 128, 256};
}

SettingsPanel::SettingsPanel(AppSettings &settings, const QString &settingsFile, QWidget *parent)
    : QGroupBox(QStringLiteral("Setting"), parent), settings_(settings), settingsFile_(settingsFile)
{
    setObjectName(QStringLiteral("FrameSetting"));
    setGeometry(tw(1200), tw(720), tw(8895), tw(4815));

    auto *frame6 = makeControl<QGroupBox>(this, QStringLiteral("Frame6"), 240, 360, 2175, 2775,
                                          QStringLiteral("Mp3 KBit/S"));
    auto *group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        options_[i] = makeControl<QRadioButton>(frame6, QStringLiteral("Option%1").arg(i + 1), 360, 480 + 540 * i,
                                                1335, 375, QString::number(kRates[i]));
        group->addButton(options_[i]);
        const int rate = kRates[i];
        connect(options_[i], &QRadioButton::clicked, this, [this, rate] { Option_Click(rate); });
    }
    options_[3]->setChecked(true);

    auto *frame1 = makeControl<QGroupBox>(this, QStringLiteral("Frame1"), 2640, 360, 6015, 4215,
                                          QStringLiteral("Program Base Folder"));
    drive1_ = makeControl<QComboBox>(frame1, QStringLiteral("Drive1"), 240, 360, 3255, 315);
    dir1_ = makeControl<FolderList>(frame1, QStringLiteral("Dir1"), 240, 840, 3255, 3135);
    auto *cmdFolder = makeControl<QPushButton>(frame1, QStringLiteral("CmdFolder"), 3720, 840, 2055, 495,
                                               QStringLiteral("New Folder"));
    auto *cmdSave = makeControl<QPushButton>(frame1, QStringLiteral("CmdSaveSetting"), 3720, 1560, 2055, 495,
                                             QStringLiteral("Save Setting"));
    fillDrives();
    connect(dir1_, &FolderList::Change, this, &SettingsPanel::Dir1_Change);
    connect(drive1_, &QComboBox::activated, this, [this] { Drive1_Change(); });
    connect(cmdFolder, &QPushButton::clicked, this, &SettingsPanel::CmdFolder_Click);
    connect(cmdSave, &QPushButton::clicked, this, &SettingsPanel::CmdSaveSetting_Click);
}

QRadioButton *SettingsPanel::option(int bitRate) const
{
    for (int i = 0; i < 4; ++i)
        if (kRates[i] == bitRate)
            return options_[i];
    return nullptr;
}

void SettingsPanel::fillDrives()
{
    drive1_->clear();
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            drive1_->addItem(volume.rootPath(), volume.rootPath());
}

void SettingsPanel::Option_Click(int bitRate)
{
    settings_.BitRate = bitRate;
    if (QRadioButton *o = option(bitRate))
        o->setChecked(true);
}

void SettingsPanel::Dir1_Change(const QString &path) { settings_.BaseFolder = path; }

void SettingsPanel::Drive1_Change()
{
    // A volume that cannot be read leaves the folder list where it was.
    const QString root = drive1_->currentData().toString();
    if (!QStorageInfo(root).isReady())
        return;
    dir1_->setPath(root);
}

void SettingsPanel::CmdFolder_Click()
{
    const std::optional<QString> answer =
        dialogs::InputBox(window(), QStringLiteral("New Folder Name"), QStringLiteral("Create New Folder "));
    if (!answer || answer->trimmed().isEmpty())
        return;
    const QString name = *answer;
    const QString parent = dir1_->path();
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String("..")) {
        dialogs::MsgBox(window(), QStringLiteral("\"%1\" is not a valid folder name.").arg(name),
                        dialogs::Buttons::Ok, QString(), dialogs::Icon::Warning);
        return;
    }
    const QString target = RPP(parent) + name;
    if (QFileInfo::exists(target)) {
        dialogs::MsgBox(window(), QStringLiteral("The folder %1 already exists.").arg(target), dialogs::Buttons::Ok,
                        QString(), dialogs::Icon::Warning);
        return;
    }
    if (!QDir(parent).mkdir(name)) {
        dialogs::MsgBox(window(), QStringLiteral("The folder %1 could not be made.").arg(target),
                        dialogs::Buttons::Ok, QString(), dialogs::Icon::Warning);
        return;
    }
    dir1_->setPath(target);
}

void SettingsPanel::CmdSaveSetting_Click()
{
    const Outcome saved = writeSettingsFile(settingsFile_, settings_.BitRate, settings_.BaseFolder);
    if (!saved)
        dialogs::MsgBox(window(), QStringLiteral("The settings could not be saved to %1: %2").arg(settingsFile_, saved.error()),
                        dialogs::Buttons::Ok, QString(), dialogs::Icon::Warning);
}
