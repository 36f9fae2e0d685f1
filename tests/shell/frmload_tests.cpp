#include "widgets/frmload.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
QString visibleSet(const FrmLoad &f)
{
    QString s;
    for (int i = 0; i < 6; ++i)
        if (!f.Picture1(i)->isHidden())
            s += QString::number(i);
    return s;
}
} // namespace

TEST(BusyWindow, CyclesThroughFiveStatesAndNeverLeavesPictureFiveShown)
{
    FrmLoad f;
    EXPECT_TRUE(f.Timer1()->isActive());
    EXPECT_EQ(f.Timer1()->interval(), 500);
    EXPECT_EQ(f.Label1()->text(), QStringLiteral("Loading.........."));
    QStringList seen;
    for (int tick = 0; tick < 10; ++tick) {
        f.Timer1_Timer();
        seen << visibleSet(f);
        EXPECT_TRUE(f.Picture1(5)->isHidden()) << "tick " << tick;
    }
    EXPECT_EQ(seen, QStringList({"01", "012", "0123", "01234", "0", "01", "012", "0123", "01234", "0"}));
}

TEST(BusyWindow, ReachesTheCycleFromAnyStartAndKeepsItsPlaceWhenHidden)
{
    FrmLoad f;
    for (int i = 0; i < 6; ++i)
        f.Picture1(i)->setVisible(i == 2 || i == 4); // an odd start
    for (int tick = 0; tick < 4; ++tick)
        f.Timer1_Timer();
    const QStringList cycle({"0", "01", "012", "0123", "01234"});
    EXPECT_TRUE(cycle.contains(visibleSet(f))) << visibleSet(f).toStdString();

    f.show();
    f.Timer1_Timer();
    const QString before = visibleSet(f);
    f.hide();
    f.show();
    EXPECT_EQ(visibleSet(f), before); // showing again does not restart the row
    EXPECT_TRUE(f.Timer1()->isActive());
}

TEST(BusyWindow, ProgressBringsTheCaptionIntoViewWithABarUnderItUntilHidden)
{
    FrmLoad f;
    f.Label1()->setText(QStringLiteral("Saving......."));
    const QSize compact = f.size();
    QList<QRect> row;
    for (int i = 0; i < 6; ++i)
        row << f.Picture1(i)->geometry();
    f.show();
    EXPECT_TRUE(f.ProgressBar1()->isHidden());

    f.setProgress(40);
    const QRect inside = f.rect();
    EXPECT_TRUE(inside.contains(f.Label1()->geometry())) << "the whole caption is in view";
    EXPECT_TRUE(inside.contains(f.ProgressBar1()->geometry()));
    EXPECT_FALSE(f.ProgressBar1()->isHidden());
    EXPECT_GE(f.ProgressBar1()->y(), f.Label1()->geometry().bottom());
    EXPECT_EQ(f.ProgressBar1()->value(), 40);
    EXPECT_EQ(f.Label1()->text(), QStringLiteral("Saving......."));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(f.Picture1(i)->geometry(), row[i]) << "picture " << i;
    f.setProgress(250);
    EXPECT_EQ(f.ProgressBar1()->value(), 100);

    f.hide();
    f.show(); // the next work starts compact, with no bar
    EXPECT_EQ(f.size(), compact);
    EXPECT_TRUE(f.ProgressBar1()->isHidden());
    f.setProgress(0);
    EXPECT_EQ(f.ProgressBar1()->value(), 0);
}
