#include "editorfixture.h"
#include "widgets/frmload.h"

#include <QLabel>
#include <QProgressBar>

// The busy window's bar during the two long jobs of the Audio Edit panel.
class BusyProgressTest : public EditorTest {
protected:
    BusyProgressTest()
    {
        FrmLoad *busy = form->busyWindow();
        QObject::connect(busy->ProgressBar1(), &QProgressBar::valueChanged, [this, busy](int value) {
            shown << value;
            captionInView = captionInView && busy->rect().contains(busy->Label1()->geometry());
        });
    }
    int hundreds() const { return int(shown.count(100)); }
    bool rising() const { return std::is_sorted(shown.begin(), shown.end()); }

    QList<int> shown; // every value the bar took
    bool captionInView = true;
};

TEST_F(BusyProgressTest, EachMp3ImportReachesOneHundredOnce)
{
    const QString wav = makeSong(QStringLiteral("long.src.wav"), 20);
    const QString mp3 = env.paths().homeDir + QStringLiteral("/long.mp3");
    ASSERT_EQ(runShell(QStringLiteral("lame --quiet -b 128 '%1' '%2'").arg(wav, mp3)), 0);
    for (int job = 1; job <= 2; ++job) {
        shown.clear();
        importThroughDialog(mp3);
        EXPECT_EQ(hundreds(), 1) << "job " << job;
        EXPECT_GT(shown.size(), 3) << "the bar moves while the song decodes";
        EXPECT_TRUE(rising());
        EXPECT_TRUE(form->busyWindow()->isHidden());
    }
    EXPECT_EQ(entries().size(), 2);
    EXPECT_TRUE(captionInView);
}

TEST_F(BusyProgressTest, EachListExportAsMp3ReachesOneHundredOnce)
{
    importThroughDialog(makeSong(QStringLiteral("one.wav"), 15));
    importThroughDialog(makeSong(QStringLiteral("two.wav"), 15));
    for (int job = 1; job <= 2; ++job) {
        shown.clear();
        dialogs.messages.clear();
        dialogs.files.push_back(env.paths().homeDir + QStringLiteral("/list%1.mp3").arg(job));
        click("CmdSaveList");
        ASSERT_TRUE(waitFor([&] { return !dialogs.messages.isEmpty(); }, 60000));
        EXPECT_EQ(dialogs.texts(), QStringList{"Finish Save"});
        waitFor([] { return false; }, 100);
        EXPECT_EQ(hundreds(), 1) << "job " << job;
        EXPECT_TRUE(rising());
        EXPECT_EQ(form->busyWindow()->Label1()->text(), QStringLiteral("Saving......."));
    }
    EXPECT_TRUE(captionInView);
}
