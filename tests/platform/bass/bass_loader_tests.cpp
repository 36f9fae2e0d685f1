// The program's loader of libbass.so: by full path only, every call by name.
#include "bass_fixtures.h"

#include <QFile>
#include <QTemporaryDir>

TEST(BassLoader, LoadsTheApplicationFoldersLibraryWithEveryCall)
{
    BassLibrary::LoadFailure failure = BassLibrary::LoadFailure::CannotLoad;
    auto loaded = BassLibrary::load(appLibraryPath(), &failure);
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    auto lib = loaded.take();
    EXPECT_EQ(failure, BassLibrary::LoadFailure::None);
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
    auto lib = BassLibrary::load(QStringLiteral(FAKEBASS_DIR "/version/libbass.so"));
    ASSERT_TRUE(lib) << lib.error().toStdString();
    EXPECT_EQ(lib.value()->api().BASS_GetVersion(), 0x00020003u);
}

TEST(BassLoader, ALibraryLackingACallIsReportedAsMissingFunction)
{
    BassLibrary::LoadFailure failure = BassLibrary::LoadFailure::None;
    auto lib = BassLibrary::load(QStringLiteral(FAKEBASS_DIR "/missing/libbass.so"), &failure);
    EXPECT_FALSE(lib);
    EXPECT_EQ(failure, BassLibrary::LoadFailure::MissingFunction);
    const QString error = lib.error();
    EXPECT_TRUE(error.contains(QStringLiteral("missing function BASS_ChannelStop"))) << error.toStdString();
}

TEST(BassLoader, NoLibraryOrNotALibrary)
{
    QTemporaryDir dir;
    BassLibrary::LoadFailure failure = BassLibrary::LoadFailure::None;
    const auto none = BassLibrary::load(dir.filePath("libbass.so"), &failure);
    EXPECT_FALSE(none);
    EXPECT_EQ(failure, BassLibrary::LoadFailure::CannotLoad);
    EXPECT_FALSE(none.error().isEmpty());
    QFile junk(dir.filePath("junk.so"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    EXPECT_FALSE(BassLibrary::load(junk.fileName(), &failure));
    EXPECT_EQ(failure, BassLibrary::LoadFailure::CannotLoad);
    EXPECT_FALSE(BassLibrary::load(QString(), nullptr)); // null output allowed
}

TEST(BassLoader, NeverUsesTheLoadersSearchPath)
{
    // A bare name or a relative path would let dlopen search; both are refused.
    for (const QString &p : {QStringLiteral("libbass.so"), QStringLiteral("bin/libbass.so"),
                             QStringLiteral("libc.so.6")}) {
        BassLibrary::LoadFailure failure = BassLibrary::LoadFailure::None;
        EXPECT_FALSE(BassLibrary::load(p, &failure)) << p.toStdString();
        EXPECT_EQ(failure, BassLibrary::LoadFailure::NotAbsolute);
    }
}

TEST(BassLoader, TwoLoadsShareOneLibraryAndUnloadCleanly)
{
    auto a = BassLibrary::load(appLibraryPath()).take();
    auto b = BassLibrary::load(appLibraryPath()).take();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->api().BASS_GetVersion, b->api().BASS_GetVersion);
    a.reset();
    EXPECT_EQ(b->api().BASS_GetVersion(), 0x00020002u);
}
