#pragma once
#include <QObject>

class ClipEditorPanel;
class CommonDialog;
class Frmmain;

// "Save The List to Wav": asks for a file name with CmdSave, closes both
// players, joins the clip list into concat.wav and copies it to the chosen
// file. CmdSave lives on the Audio Edit panel and serves the MP3 export too.
class WavExport : public QObject {
    Q_OBJECT
public:
    WavExport(Frmmain &form, ClipEditorPanel &panel);

    CommonDialog *CmdSave() const { return cmdSave_; }
    void CmdSaveWav_Click();

private:
    Frmmain &form_;
    ClipEditorPanel &panel_;
    CommonDialog *cmdSave_;
};
