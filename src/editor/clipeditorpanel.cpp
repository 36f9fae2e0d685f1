#include "editor/clipeditorpanel.h"

#include "widgets/icons.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

namespace {

QPushButton *pictureButton(QWidget *parent, const QString &name, int left, int top, Glyph glyph)
{
    auto *b = makeControl<QPushButton>(parent, name, left, top, 480, 480);
    b->setIcon(glyphIcon(glyph));
    b->setIconSize(QSize(tw(330), tw(330)));
    return b;
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

    CmdSaveWav = makeControl<QPushButton>(this, QStringLiteral("CmdSaveWav"), 3960, 4620, 3135, 495,
                                          QStringLiteral("Save The List to Wav"));
    CmdSaveList = makeControl<QPushButton>(this, QStringLiteral("CmdSaveList"), 7305, 4620, 3135, 495,
                                           QStringLiteral("Save The List to MP3"));
}
