#include "base/timetext.h"

#include <gtest/gtest.h>

namespace {

struct Typed {
    const char *text;
    qint64 ms; // -1: not a time
};

class TimeText : public testing::TestWithParam<Typed> {};

TEST_P(TimeText, ReadsWhatPeopleTypeToTheMillisecond)
{
    const Typed t = GetParam();
    const Result<qint64> read = parseTimeText(QString::fromUtf8(t.text));
    if (t.ms < 0) {
        ASSERT_FALSE(read.ok()) << t.text << " read as " << read.value();
        EXPECT_FALSE(read.error().isEmpty());
        return;
    }
    ASSERT_TRUE(read.ok()) << t.text << ": " << read.error().toStdString();
    EXPECT_EQ(read.value(), t.ms) << t.text;
}

INSTANTIATE_TEST_SUITE_P(Forms, TimeText, testing::Values(
    Typed{"0:05.250", 5250}, Typed{"0:31.5", 31500}, Typed{"1:02.5", 62500}, Typed{"62.5", 62500},
    Typed{"62,5", 62500}, Typed{" 7 ", 7000}, Typed{"1:00:00.001", 3600001}, Typed{"90:00", 5400000},
    Typed{".5", 500}, Typed{"5.", 5000}, Typed{"0.0004", 0}, Typed{"0.0005", 1}, Typed{"1.99951", 2000},
    Typed{"0:00", 0}, Typed{"", -1}, Typed{"abc", -1}, Typed{"-1", -1}, Typed{"1:60", -1},
    Typed{"1:60:00", -1}, Typed{"1:", -1}, Typed{".", -1}, Typed{"1.2.3", -1}, Typed{"1:2:3:4", -1},
    Typed{"99999999999999999999", -1}, Typed{"5 s", -1}));

TEST(TimeText, FormatsWhatItReadsBack)
{
    for (qint64 ms : {qint64(0), qint64(5250), qint64(59999), qint64(60000), qint64(3599999), qint64(3600001), qint64(86400123)}) {
        const QString text = formatTimeText(ms);
        EXPECT_EQ(parseTimeText(text).value(), ms) << text.toStdString();
    }
    EXPECT_EQ(formatTimeText(5250), QStringLiteral("0:05.250"));
    EXPECT_EQ(formatTimeText(3600001), QStringLiteral("1:00:00.001"));
}

} // namespace
