// What the export does when it cannot do its work: a message naming the
// problem, and nothing written at the chosen path.
#include "exportfixture.h"
#include "faultguards.h"

#include "platform/mci/mmcontrol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray clip16(int bytes, int seed) { return wavBytes(2, 44100, 16, audioPattern(bytes, seed)); }

// The user's own file at the chosen path, which a failed export must leave alone.
struct Failing {
    Failing() : target(f.home(QStringLiteral("keep.wav")))
    {
        writeFile(target, QByteArrayLiteral("the user's old ringtone"));
        writeFile(f.env.paths().concatFile(), QByteArrayLiteral("an earlier join"));
    }
    void expectNothingWritten(const QString &aboutWhat)
    {
        EXPECT_EQ(readFile(target), QByteArrayLiteral("the user's old ringtone"));
        const QStringList texts = f.messages();
        ASSERT_EQ(texts.size(), 1) << qPrintable(texts.join('|'));
        EXPECT_NE(texts[0], QStringLiteral("Finish Save"));
        EXPECT_TRUE(texts[0].contains(aboutWhat)) << qPrintable(texts[0]);
        EXPECT_EQ(f.dialogs.messages[0].title, QStringLiteral("Orvane Clipforge"));
        EXPECT_EQ(QDir(f.env.paths().homeDir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.wav")});
    }
    ExportFixture f;
    QString target;
};

} // namespace

TEST(ExportCancel, LeavesEveryFileAndBothPlayersAsTheyWere)
{
    ExportFixture f;
    const QString clip = f.addClip(QStringLiteral("tone"), clip16(400, 1));
    writeFile(f.env.paths().concatFile(), QByteArrayLiteral("an earlier join"));
    writeFile(f.home(QStringLiteral("ring.wav")), QByteArrayLiteral("old"));
    f.workspace.trimPlayer().setFileName(clip);
    f.workspace.trimPlayer().setCommand(QStringLiteral("open"));
    const bool editOpen = f.workspace.trimPlayer().isOpen();
    const auto before = folderSnapshot(f.env.root());

    f.saveAs(std::nullopt);

    EXPECT_EQ(folderSnapshot(f.env.root()), before);
    EXPECT_TRUE(f.messages().isEmpty());
    EXPECT_EQ(f.workspace.trimPlayer().Command(), QStringLiteral("open"));
    EXPECT_EQ(f.workspace.trimPlayer().isOpen(), editOpen);
    EXPECT_EQ(f.workspace.trimPlayer().FileName(), clip);
    EXPECT_EQ(f.workspace.listPlayer().Command(), QString());
    EXPECT_FALSE(f.workspace.listPlayer().isOpen());
}

TEST(ExportFailure, AnEmptyListSaysSoAndWritesNothing)
{
    Failing t;
    t.f.saveAs(t.target);
    t.expectNothingWritten(QStringLiteral("empty"));
    EXPECT_EQ(readFile(t.f.env.paths().concatFile()), QByteArrayLiteral("an earlier join"));
}

TEST(ExportFailure, AMissingClipFileIsNamed)
{
    Failing t;
    t.f.addClip(QStringLiteral("here"), clip16(400, 1));
    t.f.addEntry(QStringLiteral("Gone Song"));
    t.f.saveAs(t.target);
    t.expectNothingWritten(QStringLiteral("\"Gone Song\""));
    EXPECT_TRUE(t.f.messages().value(0).contains(QStringLiteral("missing")));
    EXPECT_EQ(readFile(t.f.env.paths().concatFile()), QByteArrayLiteral("an earlier join"));
}

TEST(ExportFailure, AClipThatIsNotAudioIsNamed)
{
    const std::pair<const char *, QByteArray> garbage[] = {
        {"noise", audioPattern(5000, 9)},
        {"short", QByteArrayLiteral("RIFF\x10\0\0\0WAVE")},
        {"no samples", wavBytes(2, 44100, 16, {}).left(36)},
    };
    for (const auto &[name, content] : garbage) {
        Failing t;
        t.f.addClip(QStringLiteral("fine"), clip16(400, 1));
        t.f.addClip(QString::fromLatin1(name), content);
        t.f.saveAs(t.target);
        t.expectNothingWritten(QStringLiteral("\"%1\"").arg(QString::fromLatin1(name)));
        EXPECT_TRUE(t.f.messages().value(0).contains(QStringLiteral("not WAV audio"))) << name;
    }
}

TEST(ExportFailure, AClipOfAFarAwaySampleRateIsNamed)
{
    // Each 8 kHz frame would become 500 frames at the first clip's 4 MHz.
    Failing t;
    t.f.addClip(QStringLiteral("fast"), wavBytes(1, 4000000, 8, audioPattern(8, 1)));
    t.f.addClip(QStringLiteral("slow"), wavBytes(1, 8000, 8, audioPattern(800, 2)));
    t.f.saveAs(t.target);
    t.expectNothingWritten(QStringLiteral("\"slow\""));
    EXPECT_TRUE(t.f.messages().value(0).contains(QStringLiteral("8000 Hz"))) << qPrintable(t.f.messages().value(0));
    EXPECT_EQ(readFile(t.f.env.paths().concatFile()), QByteArrayLiteral("an earlier join"));
}

TEST(ExportFailure, AResultOverTwoGibibytesIsRefusedBeforeWriting)
{
    Failing t;
    // Two sparse clips of 1.1 GB audio each: nothing is read or written to find out.
    for (const QString &name : {QStringLiteral("long one"), QStringLiteral("long two")}) {
        const qint64 audio = 1100LL * 1000 * 1000;
        const QString path = t.f.addClip(name, clip16(0, 0));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray header = file.read(44);
        putLe32(header, 40, qint32(audio));
        putLe32(header, 4, qint32(audio + 36));
        file.seek(0);
        file.write(header);
        ASSERT_TRUE(file.resize(44 + audio));
    }
    t.f.saveAs(t.target);
    t.expectNothingWritten(QStringLiteral("2 GiB"));
    EXPECT_EQ(readFile(t.f.env.paths().concatFile()), QByteArrayLiteral("an earlier join"));
}

TEST(ExportFailure, AFolderThatIsNotThereIsNamed)
{
    Failing t;
    t.f.addClip(QStringLiteral("fine"), clip16(400, 1));
    const QString target = t.f.home(QStringLiteral("no such folder/ring.wav"));
    t.f.saveAs(target);
    ASSERT_EQ(t.f.messages().size(), 1);
    EXPECT_TRUE(t.f.messages()[0].contains(target)) << qPrintable(t.f.messages()[0]);
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST(ExportFailure, AReadOnlyFolderIsNamedAndItsFileKept)
{
    Failing t;
    t.f.addClip(QStringLiteral("fine"), clip16(400, 1));
    ReadOnlyFolder guard(t.f.env.paths().homeDir);
    if (!guard.works())
        GTEST_SKIP() << "cannot make a folder read-only here";
    t.f.saveAs(t.target);
    t.expectNothingWritten(t.target);
}
