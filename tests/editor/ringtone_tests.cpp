// The ringtone editor in the trimming frame, driven through its controls:
// fades by Done, loudness, undo and redo, beats and snapping, the chorus,
// zoom, and where the new controls lie.
#include "base/wavformat.h"
#include "base/wavheader.h"
#include "core/clipanalysis.h"
#include "editor/cliplist.h"
#include "editor/cliptrimmer.h"
#include "editor/editcontrols.h"
#include "editor/trimwaveform.h"
#include "editor/waveformview.h"
#include "editorfixture.h"
#include "platform/mci/mmcontrol.h"
#include "testsongs.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace {

// A 16-bit WAV of the samples, in the home folder.
QString writeSong(const TestEnv &env, const QString &name, const TestAudio &audio)
{
    QByteArray pcm(qsizetype(audio.samples.size() * 2), Qt::Uninitialized);
    samplesFromFloat(audio.samples.data(), qint64(audio.samples.size()), SampleFormat::S16, pcm.data());
    const WavHeader header = WavHeader::make(quint16(audio.channels), quint32(audio.rate), 16, pcm.size());
    return env.homeFile(name, wavHeaderBytes(header) + pcm);
}

std::vector<qint16> samplesOf(const QString &clip)
{
    const QByteArray data = readWavData(clip).take();
    std::vector<qint16> out(size_t(data.size() / 2));
    std::memcpy(out.data(), data.constData(), out.size() * 2);
    return out;
}

// Integrated loudness and true peak as ffmpeg's EBU R128 meter reads them.
std::pair<double, double> ebur128(const QString &file)
{
    QString out;
    runShell(QStringLiteral("ffmpeg -hide_banner -nostats -i '%1' -af ebur128=peak=true -f null - 2>&1").arg(file), &out);
    const QString summary = out.mid(out.lastIndexOf(QStringLiteral("Summary:")));
    const auto value = [&](const QString &label) {
        const QRegularExpressionMatch m = QRegularExpression(label + QStringLiteral(":\\s+(-?[0-9.]+)")).match(summary);
        return m.hasMatch() ? m.captured(1).toDouble() : NAN;
    };
    return {value(QStringLiteral("I")), value(QStringLiteral("Peak"))};
}

// A press at `from`, a move to and a release at `to`, with the left button.
void dragAcross(QWidget &w, double from, double to)
{
    for (auto [type, x] : {std::pair{QEvent::MouseButtonPress, from}, {QEvent::MouseMove, to},
                           {QEvent::MouseButtonRelease, to}}) {
        const QPointF at(x, w.height() / 2.0);
        QMouseEvent e(type, at, w.mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &e);
    }
}

} // namespace

class RingtoneTest : public EditorTest {
protected:
    // Imports the song and opens its clip for trimming.
    QString open(const QString &song)
    {
        importThroughDialog(song);
        panel().List1->setCurrentRow(panel().List1->count() - 1);
        editor().trimmer().List1_DblClick();
        return env.paths().clipFile(entries().last());
    }
    void reopen() { editor().trimmer().List1_DblClick(); }
    TrimSession &trim() const { return form->workspace().trim(); }
    ClipAnalysis &analysis() const { return form->workspace().analysis(); }
    WaveformView &view() const { return *editor().waveform().view(); }
};

TEST_F(RingtoneTest, DoneFadesTheKeptStretchOnTheQuarterSineAndTheLengthsAreRemembered)
{
    constexpr int rate = 44100, level = 20000;
    QByteArray pcm;
    for (int i = 0; i < 3 * rate; ++i)
        pcm.append(reinterpret_cast<const char *>(&level), 2);
    const QString clip = open(env.homeFile(QStringLiteral("flat.wav"),
                                           wavHeaderBytes(WavHeader::make(1, rate, 16, pcm.size())) + pcm));
    editor().trimmer().setMarks(500, 2500);
    panel().FadeIn->setValue(1.0);
    panel().FadeOut->setValue(0.5);
    click("CmdEditDone");
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();

    const std::vector<qint16> s = samplesOf(clip);
    const qint64 total = 2 * rate, in = rate, out = rate / 2;
    ASSERT_EQ(qint64(s.size()), total);
    const double quarter = std::acos(0.0);
    for (qint64 i = 0; i < total; ++i) {
        const double rise = i < in ? std::sin(quarter * double(i) / in) : 1;
        const double fall = i >= total - out ? std::sin(quarter * double(total - 1 - i) / out) : 1;
        ASSERT_NEAR(s[size_t(i)], level * rise * fall, 1.0) << "frame " << i;
    }

    // The next run offers the same fades; config.ini keeps its own two lines.
    Frmmain again(env.paths());
    EXPECT_EQ(again.Framewav()->FadeIn->value(), 1.0);
    EXPECT_EQ(again.Framewav()->FadeOut->value(), 0.5);
    EXPECT_FALSE(readFile(env.paths().settingsFile).contains("Fade"));
}

TEST_F(RingtoneTest, UndoAndRedoRestoreEveryEditByteForByteAlsoAfterTheClipWasClosed)
{
    const QString clip = open(makeSong(QStringLiteral("song.wav"), 8, QStringLiteral("-r 44100 -c 2 -b 16"), 330));
    EXPECT_FALSE(panel().CmdUndo->isEnabled());
    std::vector<QByteArray> states{readFile(clip)};
    editor().trimmer().setMarks(1000, 7000); // a cut
    click("CmdEditDone");
    states.push_back(readFile(clip));
    reopen();
    panel().FadeIn->setValue(0.5); // a cut with fades: one edit
    panel().FadeOut->setValue(1.5);
    editor().trimmer().setMarks(500, 5000);
    click("CmdEditDone");
    states.push_back(readFile(clip));
    reopen();
    click("CmdNormalize"); // the loudness
    states.push_back(readFile(clip));
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
    for (size_t k = 1; k < states.size(); ++k)
        ASSERT_NE(states[k], states[k - 1]) << "edit " << k << " changed nothing";

    click("CmdUndo");
    EXPECT_EQ(readFile(clip), states[2]);
    editor().list().List1_Click(); // closed ...
    EXPECT_FALSE(panel().CmdUndo->isEnabled());
    reopen();                        // ... and opened again
    click("CmdUndo");
    EXPECT_EQ(readFile(clip), states[1]);
    click("CmdUndo");
    EXPECT_EQ(readFile(clip), states[0]);
    EXPECT_EQ(form->MMCEdit()->Length(), 8000) << "the player follows the restored clip";
    EXPECT_EQ(trim().markOut(), 8000);
    EXPECT_FALSE(panel().CmdUndo->isEnabled());
    for (size_t k = 1; k < states.size(); ++k) {
        click("CmdRedo");
        EXPECT_EQ(readFile(clip), states[k]) << "redo " << k;
    }
    EXPECT_FALSE(panel().CmdRedo->isEnabled());

    // Removed and imported again under the same name: a new clip, no history.
    dialogs.answers = {dialogs::Answer::Yes};
    click("Cmdremove");
    EXPECT_EQ(open(env.paths().homeDir + QStringLiteral("/song.wav")), clip);
    EXPECT_FALSE(panel().CmdUndo->isEnabled());

    // The history lasts the run: the shutdown takes its copies away.
    click("CmdNormalize");
    const QDir scratch(env.paths().scratchDir);
    EXPECT_FALSE(scratch.entryList(QDir::Files).isEmpty());
    form->Form_Unload();
    EXPECT_TRUE(scratch.entryList(QDir::Files).isEmpty()) << scratch.entryList(QDir::Files).join(' ').toStdString();
}

// Quiet and too loud: both end at -14 LUFS with the true peak at most -1 dBTP.
class LoudnessTest : public RingtoneTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(LoudnessTest, NormalizeMeetsTheRingtoneTargetOnAnIndependentMeter)
{
    const QString song = env.paths().homeDir + QStringLiteral("/song.wav");
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 12 %2").arg(song, GetParam())), 0);
    const QString clip = open(song);
    click("CmdNormalize");
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();
    const auto [integrated, peak] = ebur128(clip);
    EXPECT_NEAR(integrated, -14.0, 0.5);
    EXPECT_LE(peak, -1.0);
    EXPECT_TRUE(panel().CmdUndo->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Clips, LoudnessTest,
                         ::testing::Values("sine 440 vol 0.03", "pinknoise vol 0.95", "square 220 sine 3000 vol 0.9"));

TEST_F(RingtoneTest, AClipTooShortOrSilentForLoudnessGetsAMessageAndNoChange)
{
    int n = 0;
    for (const char *synth : {"synth 0.2 sine 440", "trim 0 3"}) {
        const QString song = env.paths().homeDir + QStringLiteral("/bad%1.wav").arg(n++);
        ASSERT_EQ(runShell(QStringLiteral("sox -D -n -r 44100 -c 1 -b 16 '%1' %2").arg(song, synth)), 0);
        const QString clip = open(song);
        const QByteArray before = readFile(clip);
        dialogs.messages.clear();
        click("CmdNormalize");
        ASSERT_EQ(dialogs.messages.size(), 1) << synth;
        EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("too short")) ||
                    dialogs.messages[0].text.contains(QStringLiteral("silent")))
            << dialogs.messages[0].text.toStdString();
        EXPECT_EQ(readFile(clip), before);
        EXPECT_FALSE(panel().CmdUndo->isEnabled()) << "a refused edit is no step to undo";
    }
}

TEST_F(RingtoneTest, BeatsOfAClickTrackAreTicksAndMarksSnapToThem)
{
    std::vector<double> clicks;
    const TestAudio track = makeClickTrack(120, 15, 0.25, 44100, &clicks);
    open(writeSong(env, QStringLiteral("clicks.wav"), track));
    ASSERT_TRUE(waitFor([&] { return analysis().beatsKnown(); }, 20000));
    const std::vector<int> beats = analysis().beats();
    // Once the tracker has settled (a few seconds in), every beat is a click.
    ASSERT_GE(beats.size(), clicks.size() / 2);
    for (int beat : beats) {
        const double nearest = *std::min_element(clicks.begin(), clicks.end(), [&](double a, double b) {
            return std::abs(a * 1000 - beat) < std::abs(b * 1000 - beat);
        });
        if (beat > 5000)
            EXPECT_NEAR(beat, nearest * 1000, 10.0);
    }
    editor().waveform().sync();
    EXPECT_EQ(view().beats(), beats);

    panel().ChkSnapBeat->setChecked(true);
    const int beat = beats[beats.size() / 2];
    dragAcross(view(), view().xOf(0), view().xOf(beat + 180));
    EXPECT_EQ(trim().markIn(), beat) << "a dragged mark snaps";

    click("CmdEditPlay");
    ASSERT_TRUE(waitFor([&] { return form->MMCEdit()->Position() > 2000; }, 5000));
    click("CmdEditStop");
    const int at = form->MMCEdit()->Position();
    click("CmdMarkOut");
    EXPECT_TRUE(std::find(beats.begin(), beats.end(), *trim().markOut()) != beats.end()) << "a taken mark snaps";
    EXPECT_LE(std::abs(*trim().markOut() - at), 250);
}

TEST_F(RingtoneTest, FindChorusMarksAChorusThenTheNextCandidatesRoundTheList)
{
    SongPlan plan;
    plan.form = "IVCVCBCO";
    plan.bpm = 112;
    const TestSong song = ::makeSong(plan);
    open(writeSong(env, QStringLiteral("song.wav"), song.audio));
    EXPECT_TRUE(panel().CmdChorus->isEnabled());
    click("CmdChorus");
    click("CmdChorus"); // while it runs: nothing more
    ASSERT_TRUE(waitFor([&] { return analysis().currentChorus() >= 0; }, 30000)) << dialogs.texts().join('|').toStdString();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(analysis().currentChorus(), 0) << "the second press did not move on";

    const int in = *trim().markIn(), out = *trim().markOut();
    bool onAChorus = false;
    for (const SongSection &s : song.sections)
        onAChorus = onAChorus || (s.kind == 'C' && std::abs(in - s.startSec * 1000) <= 1000 &&
                                  std::abs(out - s.endSec * 1000) <= 2000);
    EXPECT_TRUE(onAChorus) << in << ".." << out;
    EXPECT_EQ(panel().LblSelection->text(), formatTenths(out - in));
    EXPECT_EQ(panel().Lblin->text(), formatSeconds(roundedSeconds(in)));
    editor().waveform().sync();
    EXPECT_EQ(view().mark(WaveformView::Mark::In), in);
    EXPECT_EQ(view().bands().size(), analysis().chorus().size());

    const size_t count = analysis().chorus().size();
    for (size_t k = 1; k <= count; ++k) {
        click("CmdChorus");
        EXPECT_EQ(analysis().currentChorus(), int(k % count));
        EXPECT_EQ(trim().markIn(), int(std::lround(analysis().chorus()[k % count].startSec * 1000)));
    }
}

TEST_F(RingtoneTest, FindChorusOnAClipWithoutRepetitionSaysSoAndKeepsTheMarks)
{
    open(makeSong(QStringLiteral("tone.wav"), 30));
    editor().trimmer().setMarks(2000, 9000);
    click("CmdChorus");
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.isEmpty(); }, 30000));
    EXPECT_EQ(dialogs.texts(), QStringList{"No repeated section was found in this clip."});
    EXPECT_EQ(trim().markIn(), 2000);
    EXPECT_EQ(trim().markOut(), 9000);
}

TEST_F(RingtoneTest, TheWheelZoomsAroundThePointerAndPanningNeverMovesAMark)
{
    open(makeSong(QStringLiteral("song.wav"), 60));
    ASSERT_TRUE(waitFor([&] { return view().hasPeaks() || (editor().waveform().sync(), false); }, 5000));
    editor().trimmer().setMarks(10000, 50000);
    const double x = view().width() * 0.3;
    const int under = view().msAt(x);
    QWheelEvent wheel(QPointF(x, 20), view().mapToGlobal(QPointF(x, 20)), {}, QPoint(0, 3 * 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view(), &wheel);
    EXPECT_LT(view().viewSpan(), 60000 / 1.9);
    EXPECT_NEAR(view().msAt(x), under, view().viewSpan() / view().width() + 1);

    auto *scroll = view().findChild<QScrollBar *>();
    ASSERT_NE(scroll, nullptr);
    scroll->setValue(scroll->maximum());
    EXPECT_NEAR(view().viewStart() + view().viewSpan(), 60000, 1);
    const double start = view().viewStart();
    dragAcross(view(), 100, 160);
    EXPECT_LT(view().viewStart(), start) << "a drag pans";
    EXPECT_FALSE(form->MMCEdit()->isPlaying()) << "a drag is no click";
    EXPECT_EQ(trim().markIn(), 10000);
    EXPECT_EQ(trim().markOut(), 50000);
}

TEST_F(RingtoneTest, TheNewControlsLieInTheFreeRoomNamedAndDescribed)
{
    const QList<QWidget *> children = panel().Frame3->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *a : children) {
        EXPECT_TRUE(panel().Frame3->rect().contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget *b : children)
            if (a != b && !a->isHidden() && !b->isHidden())
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
    }
    for (const char *name : {"Waveform", "FadeIn", "FadeOut", "CmdNormalize", "CmdUndo", "CmdRedo", "ChkSnapBeat",
                             "LblSelection", "CmdChorus"}) {
        auto *w = panel().Frame3->findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(w, nullptr) << name;
        EXPECT_FALSE(w->accessibleName().isEmpty()) << name;
        EXPECT_FALSE(w->toolTip().isEmpty()) << name;
    }
    EXPECT_TRUE(panel().CmdChorus->toolTip().startsWith(QStringLiteral("Find Chorus")));
    EXPECT_EQ(panel().ChkSnapBeat->text(), QStringLiteral("Snap to beat"));
    for (QPushButton *b : {panel().CmdAdd, panel().Cmdremove, panel().CmdPlay, panel().CmdEditPlay})
        EXPECT_TRUE(b->toolTip().startsWith(b->accessibleName()) && !b->accessibleName().isEmpty());

    QMenu *menu = editor().waveform().contextMenu();
    QStringList entries;
    for (QAction *a : menu->actions())
        entries << a->text();
    EXPECT_TRUE(entries.contains(QStringLiteral("Find Chorus")) && entries.contains(QStringLiteral("Undo")));
    delete menu;
}
