#include "base/paths.h"
#include "shell/settingsfile.h"
#include "testenv.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(SettingsFile, ParsesFieldsAsTheyAreWritten)
{
    StoredSettings s = parseSettings(" 96 \r\n/home/x\r\n");
    ASSERT_TRUE(s.bitRate);
    EXPECT_EQ(*s.bitRate, 96);
    EXPECT_EQ(*s.baseFolder, QStringLiteral("/home/x"));

    s = parseSettings("128\n/a,b\n"); // LF only; a field ends at a comma
    EXPECT_EQ(*s.bitRate, 128);
    EXPECT_EQ(*s.baseFolder, QStringLiteral("/a"));

    s = parseSettings("\r\n/only/folder\r\n");
    EXPECT_FALSE(s.bitRate);
    EXPECT_EQ(*s.baseFolder, QStringLiteral("/only/folder"));

    s = parseSettings("   777  ");
    EXPECT_EQ(*s.bitRate, 777);
    EXPECT_FALSE(s.baseFolder);

    EXPECT_FALSE(parseSettings("abc\r\n").bitRate);
    EXPECT_FALSE(parseSettings("").bitRate);
    EXPECT_FALSE(parseSettings("99999999999999999999\r\n").bitRate);
}

TEST(SettingsFile, WritesTwoCrLfLinesWithBlanksAroundTheNumber)
{
    EXPECT_EQ(formatSettings(96, QStringLiteral("/home/u")), QByteArray(" 96 \r\n/home/u\r\n"));
    EXPECT_EQ(formatSettings(std::nullopt, QStringLiteral("/home/u")), QByteArray("\r\n/home/u\r\n"));
}

TEST(SettingsFile, WriteReplacesAtomicallyAndReportsAFailure)
{
    TestEnv env;
    const QString path = env.root() + QStringLiteral("/app/config.ini");
    ASSERT_TRUE(writeSettingsFile(path, 56, QStringLiteral("/x")).ok());
    ASSERT_TRUE(writeSettingsFile(path, 256, QStringLiteral("/y")).ok());
    EXPECT_EQ(readFile(path), QByteArray(" 256 \r\n/y\r\n"));

    const QString blocked = env.root() + QStringLiteral("/nofolder");
    writeFile(blocked, "a file where a folder should be");
    const Outcome failed = writeSettingsFile(blocked + QStringLiteral("/config.ini"), 56, QStringLiteral("/x"));
    EXPECT_FALSE(failed.ok());
    EXPECT_FALSE(failed.error().isEmpty());
    EXPECT_EQ(readFile(blocked), QByteArray("a file where a folder should be"));
}

TEST(SettingsFile, KeptBesideAWritableProgramFolderOutsideUsr)
{
    TestEnv env;
    const QString own = env.root() + QStringLiteral("/app");
    const struct {
        QString appDir;
        bool beside;
    } cases[] = {
        {own, true},
        {own + QStringLiteral("/missing"), false},
        // Folders a package or an administrator's install owns, written by
        // nobody, root included (the tests may run as root).
        {QStringLiteral("/usr/lib"), false},
        {QStringLiteral("/usr/local/lib/../lib"), false},
        {QStringLiteral("/usr"), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AppPaths::keepsSettingsBeside(c.appDir), c.beside) << c.appDir.toStdString();
}
