#pragma once
#include "base/result.h"
#include "widgets/jobrunner.h"

#include <QObject>
#include <QString>
#include <memory>

class CommonDialog;
class RingtoneSave;
struct ExportNeeds;

// "Save As Ringtone...": joins the clip list as the other exports do, asks
// for a file name whose type (M4R, Ogg Vorbis, Opus, FLAC, MP3 or WAV)
// comes from its extension or else from the chosen filter, and encodes the
// joined list into it, tagged. The join and the encoding run off the
// user-interface thread, under the busy window; the question between them
// is asked on it. An M4R longer than an iPhone plays may be cut to its first
// 40 s. It ends in "Finish Save", or a message that names the file.
class RingtoneExport : public QObject {
    Q_OBJECT
public:
    RingtoneExport(const ExportNeeds &needs, QObject *parent, CommonDialog &cmdSave);

    void CmdSaveRingtone_Click();
    // True from the join to the end of the encoding.
    bool running() const { return save_ != nullptr; }

signals:
    // The encoding ended (after its message was shown).
    void saved();

private:
    // After the join: the length question, then the encoding.
    void askAndEncode();
    // Runs one step of the save on the runner; a runner busy with another
    // job ends the save.
    void run(const JobRunner::Work &work, const JobRunner::Done &done);
    void finish(const Outcome &outcome);

    const ExportNeeds &needs_;
    CommonDialog &cmdSave_;
    // The save under way, shared with the runner's worker until its end.
    std::shared_ptr<RingtoneSave> save_;
};
