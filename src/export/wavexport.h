#pragma once
#include <QObject>

class CommonDialog;
class QWidget;
struct ExportNeeds;

// "Save The List to Wav": asks for a file name with CmdSave, closes both
// players and joins the clip list into the chosen file, as a job of the
// runner. CmdSave serves the MP3 export too.
class WavExport : public QObject {
    Q_OBJECT
public:
    // CmdSave belongs to `panel`, the panel that holds the two export buttons.
    WavExport(const ExportNeeds &needs, QWidget &panel);

    CommonDialog *CmdSave() const { return cmdSave_; }
    void CmdSaveWav_Click();

private:
    const ExportNeeds &needs_;
    CommonDialog *cmdSave_;
};
