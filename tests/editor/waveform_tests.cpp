#include "base/wavformat.h"
#include "editor/clippeaks.h"
#include "editor/cliptrimmer.h"
#include "editor/peakcache.h"
#include "editor/trimwaveform.h"
#include "editor/waveformview.h"
#include "editorfixture.h"
#include "platform/mci/mmcontrol.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// Column peaks worked out from the samples as sox decodes them (16-bit),
// the columns splitting the frames evenly.
std::vector<PeakPair> soxColumns(const QString &wav, int channels, int width)
{
    const QString raw = wav + QStringLiteral(".raw");
    EXPECT_EQ(runShell(QStringLiteral("sox -D '%1' -t raw -e signed -b 16 -L '%2'").arg(wav, raw)), 0);
    const QByteArray bytes = readFile(raw);
    const auto *s = reinterpret_cast<const qint16 *>(bytes.constData());
    const qint64 frames = bytes.size() / 2 / channels;
    std::vector<PeakPair> out(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        PeakPair &c = out[size_t(x)];
        c = {32767, -32768};
        for (qint64 f = qint64(x) * frames / width; f < qint64(x + 1) * frames / width; ++f)
            for (int ch = 0; ch < channels; ++ch) {
                c.min = std::min(c.min, s[f * channels + ch]);
                c.max = std::max(c.max, s[f * channels + ch]);
            }
    }
    return out;
}

void expectColumnsNear(const ClipPeaks &peaks, const std::vector<PeakPair> &expected, int tolerance)
{
    const int width = int(expected.size());
    int worst = 0;
    for (int x = 0; x < width; ++x) {
        const PeakPair c = peaks.column(x, width);
        worst = std::max({worst, std::abs(c.min - expected[size_t(x)].min), std::abs(c.max - expected[size_t(x)].max)});
    }
    EXPECT_LE(worst, tolerance);
}

} // namespace

class WaveformTest : public EditorTest {
protected:
    QString openSong(const QString &name, double seconds) { return openClipOf(makeSong(name, seconds)); }
    // Imports the song and opens its clip for trimming.
    QString openClipOf(const QString &song)
    {
        importThroughDialog(song);
        panel().List1->setCurrentRow(panel().List1->count() - 1);
        editor().trimmer().List1_DblClick();
        waveform().sync();
        return env.paths().clipFile(entries().last());
    }
    TrimWaveform &waveform() const { return editor().waveform(); }
    WaveformView &view() const { return *waveform().view(); }
    void mouse(QEvent::Type type, double x)
    {
        const QPointF at(x, view().height() / 2.0);
        QMouseEvent e(type, at, view().mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&view(), &e);
    }
};

TEST_F(WaveformTest, PeaksOfAToneMatchItsSamplesInEveryLayout)
{
    // The right channel is louder and fades out: both channels count.
    const QString tone = env.paths().homeDir + QStringLiteral("/tone.wav");
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 44100 -c 2 -b 16 '%1' synth 4 sine 440 sine 300 fade t 0 4 4 "
                                      "remix 1v0.3 2v0.9").arg(tone)), 0);
    const ClipPeaks peaks = computeClipPeaks(tone);
    ASSERT_TRUE(peaks.ok) << peaks.error.toStdString();
    EXPECT_EQ(peaks.frames, 4 * 44100);
    expectColumnsNear(peaks, soxColumns(tone, 2, 300), 120);
    expectColumnsNear(peaks, soxColumns(tone, 2, 7), 40);
    EXPECT_NEAR(peaks.column(0, 300).max, 0.9 * 32767, 0.02 * 32767);
    EXPECT_NEAR(peaks.column(299, 300).max, 0, 0.02 * 32767);

    const QString odd = env.paths().homeDir + QStringLiteral("/odd.wav");
    ASSERT_EQ(runShell(QStringLiteral("sox -n -r 48000 -c 1 -b 24 '%1' synth 0.5 sine 1000 vol 0.6").arg(odd)), 0);
    const ClipPeaks oddPeaks = computeClipPeaks(odd);
    ASSERT_TRUE(oddPeaks.ok);
    expectColumnsNear(oddPeaks, soxColumns(odd, 1, 500), 2);
    EXPECT_NEAR(oddPeaks.column(250, 500).max, 0.6 * 32768, 200);
}

TEST_F(WaveformTest, SilenceIsFlatAndNoWaveIsNoPeaks)
{
    const QString quiet = env.paths().homeDir + QStringLiteral("/quiet.wav");
    ASSERT_EQ(runShell(QStringLiteral("sox -D -n -r 22050 -c 2 -b 16 '%1' trim 0 3").arg(quiet)), 0);
    const ClipPeaks peaks = computeClipPeaks(quiet);
    ASSERT_TRUE(peaks.ok);
    for (int x = 0; x < 400; ++x) {
        const PeakPair c = peaks.column(x, 400);
        ASSERT_TRUE(c.min == 0 && c.max == 0) << "column " << x;
    }
    EXPECT_FALSE(computeClipPeaks(env.homeFile(QStringLiteral("text.wav"), "RIFF nonsense")).ok);
    EXPECT_FALSE(computeClipPeaks(env.paths().homeDir + QStringLiteral("/missing.wav")).ok);
}

TEST_F(WaveformTest, LiesInTheFreeRoomOfTheEditFrame)
{
    const QRect wave = view().geometry();
    EXPECT_EQ(view().parentWidget(), panel().Frame3);
    EXPECT_TRUE(panel().Frame3->rect().contains(wave));
    for (QWidget *w : panel().Frame3->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w != &view())
            EXPECT_FALSE(w->geometry().intersects(wave)) << w->objectName().toStdString();
}

TEST_F(WaveformTest, TheOpenClipIsDrawnFromCachedPeaksUntilItIsCut)
{
    const QString clip = openSong(QStringLiteral("song.wav"), 6);
    ASSERT_TRUE(waitFor([&] { return view().hasPeaks(); }, 5000));
    PeakCache::Peaks first = waveform().cache().request(clip);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frames, 6 * 44100);
    EXPECT_EQ(waveform().cache().request(clip), first) << "computed once per clip file";
    EXPECT_GT(waveform().cache().bytes(), 0);

    editor().trimmer().setMarks(1000, 3000);
    waveform().sync();
    EXPECT_EQ(view().mark(WaveformView::Mark::In), 1000);
    EXPECT_EQ(view().mark(WaveformView::Mark::Out), 3000);
    click("CmdEditDone");
    waveform().sync();
    EXPECT_FALSE(view().hasPeaks()) << "no clip is open after the cut";

    editor().trimmer().List1_DblClick();
    waveform().sync();
    ASSERT_TRUE(waitFor([&] { return view().hasPeaks(); }, 5000));
    EXPECT_EQ(waveform().cache().request(clip)->frames, 2 * 44100) << "the cut clip is read again";
}

TEST_F(WaveformTest, AClickPlaysFromThatPointAsTheSliderDoes)
{
    openSong(QStringLiteral("song.wav"), 10);
    const double x = view().width() * 0.7;
    mouse(QEvent::MouseButtonPress, x);
    mouse(QEvent::MouseButtonRelease, x);
    EXPECT_EQ(form->MMCEdit()->From(), view().msAt(x));
    EXPECT_NEAR(view().msAt(x), 7000, 10000.0 / view().width() + 1);
    EXPECT_TRUE(form->MMCEdit()->isPlaying());
    EXPECT_EQ(form->workspace().trim().markIn(), 0) << "a click is no mark";
}

TEST_F(WaveformTest, ADraggedMarkCutsAtTheSameSampleAsTheMarkTakenFromThePlayer)
{
    const QString song = makeSong(QStringLiteral("song.wav"), 5);
    const QString byPlayer = openClipOf(song);
    click("CmdEditPlay");
    ASSERT_TRUE(waitFor([&] { return form->MMCEdit()->Position() > 1500; }, 5000));
    click("CmdEditStop");
    click("CmdMarkin");
    const int taken = *form->workspace().trim().markIn();
    ASSERT_GT(taken, 1000);
    const int length = form->MMCEdit()->Length();
    click("CmdEditDone");
    ASSERT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join('|').toStdString();

    const QString byDrag = openClipOf(song);
    ASSERT_NE(byDrag, byPlayer);
    mouse(QEvent::MouseButtonPress, view().xOf(0));
    mouse(QEvent::MouseMove, view().width() / 3.0);
    EXPECT_EQ(form->workspace().trim().markIn(), 0) << "the mark changes when it is let go";
    const double at = double(taken) * view().width() / length;
    mouse(QEvent::MouseMove, at);
    mouse(QEvent::MouseButtonRelease, at);
    EXPECT_EQ(form->workspace().trim().markIn(), taken);
    EXPECT_EQ(form->workspace().trim().markOut(), length);
    EXPECT_FALSE(form->MMCEdit()->isPlaying()) << "dragging a mark does not play";
    click("CmdEditDone");
    ASSERT_TRUE(dialogs.messages.isEmpty());
    const QByteArray a = readWavData(byPlayer).take(), b = readWavData(byDrag).take();
    EXPECT_GT(a.size(), 0);
    EXPECT_TRUE(a == b) << a.size() << " vs " << b.size();
}
