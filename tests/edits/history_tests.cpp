// The undo history: a cut, a fade and a loudness edit undone and redone, the
// clip file byte for byte as it was at each step, with another clip's edits
// in between and the clip closed and opened again meanwhile.
#include "editsfixture.h"
#include "edits/cliphistory.h"
#include "edits/fades.h"
#include "edits/loudness.h"
#include "support/faultguards.h"

#include <QDir>

namespace {

class HistoryTest : public EditsTest {
protected:
    QString clip = makeClip(QStringLiteral("song.wav"), QStringLiteral("-r 44100 -c 2 -b 16"),
                            QStringLiteral("synth 8 sine 440 vol 0.1"));
    QString other = makeClip(QStringLiteral("other.wav"), QStringLiteral("-r 22050 -c 1 -b 16"),
                             QStringLiteral("synth 3 sine 880 vol 0.5"));
    ClipHistory history{historyFolder()};

    // A cut as the trimming view makes it: the file rewritten with a stretch of itself.
    Outcome cut(const QString &file)
    {
        const QString part = file + QStringLiteral(".cut.wav");
        const bool trimmed = runShell(QStringLiteral("sox '%1' '%2' trim 1 5").arg(file, part)) == 0;
        return trimmed && QFile::remove(file) && QFile::rename(part, file) ? Outcome::success()
                                                                           : Outcome::failure(QStringLiteral("cut"));
    }
    QStringList snapshots() const { return QDir(historyFolder()).entryList(QDir::Files | QDir::Hidden); }
};

} // namespace

TEST_F(HistoryTest, UndoAndRedoRestoreEveryStepByteForByte)
{
    std::vector<QByteArray> states{readFile(clip)};
    const std::vector<std::pair<QString, std::function<Outcome()>>> edits{
        {QStringLiteral("Cut"), [&] { return cut(clip); }},
        {QStringLiteral("Fade"), [&] { return fadeClip(clip, 1.0, 2.0); }},
        {QStringLiteral("Normalize"), [&] { return normalizeLoudness(clip); }},
    };
    for (const auto &[label, edit] : edits) {
        ASSERT_TRUE(history.apply(clip, label, edit).ok()) << label.toStdString();
        states.push_back(readFile(clip));
        ASSERT_NE(states.back(), states[states.size() - 2]) << label.toStdString() << " changed nothing";
        // Another clip's edit in between does not touch this clip's history.
        ASSERT_TRUE(history.apply(other, QStringLiteral("Fade"), [&] { return fadeClip(other, 0.5, 0); }).ok());
    }
    const QByteArray otherEdited = readFile(other);

    EXPECT_EQ(history.undoLabel(clip), QStringLiteral("Normalize"));
    for (size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(history.undo(clip).ok()) << i;
        EXPECT_EQ(readFile(clip), states[i - 1]) << "after undoing step " << i;
    }
    EXPECT_FALSE(history.canUndo(clip));
    EXPECT_FALSE(history.undo(clip).ok());
    EXPECT_EQ(history.redoLabel(clip), QStringLiteral("Cut"));
    for (size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history.redo(clip).ok()) << i;
        EXPECT_EQ(readFile(clip), states[i]) << "after redoing step " << i;
    }
    EXPECT_FALSE(history.canRedo(clip));
    EXPECT_EQ(readFile(other), otherEdited);
    EXPECT_EQ(history.undoLabel(other), QStringLiteral("Fade"));

    // A new edit after an undo drops what could be redone.
    ASSERT_TRUE(history.undo(clip).ok());
    ASSERT_TRUE(history.record(clip, QStringLiteral("Fade")).ok());
    EXPECT_FALSE(history.canRedo(clip));
    EXPECT_TRUE(history.canUndo(clip));
}

TEST_F(HistoryTest, AFailedEditOrRestoreLeavesClipAndHistoryAsTheyWere)
{
    const QByteArray original = readFile(clip);
    EXPECT_FALSE(history.apply(clip, QStringLiteral("Fade"), [&] { return fadeClip(clip, 0.3, 0); }).ok());
    EXPECT_FALSE(history.canUndo(clip));
    EXPECT_TRUE(snapshots().isEmpty()) << snapshots().join(QLatin1Char(' ')).toStdString();

    ASSERT_TRUE(history.apply(clip, QStringLiteral("Fade"), [&] { return fadeClip(clip, 1.0, 1.0); }).ok());
    const QByteArray faded = readFile(clip);
    // The clip is gone: undo cannot keep it for redo.
    ASSERT_TRUE(QFile::rename(clip, clip + QStringLiteral(".away")));
    EXPECT_FALSE(history.undo(clip).ok());
    EXPECT_FALSE(QFile::exists(clip));
    ASSERT_TRUE(QFile::rename(clip + QStringLiteral(".away"), clip));
    EXPECT_TRUE(history.canUndo(clip));
    EXPECT_EQ(snapshots().size(), 1);

    ASSERT_TRUE(history.undo(clip).ok());
    EXPECT_EQ(readFile(clip), original);
    ASSERT_TRUE(history.redo(clip).ok());
    EXPECT_EQ(readFile(clip), faded);
}

TEST_F(HistoryTest, AnUndoIntoAFolderThatCannotBeWrittenChangesNothing)
{
    const QByteArray original = readFile(clip);
    ASSERT_TRUE(history.apply(clip, QStringLiteral("Fade"), [&] { return fadeClip(clip, 1.0, 1.0); }).ok());
    const QByteArray faded = readFile(clip);
    {
        ReadOnlyFolder locked(env.paths().workDir);
        if (!locked.works())
            GTEST_SKIP() << "the working folder cannot be made read-only here";
        EXPECT_FALSE(history.undo(clip).ok());
        EXPECT_EQ(readFile(clip), faded);
    }
    EXPECT_TRUE(history.canUndo(clip));
    ASSERT_TRUE(history.undo(clip).ok());
    EXPECT_EQ(readFile(clip), original);
}

TEST_F(HistoryTest, ClearAndForgetDeleteTheCopies)
{
    ASSERT_TRUE(history.record(clip, QStringLiteral("Cut")).ok());
    ASSERT_TRUE(history.record(other, QStringLiteral("Cut")).ok());
    ASSERT_TRUE(history.undo(other).ok());
    EXPECT_EQ(snapshots().size(), 2);
    history.forget(other);
    EXPECT_FALSE(history.canRedo(other));
    EXPECT_EQ(snapshots().size(), 1);
    // A copy a run that ended abruptly left behind goes too.
    ASSERT_TRUE(writeFile(historyFolder() + QStringLiteral("/undo-999999.wav"), "left over"));
    history.clear();
    EXPECT_FALSE(history.canUndo(clip));
    EXPECT_TRUE(snapshots().isEmpty()) << snapshots().join(QLatin1Char(' ')).toStdString();
}
