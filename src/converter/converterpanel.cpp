#include "converter/converterpanel.h"

#include "base/atomicsave.h"
#include "core/encoderqueue.h"
#include "core/songfiles.h"
#include "encode/mp3tags.h"
#include "platform/dialogs/dialogs.h"
#include "encode/mp3enc.h"
#include "core/appsettings.h"
#include "widgets/busyscope.h"
#include "widgets/jobrunner.h"
#include "widgets/notices.h"
#include "widgets/twips.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <atomic>
#include <memory>

namespace {

struct Row {
    QLineEdit *box;
    QPushButton *chooser;
};

Row pathRow(QWidget *frame, const QString &boxName, const QString &buttonName, int top)
{
    Row r;
    r.box = makeControl<QLineEdit>(frame, boxName, 240, top, 5655, 375);
    r.chooser = makeControl<QPushButton>(frame, buttonName, 6000, top, 495, 375, QStringLiteral("..."));
    return r;
}

} // namespace

ConverterPanel::ConverterPanel(const ConverterNeeds &needs, QWidget *parent)
    : QGroupBox(QStringLiteral("Wav <-> Mp3"), parent), needs_(needs)
{
    setObjectName(QStringLiteral("FrameConvert"));
    setGeometry(tw(1080), tw(720), tw(9135), tw(4815));

    auto *frame5 = makeControl<QGroupBox>(this, QStringLiteral("Frame5"), 240, 360, 8655, 1935, QStringLiteral("Wav -> Mp3"));
    Row r = pathRow(frame5, QStringLiteral("txtopenwav"), QStringLiteral("Cmdopenwav"), 480);
    txtopenwav = r.box;
    Cmdopenwav = r.chooser;
    r = pathRow(frame5, QStringLiteral("txtsavemp3"), QStringLiteral("CmdSaveMP3"), 1200);
    txtsavemp3 = r.box;
    CmdSaveMP3 = r.chooser;
    CmdConvertMP3 = makeControl<QPushButton>(frame5, QStringLiteral("CmdConvertMP3"), 6600, 1200, 1815, 375,
                                             QStringLiteral("Convert to MP3"));
    txtopenwav->setEnabled(false);
    txtsavemp3->setEnabled(false);

    auto *frame4 = makeControl<QGroupBox>(this, QStringLiteral("Frame4"), 240, 2520, 8655, 1935, QStringLiteral("MP3 -> Wav"));
    r = pathRow(frame4, QStringLiteral("txtopenmp3"), QStringLiteral("CmdopenMp3"), 480);
    txtopenmp3 = r.box;
    CmdopenMp3 = r.chooser;
    r = pathRow(frame4, QStringLiteral("txtsavewav"), QStringLiteral("CmdSavewav2"), 1200);
    txtsavewav = r.box;
    CmdSavewav2 = r.chooser;
    CmdconvertWav = makeControl<QPushButton>(frame4, QStringLiteral("CmdconvertWav"), 6600, 1200, 1815, 375,
                                             QStringLiteral("Convert to Wav"));

    Text2 = makeControl<QLineEdit>(this, QStringLiteral("Text2"), 240, 4500, 1000, 255);
    Text2->hide();
    ComFileOpen = new CommonDialog(&needs_.notices.window(), QStringLiteral("ComFileOpen"));

    connect(CmdopenMp3, &QPushButton::clicked, this, &ConverterPanel::CmdopenMp3_Click);
    connect(Cmdopenwav, &QPushButton::clicked, this, &ConverterPanel::Cmdopenwav_Click);
    connect(CmdSavewav2, &QPushButton::clicked, this, &ConverterPanel::CmdSavewav2_Click);
    connect(CmdSaveMP3, &QPushButton::clicked, this, &ConverterPanel::CmdSaveMP3_Click);
    connect(CmdconvertWav, &QPushButton::clicked, this, &ConverterPanel::CmdconvertWav_Click);
    connect(CmdConvertMP3, &QPushButton::clicked, this, &ConverterPanel::CmdConvertMP3_Click);
}

// The four choosers share one dialog: what a chooser does not set stays as
// the last one left it.
void ConverterPanel::choose(bool save, const QString &filter, QLineEdit *box, const QString &defaultExt)
{
    ComFileOpen->FileName.clear();
    ComFileOpen->Filter = filter;
    if (save) {
        ComFileOpen->DefaultExt = defaultExt;
        ComFileOpen->InitDir = needs_.settings.BaseFolder;
        ComFileOpen->ShowSave();
    } else {
        ComFileOpen->ShowOpen();
    }
    box->setText(ComFileOpen->FileName);
}

// Every song and video the import takes.
void ConverterPanel::CmdopenMp3_Click() { choose(false, songFileFilter(), txtopenmp3); }
void ConverterPanel::Cmdopenwav_Click() { choose(false, QStringLiteral("Wav File(*.wav)|*.wav"), txtopenwav); }
void ConverterPanel::CmdSavewav2_Click()
{
    choose(true, QStringLiteral("Wav File(*.wav)|*.wav"), txtsavewav, QStringLiteral("wav"));
}
void ConverterPanel::CmdSaveMP3_Click()
{
    choose(true, QStringLiteral("MP3 File(*.mp3)|*.mp3"), txtsavemp3, QStringLiteral("mp3"));
}

void ConverterPanel::CmdconvertWav_Click()
{
    const QString song = txtopenmp3->text();
    const QString target = txtsavewav->text();
    if (song.isEmpty() || target.isEmpty() || needs_.jobs.running())
        return;
    // The song is decoded as an import decodes it, on the job runner: the
    // clip joins the list (its working copy never replaces a listed clip's
    // file), then it is copied to the chosen file.
    const Result<ClipImport> planned = needs_.songs.plan(song, false);
    if (!planned) {
        needs_.notices.fail(planned.failure());
        return;
    }
    const ClipImport import = planned.value();
    const auto clipMade = std::make_shared<std::atomic<bool>>(false);
    needs_.jobs.run(
        QStringLiteral("Converting......."),
        [songs = needs_.songs, import, target, clipMade](const JobRunner::Progress &progress) {
            if (Outcome made = songs.make(import, progress); !made)
                return made;
            clipMade->store(true);
            if (Outcome copied = copyFileAtomically(import.clipFile, target); !copied)
                return Outcome(Failure{QStringLiteral("The WAV file could not be written to %1: %2").arg(target, copied.error()),
                                       {}, {}, false});
            return Outcome::success();
        },
        [this, import, clipMade](const Outcome &converted) {
            needs_.songs.finish(import, clipMade->load());
            if (converted)
                needs_.notices.done(QStringLiteral("Convert Finish"));
            else
                needs_.notices.fail(converted.failure());
        });
}

void ConverterPanel::CmdConvertMP3_Click()
{
    if (txtopenwav->text().isEmpty() || txtsavemp3->text().isEmpty())
        return;
    EncoderQueue &queue = needs_.encoder;
    // The MP3 carries the WAV's own tags, when it has any, under its own title.
    const QString target = txtsavemp3->text();
    const SongTags song = readSongTags(txtopenwav->text());
    // The busy window shows until the encoding ends; the window stays usable.
    needs_.busy.begin(QString(), BusyWindow::Window::Usable);
    queue.start(txtopenwav->text(), target, [this, target, song](const Outcome &ended) {
        needs_.busy.end(BusyWindow::Window::Usable);
        if (ended)
            if (Outcome tagged = tagSavedMp3(target, song); !tagged)
                needs_.notices.fail(tagged.failure());
        needs_.notices.saved(ended);
    });
    Text2->setText(QString::number(queue.encoder().Status()));
}
