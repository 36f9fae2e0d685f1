#include "editor/clipeditorpanel.h"

#include "widgets/icons.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

namespace {

QPushButton *pictureButton(QWidget *parent, const QString &name, int left, int top, Glyph glyph, int size = 480)
{
    auto *b = makeControl<QPushButton>(parent, name, left, top, size, size);
    b->setIcon(glyphIcon(glyph));
    b->setIconSize(QSize(tw(size * 11 / 16), tw(size * 11 / 16)));
    return b;
}

// A fade length: 0 to 5 seconds in half seconds.
QDoubleSpinBox *fadeBox(QWidget *parent, const QString &name, int left)
{
    auto *box = makeControl<QDoubleSpinBox>(parent, name, left, 2197, 855, 345);
    box->setRange(0, 5);
    box->setSingleStep(0.5);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" s"));
    box->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return box;
}

// A control of the ringtone editor: its tooltip, and the name a screen
// reader gives it.
void describe(QWidget *w, const QString &name, const QString &tip)
{
    w->setAccessibleName(name);
    w->setToolTip(tip);
}

QLabel *timeLabel(QWidget *parent, const QString &name, int left, int top)
{
    return makeControl<QLabel>(parent, name, left, top, 1080, 255, QStringLiteral("00:00:00"));
}

} // namespace

ClipEditorPanel::ClipEditorPanel(QWidget *parent) : QGroupBox(QStringLiteral("Audio Edit"), parent)
{
    setObjectName(QStringLiteral("Framewav"));
    setGeometry(tw(120), tw(720), tw(10575), tw(5295));

    List1 = makeControl<QListWidget>(this, QStringLiteral("List1"), 120, 360, 3600, 3480);
    Label6 = makeControl<QLabel>(this, QStringLiteral("Label6"), 120, 3900, 3600, 495);
    CmdAdd = pictureButton(this, QStringLiteral("CmdAdd"), 120, 4500, Glyph::Add);
    Cmdremove = pictureButton(this, QStringLiteral("Cmdremove"), 720, 4500, Glyph::Remove);
    CmdUP = pictureButton(this, QStringLiteral("CmdUP"), 1320, 4500, Glyph::Up);
    CmdDown = pictureButton(this, QStringLiteral("CmdDown"), 1920, 4500, Glyph::Down);
    CmdIns = makeControl<QPushButton>(this, QStringLiteral("CmdIns"), 2520, 4500, 960, 480, QStringLiteral("Insert"));
    CmdIns->hide();

    Frame2 = makeControl<QGroupBox>(this, QStringLiteral("Frame2"), 3960, 240, 6480, 1335, QStringLiteral("List Control"));
    Check1 = makeControl<QCheckBox>(Frame2, QStringLiteral("Check1"), 240, 300, 1815, 255, QStringLiteral("Play List"));
    CmdFoward = pictureButton(Frame2, QStringLiteral("CmdFoward"), 240, 720, Glyph::Previous);
    CmdPause = pictureButton(Frame2, QStringLiteral("CmdPause"), 840, 720, Glyph::Pause);
    CmdPlay = pictureButton(Frame2, QStringLiteral("CmdPlay"), 1440, 720, Glyph::Play);
    CmdStop = pictureButton(Frame2, QStringLiteral("CmdStop"), 2040, 720, Glyph::Stop);
    CmdNext = pictureButton(Frame2, QStringLiteral("CmdNext"), 2640, 720, Glyph::Next);
    CmdSaveRingtone = makeControl<QPushButton>(Frame2, QStringLiteral("CmdSaveRingtone"), 3480, 720, 2760, 480,
                                               QStringLiteral("Save As Ringtone..."));
    CmdSaveRingtone->setToolTip(QStringLiteral("Save the list as a ringtone for a phone: M4R, OGG, Opus, FLAC, MP3 or WAV"));

    Frame3 = makeControl<QGroupBox>(this, QStringLiteral("Frame3"), 3960, 1680, 6480, 2760, QStringLiteral("Edit Song"));
    SliderEdit = makeControl<QSlider>(Frame3, QStringLiteral("SliderEdit"), 120, 300, 5040, 375, Qt::Horizontal);
    Lbltotal = timeLabel(Frame3, QStringLiteral("Lbltotal"), 5280, 360);
    CmdEditPlay = pictureButton(Frame3, QStringLiteral("CmdEditPlay"), 120, 780, Glyph::Play);
    CmdEditStop = pictureButton(Frame3, QStringLiteral("CmdEditStop"), 720, 780, Glyph::Stop);
    Lblin = timeLabel(Frame3, QStringLiteral("Lblin"), 240, 1860);
    CmdMarkin = makeControl<QPushButton>(Frame3, QStringLiteral("CmdMarkin"), 120, 2160, 1335, 420, QStringLiteral("Mark In"));
    Lblout = timeLabel(Frame3, QStringLiteral("Lblout"), 1800, 1860);
    CmdMarkOut = makeControl<QPushButton>(Frame3, QStringLiteral("CmdMarkOut"), 1680, 2160, 1335, 420, QStringLiteral("Mark Out"));
    CmdEditDone = makeControl<QPushButton>(Frame3, QStringLiteral("CmdEditDone"), 4920, 2160, 1335, 420, QStringLiteral("Done"));
    // The free room: under Play and Stop, right of Mark Out's time, and
    // between Mark Out and Done.
    CmdUndo = pictureButton(Frame3, QStringLiteral("CmdUndo"), 120, 1320, Glyph::Undo, 420);
    CmdRedo = pictureButton(Frame3, QStringLiteral("CmdRedo"), 720, 1320, Glyph::Redo, 420);
    LblSelection = makeControl<QLabel>(Frame3, QStringLiteral("LblSelection"), 2940, 1800, 690, 315);
    ChkSnapBeat = makeControl<QCheckBox>(Frame3, QStringLiteral("ChkSnapBeat"), 3690, 1785, 1545, 345, QStringLiteral("Snap to beat"));
    CmdNormalize = pictureButton(Frame3, QStringLiteral("CmdNormalize"), 5580, 1770, Glyph::Loudness, 360);
    CmdChorus = pictureButton(Frame3, QStringLiteral("CmdChorus"), 6000, 1770, Glyph::Chorus, 360);
    FadeIn = fadeBox(Frame3, QStringLiteral("FadeIn"), 3060);
    FadeOut = fadeBox(Frame3, QStringLiteral("FadeOut"), 4005);
    describe(CmdUndo, QStringLiteral("Undo"), QStringLiteral("Undo the last edit of the clip"));
    describe(CmdRedo, QStringLiteral("Redo"), QStringLiteral("Redo the edit undone last"));
    describe(CmdNormalize, QStringLiteral("Normalize loudness"),
             QStringLiteral("Normalize loudness: -14 LUFS, peaks at most -1 dBTP"));
    describe(CmdChorus, QStringLiteral("Find Chorus"), QStringLiteral("Find Chorus"));
    describe(ChkSnapBeat, QStringLiteral("Snap to beat"), QStringLiteral("Move a mark taken or dragged to the nearest beat"));
    describe(FadeIn, QStringLiteral("Fade in"), QStringLiteral("Fade in: seconds at the start of the kept stretch, applied by Done"));
    describe(FadeOut, QStringLiteral("Fade out"), QStringLiteral("Fade out: seconds at the end of the kept stretch, applied by Done"));
    describe(LblSelection, QStringLiteral("Length between the marks"), QStringLiteral("Length between Mark In and Mark Out"));

    CmdSaveWav = makeControl<QPushButton>(this, QStringLiteral("CmdSaveWav"), 3960, 4620, 3135, 495,
                                          QStringLiteral("Save The List to Wav"));
    CmdSaveList = makeControl<QPushButton>(this, QStringLiteral("CmdSaveList"), 7305, 4620, 3135, 495,
                                           QStringLiteral("Save The List to MP3"));
}

void ClipEditorPanel::setTrimmingButtons(bool enabled)
{
    for (QWidget *w : {CmdEditPlay, CmdEditStop, CmdMarkin, CmdMarkOut})
        w->setEnabled(enabled);
}

void ClipEditorPanel::setListPlayerButtons(bool enabled)
{
    for (QWidget *w : {CmdFoward, CmdPause, CmdPlay, CmdStop, CmdNext})
        w->setEnabled(enabled);
}

void ClipEditorPanel::showStartState()
{
    Label6->setText(QStringLiteral("Click to Select Play\r\nDouble Click to Select Edit"));
    setListPlayerButtons(false);
    SliderEdit->setEnabled(false);
    setTrimmingButtons(false);
    CmdEditDone->setEnabled(false);
}

void ClipEditorPanel::startTrimming()
{
    SliderEdit->setEnabled(true);
    setTrimmingButtons(true);
    CmdEditDone->setEnabled(true);
    setListPlayerButtons(false);
}

void ClipEditorPanel::endTrimming()
{
    setTrimmingButtons(false);
    CmdEditDone->setEnabled(false);
}

void ClipEditorPanel::startListPlaying()
{
    setTrimmingButtons(false);
    CmdEditDone->setEnabled(true);
    setListPlayerButtons(true);
}
