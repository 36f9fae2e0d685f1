#pragma once
#include "core/appsettings.h"

#include <QGroupBox>

class FolderList;
class QComboBox;
class QPushButton;
class QRadioButton;

// The Setting panel: bit-rate options, base folder, new folder, save.
class SettingsPanel : public QGroupBox {
    Q_OBJECT
public:
    SettingsPanel(AppSettings &settings, const QString &settingsFile, QWidget *parent);

    QRadioButton *option(int bitRate) const; // Option1..Option4, or null
    FolderList *Dir1() const { return dir1_; }
    QComboBox *Drive1() const { return drive1_; }

    void Option_Click(int bitRate);
    void Dir1_Change(const QString &path);
    void Drive1_Change();
    void CmdFolder_Click();
    void CmdSaveSetting_Click();
    void fillDrives();

private:
    AppSettings &settings_;
    QString settingsFile_;
    QRadioButton *options_[4] = {};
    FolderList *dir1_ = nullptr;
    QComboBox *drive1_ = nullptr;
};
