#include "editorfixture.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

class DropTest : public EditorTest {
protected:
    // Sends what a file manager sends when files are dragged onto the list.
    bool dropFiles(const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QWidget *target = panel().List1->viewport();
        const QPointF at(10, 10);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }
};

TEST_F(DropTest, DroppedSongsAreImportedInOrderAndOtherFilesNamedInOneMessage)
{
    const QString second = makeSong(QStringLiteral("second.wav"), 0.3, QStringLiteral("-r 22050 -c 1 -b 16"));
    const QString first = makeSong(QStringLiteral("First.WAV"), 0.2);
    const QString notes = env.homeFile(QStringLiteral("notes.txt"), "not a song");
    const QString pic = env.homeFile(QStringLiteral("cover.jpg"), "not a song either");
    ASSERT_TRUE(dropFiles({second, notes, first, pic}));
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.isEmpty(); }, 5000));
    EXPECT_EQ(entries(), QStringList({"second", "First"}));
    EXPECT_EQ(readFile(env.paths().clipFile("second")), readFile(second));
    EXPECT_EQ(readFile(env.paths().clipFile("First")), readFile(first));
    ASSERT_EQ(dialogs.messages.size(), 1);
    const QString text = dialogs.messages[0].text;
    EXPECT_TRUE(text.contains(notes) && text.contains(pic)) << text.toStdString();
    EXPECT_FALSE(text.contains(first) || text.contains(second)) << text.toStdString();
    EXPECT_EQ(QDir(env.paths().workDir).entryList(QDir::Files).size(), 2);
}

TEST_F(DropTest, SongsDroppedTwiceGetTheirOwnClipsAndADropOfOnlySongsSaysNothing)
{
    const QString song = makeSong(QStringLiteral("tune.wav"), 0.2);
    ASSERT_TRUE(dropFiles({song, song}));
    ASSERT_TRUE(waitFor([&] { return entries().size() == 2; }, 5000));
    EXPECT_EQ(entries(), QStringList({"tune", "tune (2)"}));
    waitFor([] { return false; }, 100);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(DropTest, DragsWithoutFilesAreRefused)
{
    QMimeData text;
    text.setText(QStringLiteral("just words"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(panel().List1->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(DropTest, ASecondDropWaitsForTheMp3OfTheFirstToDecode)
{
    auto mp3 = [this](const QString &name, double seconds, int frequency) {
        const QString wav = makeSong(name + QStringLiteral(".src.wav"), seconds, QStringLiteral("-r 44100 -c 2 -b 16"),
                                     frequency);
        const QString path = env.paths().homeDir + QLatin1Char('/') + name;
        EXPECT_EQ(runShell(QStringLiteral("lame --quiet -b 128 '%1' '%2'").arg(wav, path)), 0);
        return path;
    };
    const QString first = mp3(QStringLiteral("first.mp3"), 8, 440), second = mp3(QStringLiteral("second.mp3"), 3, 880);
    const QString wav = makeSong(QStringLiteral("third.wav"), 0.5);
    // Two drops in a row: the second one's import is due while the first song decodes.
    ASSERT_TRUE(dropFiles({first}));
    ASSERT_TRUE(dropFiles({second, wav}));
    ASSERT_TRUE(waitFor([&] { return entries().size() == 3; }, 20000)) << entries().join('|').toStdString();
    EXPECT_EQ(entries(), QStringList({"first", "second", "third"}));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
    const qint64 bytesPerSecond = 44100 * 4;
    EXPECT_NEAR(QFileInfo(env.paths().clipFile("first")).size(), 8 * bytesPerSecond, bytesPerSecond / 10);
    EXPECT_NEAR(QFileInfo(env.paths().clipFile("second")).size(), 3 * bytesPerSecond, bytesPerSecond / 10);
    EXPECT_TRUE(form->isEnabled());
}
