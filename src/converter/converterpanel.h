#pragma once
#include <QGroupBox>
#include <functional>

class CommonDialog;
struct FeatureContext;
class QLineEdit;
class QPushButton;

// The Wav <-> Mp3 panel: one song to WAV (Frame4), one WAV to MP3 (Frame5).
class ConverterPanel : public QGroupBox {
    Q_OBJECT
public:
    ConverterPanel(FeatureContext &context, QWidget *parent);

    QLineEdit *txtopenwav, *txtsavemp3, *txtopenmp3, *txtsavewav, *Text2;
    QPushButton *Cmdopenwav, *CmdSaveMP3, *CmdConvertMP3, *CmdopenMp3, *CmdSavewav2, *CmdconvertWav;
    CommonDialog *ComFileOpen;

    void CmdopenMp3_Click();
    void Cmdopenwav_Click();
    void CmdSavewav2_Click();
    void CmdSaveMP3_Click();
    void CmdconvertWav_Click();
    void CmdConvertMP3_Click();

private:
    void choose(bool save, const QString &filter, QLineEdit *box, const QString &defaultExt = QString());
    FeatureContext &context_;
};
