// The program's loader of libbass.so: by full path only, every call by name.
#include "bass_fixtures.h"

#include <QFile>
#include <QTemporaryDir>

TEST(BassLoader, LoadsTheApplicationFoldersLibraryWithEveryCall)
{
    QString error = QStringLiteral("untouched");
    BassLibrary::Failure failure = BassLibrary::Failure::CannotLoad;
    auto lib = BassLibrary::load(appLibraryPath(), &error, &failure);
    ASSERT_TRUE(lib) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(failure, BassLibrary::Failure::None);
    EXPECT_EQ(lib->path(), appLibraryPath());
    const BassApi &a = lib->api();
    EXPECT_EQ(a.BASS_GetVersion(), 0x00020002u);
    // Every slot is filled.
    const auto *entries = reinterpret_cast<void *const *>(&a);
    for (size_t i = 0; i < sizeof(BassApi) / sizeof(void *); ++i)
        EXPECT_NE(entries[i], nullptr) << "slot " << i;
    EXPECT_TRUE(a.BASS_Init(0, 44100, 0, nullptr, nullptr));
    EXPECT_TRUE(a.BASS_Free());
}

TEST(BassLoader, ANewerOrOlderVersionLoadsAndSaysSo)
{
    QString error;
    auto lib = BassLibrary::load(QStringLiteral(FAKEBASS_DIR "/version/libbass.so"), &error);
    ASSERT_TRUE(lib) << error.toStdString();
    EXPECT_EQ(lib->api().BASS_GetVersion(), 0x00020003u);
}

TEST(BassLoader, ALibraryLackingACallIsReportedAsMissingFunction)
{
    QString error;
    BassLibrary::Failure failure = BassLibrary::Failure::None;
    auto lib = BassLibrary::load(QStringLiteral(FAKEBASS_DIR "/missing/libbass.so"), &error, &failure);
    EXPECT_FALSE(lib);
    EXPECT_EQ(failure, BassLibrary::Failure::MissingFunction);
    EXPECT_TRUE(error.contains(QStringLiteral("missing function BASS_ChannelStop"))) << error.toStdString();
}

TEST(BassLoader, NoLibraryOrNotALibrary)
{
    QTemporaryDir dir;
    QString error;
    BassLibrary::Failure failure = BassLibrary::Failure::None;
    EXPECT_FALSE(BassLibrary::load(dir.filePath("libbass.so"), &error, &failure));
    EXPECT_EQ(failure, BassLibrary::Failure::CannotLoad);
    EXPECT_FALSE(error.isEmpty());
    QFile junk(dir.filePath("junk.so"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    EXPECT_FALSE(BassLibrary::load(junk.fileName(), &error, &failure));
    EXPECT_EQ(failure, BassLibrary::Failure::CannotLoad);
    EXPECT_FALSE(BassLibrary::load(QString(), nullptr, nullptr)); // null outputs allowed
}

TEST(BassLoader, NeverUsesTheLoadersSearchPath)
{
    // A bare name or a relative path would let dlopen search; both are refused.
    for (const QString &p : {QStringLiteral("libbass.so"), QStringLiteral("bin/libbass.so"),
                             QStringLiteral("libc.so.6")}) {
        BassLibrary::Failure failure = BassLibrary::Failure::None;
        EXPECT_FALSE(BassLibrary::load(p, nullptr, &failure)) << p.toStdString();
        EXPECT_EQ(failure, BassLibrary::Failure::NotAbsolute);
    }
}

TEST(BassLoader, TwoLoadsShareOneLibraryAndUnloadCleanly)
{
    auto a = BassLibrary::load(appLibraryPath());
    auto b = BassLibrary::load(appLibraryPath());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->api().BASS_GetVersion, b->api().BASS_GetVersion);
    a.reset();
    EXPECT_EQ(b->api().BASS_GetVersion(), 0x00020002u);
}
