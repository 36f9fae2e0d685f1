#pragma once
#include <QObject>

class ClipEditorPanel;
class CommonDialog;
class Frmmain;

// "Save The List to MP3" and the one handler that ends every MP3 encoding
// (list export, converter and recorder alike).
class Mp3Export : public QObject {
    Q_OBJECT
public:
    Mp3Export(Frmmain &form, ClipEditorPanel &panel, CommonDialog &cmdSave);

    void CmdSaveList_Click();
    void Mp3Enc1_Finished();

private:
    Frmmain &form_;
    ClipEditorPanel &panel_;
    CommonDialog &cmdSave_;
};
