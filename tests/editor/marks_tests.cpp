// Marks to the millisecond, driven as a person does: keys on the panel and
// the waveform, the dialog's fields, the waveform's context menu.
#include "base/timetext.h"
#include "base/wavformat.h"
#include "editor/audition.h"
#include "editor/cliptrimmer.h"
#include "editor/editcontrols.h"
#include "editor/marksdialog.h"
#include "editor/trimwaveform.h"
#include "editor/waveformview.h"
#include "core/clipanalysis.h"
#include "platform/mci/mmcontrol.h"
#include "editorfixture.h"
#include "testwav.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QtEndian>
#include <set>

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
    const QByteArray kept = readWavData(clip).take();
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

namespace {

struct Nudge {
    int key;
    Qt::KeyboardModifiers modifiers;
    int in, out; // the marks after it
};

// A 16-bit WAV of one channel per column of `frames` (left, right).
QByteArray stereoWav(int rate, const std::vector<std::pair<qint16, qint16>> &frames)
{
    QByteArray audio;
    for (auto [left, right] : frames)
        audio += le16(quint16(left)) + le16(quint16(right));
    return canonicalWav(2, rate, 16, audio);
}

} // namespace

// Each nudge moves the mark set last, shows at once on the waveform and the
// labels, and stops at the clip's ends and a millisecond short of the other
// mark. Ctrl steps by 1 s on a clip without beats.
TEST_F(MarksTest, NudgesMoveTheMarkSetLastByEachStepAndStopAtTheLimits)
{
    const QString silent = env.paths().homeDir + QStringLiteral("/quiet.wav");
    ASSERT_EQ(runShell(QStringLiteral("sox -D -n -r 22050 -c 1 -b 16 '%1' trim 0 3").arg(silent)), 0);
    open(silent);
    ASSERT_TRUE(waitFor([&] { return form->workspace().analysis().beatsKnown(); }, 20000));
    ASSERT_TRUE(form->workspace().analysis().beats().empty());
    const auto check = [&](const std::pair<int, int> &want, const char *step) {
        EXPECT_EQ(marks(), want) << step;
        const WaveformView &view = *editor().waveform().view();
        EXPECT_EQ(view.mark(WaveformView::Mark::In), want.first) << step;
        EXPECT_EQ(view.mark(WaveformView::Mark::Out), want.second) << step;
        EXPECT_EQ(panel().LblSelection->text(), formatTenths(want.second - want.first)) << step;
        EXPECT_EQ(panel().Lblout->text(), formatSeconds(roundedSeconds(want.second))) << step;
        EXPECT_EQ(panel().Lblin->text(), formatSeconds(roundedSeconds(want.first))) << step;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    const Nudge markIn[] = {
        {Qt::Key_Left, none, 0, 3000},    {Qt::Key_Right, none, 10, 3000},  {Qt::Key_Right, shift, 110, 3000},
        {Qt::Key_Right, ctrl, 1110, 3000}, {Qt::Key_Left, ctrl, 110, 3000}, {Qt::Key_Left, shift, 10, 3000},
    };
    for (const Nudge &n : markIn) {
        press(n.key, n.modifiers);
        check({n.in, n.out}, "Mark In");
    }
    // Mark Out typed alone becomes the mark set last.
    press(Qt::Key_T);
    type(QStringLiteral("0:00.010"), QStringLiteral("1.05"));
    enter(Qt::Key_Return);
    waveform->setFocus();
    const Nudge markOut[] = {
        {Qt::Key_Left, none, 10, 1040},   {Qt::Key_Left, ctrl, 10, 40},     {Qt::Key_Left, shift, 10, 11},
        {Qt::Key_Right, none, 10, 21},    {Qt::Key_Right, ctrl, 10, 1021},  {Qt::Key_Right, ctrl, 10, 2021},
        {Qt::Key_Right, ctrl, 10, 3000},  {Qt::Key_Right, shift, 10, 3000},
    };
    for (const Nudge &n : markOut) {
        press(n.key, n.modifiers);
        check({n.in, n.out}, "Mark Out");
    }
    // Without the waveform's focus the arrows are the focused control's.
    panel().FadeIn->setFocus();
    press(Qt::Key_Left);
    EXPECT_EQ(marks(), std::pair(10, 3000));
}

// With beats known, Ctrl moves the mark from beat to beat.
TEST_F(MarksTest, CtrlArrowsMoveTheMarkToTheNeighbouringBeats)
{
    const QString clicks = env.paths().homeDir + QStringLiteral("/clicks.wav");
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 1 -b 16 '%1' synth 0.02 sine 1500 pad 0 0.48 repeat 23")
                           .arg(clicks)),
              0);
    open(clicks);
    ASSERT_TRUE(waitFor([&] { return form->workspace().analysis().beatsKnown(); }, 20000));
    const std::vector<int> beats = form->workspace().analysis().beats();
    ASSERT_GE(beats.size(), 4u);
    for (size_t k = 0; k < 3; ++k) {
        press(Qt::Key_Right, Qt::ControlModifier);
        EXPECT_EQ(marks().first, beats[k]);
    }
    press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(marks().first, beats[1]);
    EXPECT_NEAR(beats[2] - beats[1], 500, 30) << "a beat is a click";
}

namespace {

struct SilentEnds {
    int rate;
    int lead, body, tail; // frames of each
    int loudChannel;      // the only channel above the level at the body's first and last frame
};

} // namespace

class TrimSilence : public MarksTest, public ::testing::WithParamInterface<SilentEnds> {};

// A lead-in and a tail just under -50 dBFS (103 of 32768), a body whose
// first and last frames are just over it (104) on one channel only: S sets
// the marks so that Done keeps the whole body and at most a millisecond of
// the silence on either side.
TEST_P(TrimSilence, KeepsTheSoundAndNoMoreThanAMillisecondOfItsSilentEnds)
{
    const SilentEnds s = GetParam();
    std::vector<std::pair<qint16, qint16>> frames;
    for (int i = 0; i < s.lead + s.body + s.tail; ++i) {
        const bool edge = i == s.lead || i == s.lead + s.body - 1, inBody = i >= s.lead && i < s.lead + s.body;
        const qint16 quiet = qint16(i % 2 ? 103 : -103), loud = qint16(edge ? -104 : 20000);
        frames.emplace_back(inBody && (!edge || s.loudChannel == 0) ? loud : quiet,
                            inBody && (!edge || s.loudChannel == 1) ? loud : quiet);
    }
    const QString clip = open(env.homeFile(QStringLiteral("quietends.wav"), stereoWav(s.rate, frames)));
    press(Qt::Key_S);
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(dialogs.fileRequests.size(), 1) << "S is no Ctrl+S: only the import asked for a file";
    click("CmdEditDone");
    const QByteArray kept = readWavData(clip).take();
    const auto *samples = reinterpret_cast<const qint16 *>(kept.constData());
    const qint64 count = kept.size() / 4;
    // Where the body starts in what was kept: the frames of silence kept before it.
    qint64 before = 0;
    while (before < count && std::abs(samples[2 * before + s.loudChannel]) < 104)
        ++before;
    const qint64 after = count - before - s.body;
    const int perMs = s.rate / 1000 + 1;
    EXPECT_LE(before, perMs);
    EXPECT_GE(after, 0);
    EXPECT_LE(after, perMs);
    EXPECT_LE(before, s.lead);
    EXPECT_LE(after, s.tail);
}

INSTANTIATE_TEST_SUITE_P(Clips, TrimSilence,
                         ::testing::Values(SilentEnds{44100, 30'011, 44'101, 50'003, 0},
                                           SilentEnds{22050, 7'777, 10'001, 0, 1},   // sound to the end
                                           SilentEnds{8000, 0, 9'999, 4'001, 1},     // sound from the start
                                           SilentEnds{48000, 1, 3, 47'999, 0}),
                         [](const auto &info) { return std::to_string(info.param.rate) + "Hz_" + std::to_string(info.index); });

TEST_F(MarksTest, TrimSilenceOnASilentClipSaysSoAndKeepsTheMarks)
{
    const QString silent = env.paths().homeDir + QStringLiteral("/quiet.wav");
    ASSERT_EQ(runShell(QStringLiteral("sox -D -n -r 22050 -c 2 -b 16 '%1' trim 0 2").arg(silent)), 0);
    open(silent);
    editor().trimmer().setMarks(300, 1200);
    QMenu *menu = editor().waveform().contextMenu();
    for (QAction *a : menu->actions())
        if (a->text() == QStringLiteral("Trim Silence"))
            a->trigger();
    delete menu;
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("The clip is silent throughout")));
    EXPECT_EQ(marks(), std::pair(300, 1200));
}

// Shift+I plays the 2 s from Mark In, Shift+O the 2 s that end at Mark Out,
// on the trimming player; neither takes a mark as I and O do.
TEST_F(MarksTest, ShiftIAndShiftOPlayTwoSecondsAtEachEdge)
{
    open(makeSong(QStringLiteral("song.wav"), 8));
    editor().trimmer().setMarks(1500, 6000);
    MMControl *edit = form->MMCEdit();
    const struct {
        int key, from, to;
    } edges[] = {{Qt::Key_I, 1500, 3500}, {Qt::Key_O, 4000, 6000}};
    for (const auto &e : edges) {
        press(e.key, Qt::ShiftModifier);
        EXPECT_TRUE(edit->isPlaying());
        EXPECT_EQ(edit->From(), e.from);
        ASSERT_TRUE(waitFor([&] { return !edit->isPlaying(); }, 5000)) << "the edge did not stop";
        EXPECT_GE(edit->Position(), e.to);
        EXPECT_LE(edit->Position(), e.to + 60);
        EXPECT_EQ(marks(), std::pair(1500, 6000));
    }
}

// L plays the stretch, faded as Done would fade it, round and round on the
// sound server, the waveform's position following it, until Space.
TEST_F(MarksTest, TheRingtoneLoopsWithDonesFadesUntilSpace)
{
    const QString clip = open(makeSong(QStringLiteral("song.wav"), 4));
    editor().trimmer().setMarks(500, 1500);
    panel().FadeIn->setValue(0.5);
    panel().FadeOut->setValue(0.5);
    waveform->setFocus();
    press(Qt::Key_L);
    Audition &audition = editor().audition();
    ASSERT_TRUE(audition.ringing());
    const QString ringFile = env.paths().scratchFile(QStringLiteral("ringtone.wav"));
    const QByteArray rung = readWavData(ringFile).take();
    std::set<int> seen;
    ASSERT_TRUE(waitFor([&] {
        editor().waveform().sync();
        seen.insert(editor().waveform().view()->position());
        return audition.rings() >= 3;
    }, 8000)) << "rings: " << audition.rings();
    EXPECT_GT(seen.size(), 5u) << "the position stood still";
    EXPECT_GE(*seen.begin(), 500);
    EXPECT_LE(*seen.rbegin(), 1500);
    EXPECT_FALSE(form->MMCEdit()->isPlaying());

    press(Qt::Key_Space);
    EXPECT_FALSE(audition.ringing());
    EXPECT_FALSE(form->MMCEdit()->isPlaying()) << "Space stops the ringtone and plays nothing else";
    EXPECT_FALSE(QFile::exists(ringFile));

    click("CmdEditDone");
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
    EXPECT_EQ(readWavData(clip).take(), rung) << "the ringtone heard is what Done makes";
}

// While no clip is open the waveform says what to do next.
TEST_F(MarksTest, TheEmptyWaveformTellsANewcomerWhatToDo)
{
    WaveformView &view = *editor().waveform().view();
    const auto hintDrawn = [&] {
        const QImage image = view.grab().toImage();
        const QRgb background = image.pixel(1, image.height() / 2);
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, image.height() / 2) != background)
                return true;
        return false;
    };
    editor().waveform().sync();
    EXPECT_EQ(view.hint(), QStringLiteral("Drop songs on the list, or press +"));
    EXPECT_TRUE(hintDrawn());
    importThroughDialog(makeSong(QStringLiteral("song.wav"), 1));
    editor().waveform().sync();
    EXPECT_EQ(view.hint(), QStringLiteral("Double-click a clip to trim it here"));
    panel().List1->setCurrentRow(0);
    editor().trimmer().List1_DblClick();
    editor().waveform().sync();
    EXPECT_EQ(view.hint(), QString());
    for (const char *key : {"Left", "Shift+Left", "Ctrl+Right", "T:", "Shift+I:", "Shift+O:", "L:", "S:"})
        EXPECT_TRUE(view.toolTip().contains(QString::fromLatin1(key))) << key;
}
