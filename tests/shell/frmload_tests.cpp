#include "shell/frmload.h"

#include <QLabel>
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
