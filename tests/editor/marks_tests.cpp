// Marks to the millisecond, driven as a person does: keys on the panel and
// the waveform, the dialog's fields, the waveform's context menu.
#include "base/timetext.h"
#include "base/wavformat.h"
#include "editor/cliptrimmer.h"
#include "editor/marksdialog.h"
#include "editor/trimwaveform.h"
#include "editorfixture.h"
#include "testwav.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QtEndian>

class MarksTest : public EditorTest {
protected:
    MarksTest() : waveform(form->findChild<QWidget *>(QStringLiteral("Waveform")))
    {
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Imports the song, opens its clip and clicks into the waveform.
    QString open(const QString &song)
    {
        importThroughDialog(song);
        panel().List1->setCurrentRow(panel().List1->count() - 1);
        editor().trimmer().List1_DblClick();
        waveform->setFocus();
        return env.paths().clipFile(entries().last());
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    MarksDialog *dialog() const { return form->findChild<MarksDialog *>(QStringLiteral("MarksDialog")); }
    template <class W> W *field(const char *name) const
    {
        return dialog() ? dialog()->findChild<W *>(QString::fromLatin1(name)) : nullptr;
    }
    // Types both marks into the open dialog, as a person does: the old text
    // selected and typed over.
    void type(const QString &in, const QString &out)
    {
        for (auto [name, text] : {std::pair{"TxtMarkIn", in}, {"TxtMarkOut", out}}) {
            QLineEdit *edit = field<QLineEdit>(name);
            ASSERT_NE(edit, nullptr) << name;
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, text);
        }
    }
    // A key typed into the dialog's Mark Out field.
    void enter(int key) { QTest::keyClick(field<QLineEdit>("TxtMarkOut"), Qt::Key(key)); }
    QPushButton *okButton() const
    {
        for (QPushButton *b : dialog()->findChildren<QPushButton *>())
            if (b->isDefault())
                return b;
        return nullptr;
    }
    std::pair<int, int> marks() const
    {
        const TrimSession &trim = form->workspace().trim();
        return {trim.markIn().value_or(-1), trim.markOut().value_or(-1)};
    }
    QWidget *waveform;
};

namespace {

struct TypedCut {
    int rate, frames;
    const char *in, *out; // as typed
    int inMs, outMs;      // what they mean
};

} // namespace

class TypedMarks : public MarksTest, public ::testing::WithParamInterface<TypedCut> {};

// Clips whose every frame holds its index, at rates and lengths that are not
// whole milliseconds: T, both marks typed, Enter, Done keeps exactly the
// frames [round(in * rate / 1000), round(out * rate / 1000)), to the last
// frame when Mark Out is the end.
TEST_P(TypedMarks, CutExactlyTheFramesBetweenThem)
{
    const TypedCut c = GetParam();
    const QString clip = open(env.homeFile(QStringLiteral("ramp.wav"), rampClip(c.rate, c.frames)));
    const int length = int(qint64(c.frames) * 1000 / c.rate);
    press(Qt::Key_T);
    ASSERT_NE(dialog(), nullptr) << "T opens the dialog";
    EXPECT_EQ(field<QLineEdit>("TxtMarkIn")->text(), QStringLiteral("0:00.000"));
    type(QString::fromUtf8(c.in), QString::fromUtf8(c.out));
    EXPECT_EQ(field<QLabel>("LblMarksLength")->text(), formatTimeText(std::min(c.outMs, length) - c.inMs));
    enter(Qt::Key_Return);
    EXPECT_EQ(marks(), std::pair(c.inMs, std::min(c.outMs, length)));
    click("CmdEditDone");
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();

    const qint64 first = std::llround(c.inMs * double(c.rate) / 1000);
    const qint64 end = c.outMs >= length ? c.frames : std::llround(c.outMs * double(c.rate) / 1000);
    const QByteArray kept = readWavData(clip);
    ASSERT_EQ(kept.size(), (end - first) * 4);
    for (qint64 i = 0; i < end - first; ++i)
        ASSERT_EQ(qFromLittleEndian<qint32>(kept.constData() + i * 4), first + i) << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Rates, TypedMarks,
    ::testing::Values(TypedCut{44100, 101'117, "0:00.250", "1.5", 250, 1500},
                      TypedCut{22050, 50'003, "0,333", "0:02.267", 333, 2267},   // Mark Out at the end
                      TypedCut{11025, 25'999, "0:00.001", "1:00", 1, 60000},     // past the end: the end
                      TypedCut{8000, 20'003, ".5", "2,0005", 500, 2001},         // a half millisecond rounds up
                      TypedCut{48000, 96'031, "0:00:01.001", "1.002", 1001, 1002}),
    [](const auto &info) { return std::to_string(info.param.rate) + "Hz_" + std::to_string(info.param.frames); });

// Each text that is no pair of marks keeps OK disabled and says why; the
// length follows the typing; Cancel changes nothing.
TEST_F(MarksTest, TheDialogSaysWhyItRefusesAndCancelChangesNothing)
{
    open(makeSong(QStringLiteral("song.wav"), 40));
    editor().trimmer().setMarks(1000, 2000);
    const struct {
        const char *in, *out, *problem; // problem: empty when OK is enabled
        const char *length;
    } cases[] = {
        {"0:05.250", "0:31.500", "", "0:26.250"},
        {"5", "5", "Mark In must come before Mark Out.", "-"},
        {"7,5", "3", "Mark In must come before Mark Out.", "-"},
        {"50", "60", "Mark In lies at or past the end of the clip (0:40.000).", "-"},
        {"abc", "3", "Mark In: \"abc\" is not a time", "-"},
        {"1", "1:75", "Mark Out: \"1:75\" is not a time: the seconds after a colon must be below 60", "-"},
        {"", "3", "Mark In: Type a time", "-"},
    };
    press(Qt::Key_T);
    ASSERT_NE(dialog(), nullptr);
    for (const auto &c : cases) {
        type(QString::fromUtf8(c.in), QString::fromUtf8(c.out));
        auto *problem = field<QLabel>("LblMarksProblem");
        EXPECT_EQ(okButton()->isEnabled(), !*c.problem) << c.in << " " << c.out;
        EXPECT_TRUE(*c.problem ? problem->text().startsWith(QString::fromUtf8(c.problem)) : problem->text().isEmpty())
            << c.in << " " << c.out << ": " << problem->text().toStdString();
        EXPECT_EQ(problem->isVisible(), bool(*c.problem)) << c.in << " " << c.out;
        EXPECT_EQ(field<QLabel>("LblMarksLength")->text(), QString::fromUtf8(c.length)) << c.in << " " << c.out;
        if (*c.problem) {
            enter(Qt::Key_Return); // refused: the dialog stays
            ASSERT_NE(dialog(), nullptr);
            EXPECT_EQ(marks(), std::pair(1000, 2000));
        }
    }
    type(QStringLiteral("3"), QStringLiteral("4"));
    QPointer<MarksDialog> shown = dialog();
    enter(Qt::Key_Escape);
    EXPECT_TRUE(shown.isNull() || !shown->isVisible());
    EXPECT_EQ(marks(), std::pair(1000, 2000));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The waveform's context menu opens the same dialog; the new keys stay a
// line edit's own letters while one has the focus.
TEST_F(MarksTest, TheMenuOpensTheDialogAndLettersTypedInAFieldStayThere)
{
    open(makeSong(QStringLiteral("song.wav"), 5));
    QMenu *menu = editor().waveform().contextMenu();
    QAction *exactly = nullptr;
    for (QAction *a : menu->actions())
        if (a->text() == QStringLiteral("Set Marks Exactly..."))
            exactly = a;
    ASSERT_NE(exactly, nullptr);
    EXPECT_EQ(exactly->shortcut(), QKeySequence(Qt::Key_T));
    exactly->trigger();
    delete menu;
    ASSERT_NE(dialog(), nullptr);
    delete dialog();

    panel().FadeIn->setFocus();
    for (int key : {Qt::Key_T, Qt::Key_S, Qt::Key_L})
        press(key);
    EXPECT_EQ(dialog(), nullptr) << "T typed into the fade box opened the dialog";
    EXPECT_EQ(marks(), std::pair(0, 5000));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
