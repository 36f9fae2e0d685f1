#pragma once
#include "base/result.h"

#include <QObject>

class BusyWindow;
class ClipEditorPanel;
class Notices;
class TrimSession;

// The trimming frame's edit controls over the trimming session: undo and
// redo of the clip's edits, its loudness, the fade lengths Done applies,
// and the length of the stretch between the marks.
class ClipEditControls : public QObject {
    Q_OBJECT
public:
    ClipEditControls(TrimSession &trim, BusyWindow &busy, const Notices &notices, ClipEditorPanel &panel);

    void CmdUndo_Click();
    void CmdRedo_Click();
    void CmdNormalize_Click();
    // Brings the enabled states and LblSelection in step with the session.
    void refresh();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void report(const Outcome &outcome);
    void takeFades();

    TrimSession &trim_;
    BusyWindow &busy_;
    const Notices &notices_;
    ClipEditorPanel &panel_;
    // Mark In, kept apart from panel_ because the filter still sees its
    // events while the panel is being destroyed.
    const QObject *markIn_;
};

// The length of a stretch in seconds to a tenth ("12.3 s").
QString formatTenths(int ms);
