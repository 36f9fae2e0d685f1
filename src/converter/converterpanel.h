#pragma once
#include "base/result.h"
#include "core/songimport.h"

#include <QGroupBox>
#include <functional>

struct AppSettings;
class BusyWindow;
class CommonDialog;
class EncoderQueue;
class JobRunner;
class Notices;
class QLineEdit;
class QPushButton;

// What the converter works with: the base folder of its save dialogs, the
// import that makes a song a clip of the list, the runner it does that on,
// the encoder queue of its MP3 saves, the busy window and the notices.
struct ConverterNeeds {
    const AppSettings &settings;
    SongImporter songs;
    JobRunner &jobs;
    EncoderQueue &encoder;
    BusyWindow &busy;
    const Notices &notices;
};

// The Wav <-> Mp3 panel: one song to WAV (Frame4), one WAV to MP3 (Frame5).
class ConverterPanel : public QGroupBox {
    Q_OBJECT
public:
    ConverterPanel(const ConverterNeeds &needs, QWidget *parent);

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
    ConverterNeeds needs_;
};
