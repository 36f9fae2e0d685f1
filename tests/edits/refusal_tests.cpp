// Edits that cannot be made say why and leave the clip, and its folder,
// exactly as they were.
#include "editsfixture.h"
#include "edits/cliphistory.h"
#include "edits/fades.h"
#include "edits/loudness.h"
#include "support/faultguards.h"

#include <functional>
#include <optional>

namespace {

struct Refusal {
    const char *name;
    const char *format;
    const char *synth; // empty: the clip is not a WAV file at all
    std::function<Outcome(const QString &clip, ClipHistory &)> edit;
    const char *reason; // a word the message holds
    bool lockFolder = false;
};
void PrintTo(const Refusal &c, std::ostream *os) { *os << c.name; }


class RefusalTest : public EditsTest, public ::testing::WithParamInterface<Refusal> {};

Outcome normalize(const QString &clip, ClipHistory &) { return normalizeLoudness(clip); }
Outcome fadeOneSecond(const QString &clip, ClipHistory &) { return fadeClip(clip, 1, 1); }
const char *kTone = "synth 2 sine 440 vol 0.5";
const char *kCd = "-r 44100 -c 2 -b 16";

} // namespace

TEST_P(RefusalTest, SaysWhyAndChangesNothing)
{
    const Refusal r = GetParam();
    const QString clip = *r.synth ? makeClip(QStringLiteral("clip.wav"), QString::fromLatin1(r.format), QString::fromLatin1(r.synth))
                                  : env.paths().workFile(QStringLiteral("clip.wav"));
    if (!*r.synth)
        ASSERT_TRUE(writeFile(clip, "RIFF but not a WAVE file at all"));
    ClipHistory history(historyFolder());
    const auto before = folderSnapshot(env.paths().workDir);
    Outcome result;
    {
        std::optional<ReadOnlyFolder> locked;
        if (r.lockFolder && !locked.emplace(env.paths().workDir).works())
            GTEST_SKIP() << "the folder cannot be made read-only here";
        result = r.edit(clip, history);
    }
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error().contains(QLatin1String(r.reason), Qt::CaseInsensitive)) << result.error().toStdString();
    EXPECT_EQ(folderSnapshot(env.paths().workDir), before);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, RefusalTest,
    ::testing::Values(
        Refusal{"LoudnessOfATooShortClip", kCd, "synth 0.3 sine 440 vol 0.5", normalize, "too short"},
        Refusal{"LoudnessOfASilentClip", kCd, "trim 0 3", normalize, "silent"},
        Refusal{"LoudnessOfNoWav", kCd, "", normalize, "cannot be read"},
        Refusal{"LoudnessInALockedFolder", kCd, kTone, normalize, "unchanged", true},
        Refusal{"FadeOfNoWav", kCd, "", fadeOneSecond, "cannot be read"},
        Refusal{"FadeInALockedFolder", kCd, kTone, fadeOneSecond, "unchanged", true},
        Refusal{"FadeOfAThirdOfASecond", kCd, kTone, [](const QString &c, ClipHistory &) { return fadeClip(c, 0.3, 0); },
                "half seconds"},
        Refusal{"UndoWithNothingDone", kCd, kTone, [](const QString &c, ClipHistory &h) { return h.undo(c); }, "nothing"},
        Refusal{"RedoAfterANewEdit", kCd, kTone,
                [](const QString &c, ClipHistory &h) {
                    EXPECT_TRUE(h.record(c, QStringLiteral("Cut")).ok());
                    return h.redo(c);
                },
                "nothing"}),
    [](const auto &info) { return std::string(info.param.name); });
