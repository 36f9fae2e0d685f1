#pragma once
#include "base/result.h"

#include <QObject>

class CommonDialog;
struct ExportNeeds;

// "Save The List to MP3": the join, the encoding through the encoder queue,
// and the end of its own encodings.
class Mp3Export : public QObject {
    Q_OBJECT
public:
    Mp3Export(const ExportNeeds &needs, QObject *parent, CommonDialog &cmdSave);

    void CmdSaveList_Click();

private:
    // The end of one of its encodings.
    void Mp3Enc1_Finished(const Outcome &ended);

    const ExportNeeds &needs_;
    CommonDialog &cmdSave_;
    int encoding_ = 0; // its encodings not yet ended
};
