#pragma once
#include <QObject>
#include <functional>

class CommonDialog;
struct FeatureContext;

// "Save The List to MP3" and the one handler that ends every MP3 encoding
// (list export, converter and recorder alike).
class Mp3Export : public QObject {
    Q_OBJECT
public:
    Mp3Export(FeatureContext &context, CommonDialog &cmdSave);

    void CmdSaveList_Click();
    // The end of any encoding: its failure (empty when it succeeded) and
    // whether another encoding still waits.
    void Mp3Enc1_Finished(const QString &error, bool anotherPending);
    // Long work of another kind (a ringtone save) that keeps the window
    // busy: an encoding that ends while it runs leaves the window to it.
    void keepBusyWhile(std::function<bool()> otherWorkRuns) { otherWorkRuns_ = std::move(otherWorkRuns); }

private:
    FeatureContext &context_;
    CommonDialog &cmdSave_;
    std::function<bool()> otherWorkRuns_;
};
