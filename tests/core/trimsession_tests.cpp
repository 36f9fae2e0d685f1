#include "base/wavformat.h"
#include "core/cliplist.h"
#include "core/trimsession.h"
#include "testenv.h"
#include "testwav.h"

#include <QDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <random>

namespace {

struct Session {
    TestEnv env;
    ClipEntries clips{env.paths()};
    TrimSession trim{clips, env.paths()};
    Session() { QDir().mkpath(env.paths().workDir); }
    QString add(const QString &name, const QByteArray &content)
    {
        writeFile(env.paths().clipFile(name), content);
        clips.append(ClipEntry{name, {}});
        return env.paths().clipFile(name);
    }
};

} // namespace

// Clips at rates and lengths that are not whole milliseconds, cut at many
// mark pairs: the kept frames are exactly [round(in * rate / 1000),
// round(out * rate / 1000)), to the last frame when Mark Out is the end.
class RampCut : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(RampCut, KeepsExactlyTheFramesBetweenTheMarks)
{
    const auto [rate, frames] = GetParam();
    Session s;
    const QByteArray ramp = rampClip(rate, frames);
    const QString clip = s.add(QStringLiteral("ramp"), ramp);
    const int length = int(qint64(frames) * 1000 / rate); // as the player reports it

    std::mt19937 random(unsigned(rate) ^ unsigned(frames));
    std::vector<std::pair<int, int>> marks = {{0, length}, {1, length}, {0, 1}, {length - 1, length}};
    std::uniform_int_distribution<int> ms(0, length);
    while (marks.size() < 200) {
        const int x = ms(random), y = ms(random);
        if (x != y)
            marks.push_back({std::min(x, y), std::max(x, y)});
    }
    for (const auto &[in, out] : marks) {
        ASSERT_TRUE(writeFile(clip, ramp));
        s.trim.open(QStringLiteral("ramp"), length);
        s.trim.setMarks(in, out);
        const Outcome cut = s.trim.cut();
        ASSERT_TRUE(cut) << cut.error().toStdString();
        const qint64 first = std::llround(in * double(rate) / 1000);
        const qint64 end = out >= length ? frames : std::llround(out * double(rate) / 1000);
        const QByteArray kept = readWavData(clip).take();
        ASSERT_EQ(kept.size(), (end - first) * 4) << in << ".." << out;
        for (qint64 i = 0; i < end - first; ++i)
            ASSERT_EQ(qFromLittleEndian<qint32>(kept.constData() + i * 4), first + i) << in << ".." << out << " @" << i;
    }
    EXPECT_EQ(s.trim.mode(), EditMode::Play);
}

INSTANTIATE_TEST_SUITE_P(Rates, RampCut,
                         ::testing::Values(std::pair{44100, 101'117}, std::pair{22050, 50'003},
                                           std::pair{11025, 25'999}, std::pair{8000, 20'003},
                                           std::pair{48000, 96'031}));

TEST(TrimSession, RefusesWhatCannotBeCutAndLeavesTheClipAsItWas)
{
    Session s;
    const QByteArray ramp = rampClip(8000, 8000);
    const QString clip = s.add(QStringLiteral("a"), ramp);
    EXPECT_FALSE(s.trim.marksValid()) << "nothing opened yet";
    s.trim.open(QStringLiteral("a"), 1000);
    s.trim.setMarks(600, 600);
    EXPECT_EQ(s.trim.cut().error(), QStringLiteral("Time Input Error"));

    s.trim.setMarks(100, 200);
    s.trim.end(); // a selection in the list
    EXPECT_FALSE(s.trim.marksValid());
    EXPECT_FALSE(s.trim.clip());

    s.trim.open(QStringLiteral("a"), 1000);
    s.trim.setMarks(100, 200);
    s.clips.removeAt(0);
    ASSERT_TRUE(writeFile(clip, ramp)); // even with its file back, the entry is gone
    const Outcome cut = s.trim.cut();
    EXPECT_TRUE(cut.error().contains(QStringLiteral("removed"))) << cut.error().toStdString();
    EXPECT_EQ(readFile(clip), ramp);
    EXPECT_EQ(s.trim.mode(), EditMode::Edit);
}
