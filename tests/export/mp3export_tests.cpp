#include "exportfixture.h"
#include "export/mp3export.h"
#include "widgets/frmload.h"

#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

// Stream facts of an MP3 as ffprobe reports them.
QString probe(const QString &path, const char *entries)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -select_streams a:0 -show_entries %1 -of default=nw=1 '%2'")
                 .arg(QLatin1String(entries), path),
             &out);
    return out;
}

double decodedSeconds(const QString &mp3, const QString &scratch)
{
    runShell(QStringLiteral("mpg123 -q -w '%1' '%2'").arg(scratch, mp3));
    QString out;
    runShell(QStringLiteral("soxi -D '%1'").arg(scratch), &out);
    return out.trimmed().toDouble();
}

} // namespace

class Mp3ExportTest : public ::testing::Test, protected ExportFixture {
protected:
    QString exportTo(const QString &name)
    {
        const QString out = home(name);
        dialogs.files.push_back(out);
        mp3->CmdSaveList_Click();
        EXPECT_TRUE(waitFor([&] { return !dialogs.messages.isEmpty(); }, 30000));
        return out;
    }
};

TEST_F(Mp3ExportTest, EachBitRateSettingReachesTheFile)
{
    addSine("one", 1.0);
    addSine("two", 1.5, "sine 440");
    for (int rate : {56, 96, 128, 256}) {
        workspace.settings().BitRate = rate;
        dialogs.messages.clear();
        const QString out = exportTo(QStringLiteral("list%1.mp3").arg(rate));
        ASSERT_EQ(dialogs.texts(), QStringList{"Finish Save"}) << rate;
        EXPECT_TRUE(probe(out, "stream=bit_rate").contains(QStringLiteral("bit_rate=%1000").arg(rate)))
            << probe(out, "stream=bit_rate").toStdString();
        // At 56 kbit/s the encoder halves the rate: its frames at 44.1 kHz cannot
        // hold the info frame that makes the length exact.
        const QString rateLine = QStringLiteral("sample_rate=%1").arg(rate == 56 ? 22050 : 44100);
        EXPECT_TRUE(probe(out, "stream=sample_rate,channels").contains(rateLine)) << rate;
        EXPECT_TRUE(probe(out, "stream=sample_rate,channels").contains("channels=2"));
        // Within one MP3 frame (1152 samples) of the joined 2.5 seconds.
        EXPECT_NEAR(decodedSeconds(out, env.root() + "/dec.wav"), 2.5, 1152.0 / 44100);
    }
    EXPECT_EQ(encoderState.text(), QStringLiteral("1"));
    EXPECT_FALSE(QFile::exists(env.paths().concatFile()));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(busy.window()->isHidden());
    EXPECT_EQ(busy.window()->Label1()->text(), QStringLiteral("Saving......."));
}

TEST_F(Mp3ExportTest, EmptyBitRateEncodesAt128AndANameWithoutExtensionIsKept)
{
    addSine("one", 0.5, "sine 1000", SongTags{{}, QStringLiteral("The Artist"), {}, {}, {}});
    const QString out = exportTo(QStringLiteral("ringtone"));
    EXPECT_EQ(dialogs.texts(), QStringList{"Finish Save"});
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_TRUE(probe(out, "stream=bit_rate").contains("bit_rate=128000"));
    // Tagged as every saved ringtone: ID3v2.4, its own name, the first song's artist.
    QString tags;
    runShell(QStringLiteral("ffprobe -v error -show_entries format_tags=title,artist -of default=nw=1 '%1'").arg(out), &tags);
    EXPECT_TRUE(tags.contains(QStringLiteral("TAG:title=ringtone")) && tags.contains(QStringLiteral("TAG:artist=The Artist")))
        << tags.toStdString();
}

TEST_F(Mp3ExportTest, CancelShowsNoBusyWindow)
{
    addSine("one", 0.5);
    mp3->CmdSaveList_Click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(busy.created() && !busy.window()->isHidden());
}

TEST_F(Mp3ExportTest, AnEmptyListOrAFailedEncodingEndsWithAMessageAndAUsableWindow)
{
    exportTo(QStringLiteral("empty.mp3"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_NE(dialogs.messages[0].text, QStringLiteral("Finish Save"));
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(QFile::exists(home("empty.mp3")));

    addSine("one", 0.5);
    dialogs.messages.clear();
    const QString out = exportTo(QStringLiteral("no folder/x.mp3"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("x.mp3")) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(window.isEnabled());
    EXPECT_TRUE(busy.window()->isHidden());
}
