#include "core/cliplist.h"
#include "testenv.h"

#include <QDir>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(ClipEntries, ChangesAreAnnouncedInOrderAndTheFileGoesWithItsEntry)
{
    TestEnv env;
    QDir().mkpath(env.paths().workDir);
    ClipEntries clips(env.paths());
    QSignalSpy changed(&clips, &ClipEntries::changed), moved(&clips, &ClipEntries::moved);
    for (const char *name : {"a", "b", "c"}) {
        ASSERT_TRUE(writeFile(env.paths().clipFile(QString::fromLatin1(name)), "RIFF"));
        clips.append(ClipEntry{QString::fromLatin1(name), QStringLiteral("/songs/%1.wav").arg(name)});
    }
    clips.move(0, 2);
    clips.move(5, 0); // out of range: nothing happens
    EXPECT_EQ(clips.names(), QStringList({"b", "c", "a"}));
    EXPECT_EQ(clips.at(2).source, QStringLiteral("/songs/a.wav"));
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved[0], QVariantList({0, 2}));

    clips.removeAt(0);
    EXPECT_EQ(clips.names(), QStringList({"c", "a"}));
    EXPECT_FALSE(QFile::exists(env.paths().clipFile(QStringLiteral("b"))));
    EXPECT_TRUE(QFile::exists(env.paths().clipFile(QStringLiteral("c"))));
    EXPECT_EQ(changed.size(), 5);
}

TEST(ClipEntries, AFreeNameAvoidsEntriesFilesAndTheProgramsOwnFiles)
{
    TestEnv env;
    QDir().mkpath(env.paths().workDir);
    ClipEntries clips(env.paths());
    clips.append(ClipEntry{QStringLiteral("song"), {}});
    ASSERT_TRUE(writeFile(env.paths().clipFile(QStringLiteral("left")), "RIFF"));
    const std::pair<const char *, const char *> cases[] = {
        {"song", "song (2)"}, {"left", "left (2)"},       {"new", "new"},
        {"Concat", "Concat (2)"}, {"TEMPWAV", "TEMPWAV (2)"}, {"tempwav7", "tempwav7 (2)"},
    };
    for (const auto &[wanted, free] : cases)
        EXPECT_EQ(clips.freeClipName(QString::fromLatin1(wanted)), QString::fromLatin1(free)) << wanted;
    EXPECT_EQ(clipNameOf(QStringLiteral("/m/My Song.mp3")), QStringLiteral("My Song"));
    EXPECT_EQ(clipNameOf(QStringLiteral("/m/x.flac")), QStringLiteral("x."));
    EXPECT_EQ(clipNameOf(QStringLiteral("abc")), QStringLiteral("abc"));
}
