#pragma once
// Saving clips as one ringtone: the clips joined into a WAV of the job's
// own, which is encoded into the chosen format, tagged, and put in place
// of the target in one step; the joined WAV goes at the end.
#include "base/result.h"
#include "core/jobprogress.h"
#include "encode/encodejob.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct RingtoneRequest {
    QStringList clipFiles;   // joined in this order
    QString joinedFile;      // where the joined list waits for the encoder; no other job's
    QString outPath;         // the ringtone; replaced only by the complete file
    RingtoneFormat format = RingtoneFormat::M4r;
    SongTags tags;           // the song's (the title becomes the ringtone's name)
    int mp3BitRate = 128;    // kbit/s, for MP3
};

// The question of a ringtone longer than its format allows (40 s for an
// M4R): true keeps only the first `limitSeconds`, fading out over the last
// kRingtoneFadeSeconds; false saves it whole.
using LengthQuestion = std::function<bool(double seconds, double limitSeconds)>;

// The save in its two steps, for a caller that asks the length question
// between them on another thread than the encoding's. Each step tells
// `progress` the fraction of the whole save: the join its first tenth, the
// encoding the rest.
class RingtoneSave {
public:
    explicit RingtoneSave(RingtoneRequest request);
    ~RingtoneSave(); // the joined file goes
    RingtoneSave(const RingtoneSave &) = delete;
    RingtoneSave &operator=(const RingtoneSave &) = delete;

    // Joins the clips (a failure names the clip or the file).
    Outcome join(const JobProgress &progress = {});
    const QString &target() const { return request_.outPath; }
    // The joined list's length in seconds, and the format's limit when the
    // list is longer than that.
    double seconds() const { return seconds_; }
    std::optional<double> limitPassed() const;
    // Keeps only the limit's seconds, fading out at the end.
    void keepOnlyTheLimit();
    // Encodes and tags the joined list into the target (a failure names it).
    Outcome encode(const JobProgress &progress = {}) const;

private:
    RingtoneRequest request_;
    EncodeJob job_;
    double seconds_ = 0;
};

// The whole save on the calling thread: join (a tenth of the progress),
// the question when the limit is passed (none: saved whole), encode.
Outcome saveRingtone(const RingtoneRequest &request, const LengthQuestion &tooLong = {},
                     const JobProgress &progress = {});
