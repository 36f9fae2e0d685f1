#include "recorder/recorderpanel.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "core/encoderqueue.h"
#include "platform/dialogs/dialogs.h"
#include "encode/mp3enc.h"
#include "recorder/captureengine.h"
#include "widgets/notices.h"
#include "widgets/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

RecorderPanel::RecorderPanel(const RecorderNeeds &needs, QWidget *parent)
    : QGroupBox(QStringLiteral("Vioce Record"), parent), needs_(needs)
{
    setObjectName(QStringLiteral("FrameRec"));
    setGeometry(tw(1560), tw(720), tw(7335), tw(3735));
    engine = new CaptureEngine(needs.audio, needs.paths, &needs.notices.window());

    cmbInput = makeControl<QComboBox>(this, QStringLiteral("cmbInput"), 840, 720, 1455, 315);
    btnRecord = makeControl<QPushButton>(this, QStringLiteral("btnRecord"), 2400, 735, 1335, 300, QStringLiteral("Record"));
    btnPlay = makeControl<QPushButton>(this, QStringLiteral("btnPlay"), 3960, 735, 855, 300, QStringLiteral("Play"));
    btnSave = makeControl<QPushButton>(this, QStringLiteral("btnSave"), 5040, 735, 735, 300, QStringLiteral("Save"));
    CmdWav = makeControl<QPushButton>(this, QStringLiteral("CmdWav"), 5880, 480, 735, 300, QStringLiteral("Wav"));
    CmdMp3 = makeControl<QPushButton>(this, QStringLiteral("CmdMp3"), 5880, 840, 735, 300, QStringLiteral("MP3"));
    Label4 = makeControl<QLabel>(this, QStringLiteral("Label4"), 840, 1155, 1335, 375, QStringLiteral("Rec Device"));
    lblInputType = makeControl<QLabel>(this, QStringLiteral("lblInputType"), 2400, 1155, 1440, 315);
    Label3 = makeControl<QLabel>(this, QStringLiteral("Label3"), 840, 1755, 1215, 255, QStringLiteral("Input Volume"));
    sldInputLevel = makeControl<QSlider>(this, QStringLiteral("sldInputLevel"), 2280, 1635, 3015, 495, Qt::Horizontal);
    sldInputLevel->setRange(0, 100);
    Label5 = makeControl<QLabel>(this, QStringLiteral("Label5"), 840, 2355, 1215, 375, QStringLiteral("Size of File"));
    lblPos = makeControl<QLabel>(this, QStringLiteral("lblPos"), 2280, 2355, 3015, 495);
    tmrRecTest = new QTimer(this);
    tmrRecTest->setObjectName(QStringLiteral("tmrRecTest"));
    tmrRecTest->setInterval(200);
    showState();

    connect(btnRecord, &QPushButton::clicked, this, &RecorderPanel::btnRecord_Click);
    connect(btnPlay, &QPushButton::clicked, this, &RecorderPanel::btnPlay_Click);
    connect(btnSave, &QPushButton::clicked, this, &RecorderPanel::btnSave_Click);
    connect(CmdWav, &QPushButton::clicked, this, &RecorderPanel::CmdWav_Click);
    connect(CmdMp3, &QPushButton::clicked, this, &RecorderPanel::CmdMp3_Click);
    // Only the user's moves reach the library; showInput moves it silently.
    connect(sldInputLevel, &QSlider::valueChanged, this, &RecorderPanel::sldInputLevel_Scroll);
    connect(cmbInput, &QComboBox::activated, this, &RecorderPanel::cmbInput_Click);
    connect(tmrRecTest, &QTimer::timeout, this, &RecorderPanel::tmrRecTest_Timer);
    connect(engine, &CaptureEngine::changed, this, &RecorderPanel::showState);
    connect(engine, &CaptureEngine::inputShown, this, &RecorderPanel::showInput);
    connect(engine, &CaptureEngine::failed, this, [this](const Failure &failure) { needs_.notices.fail(failure); });
}

void RecorderPanel::showState()
{
    const bool recording = engine->capChan != 0;
    const bool recorded = !recording && engine->playChan != 0;
    btnRecord->setText(recording ? QStringLiteral("Stop") : QStringLiteral("Record"));
    btnPlay->setEnabled(recorded);
    btnSave->setEnabled(recorded);
    if (!recorded)
        hideSaveChoices();
}

void RecorderPanel::showInput(int level, const QString &typeName)
{
    const QSignalBlocker quiet(sldInputLevel);
    sldInputLevel->setValue(level);
    lblInputType->setText(typeName);
}

void RecorderPanel::hideSaveChoices()
{
    CmdWav->hide();
    CmdMp3->hide();
}

void RecorderPanel::btnRecord_Click()
{
    if (engine->capChan)
        engine->EndCapture();
    else
        engine->BeginCapture();
}

void RecorderPanel::btnPlay_Click()
{
    if (const BassApi *bass = needs_.audio.api())
        bass->BASS_ChannelPlay(engine->playChan, 0);
}

void RecorderPanel::btnSave_Click()
{
    CmdWav->show();
    CmdMp3->show();
}

void RecorderPanel::CmdWav_Click()
{
    engine->SaveCaptureWav();
    hideSaveChoices();
}

void RecorderPanel::CmdMp3_Click()
{
    EncoderQueue &queue = needs_.encoder;
    const QString wav = engine->SaveCaptureMp3(queue.busy());
    const QString mp3 = engine->cmd->FileName;
    if (!wav.isEmpty() && !mp3.isEmpty()) {
        queue.start(wav, mp3, [this](const Outcome &ended) { needs_.notices.saved(ended); });
        needs_.encoderState.setText(QString::number(queue.encoder().Status()));
    }
    hideSaveChoices();
}

void RecorderPanel::sldInputLevel_Scroll()
{
    if (const BassApi *bass = needs_.audio.api())
        bass->BASS_RecordSetInput(engine->capInput, DWORD(sldInputLevel->value()) | BASS_INPUT_LEVEL);
}

void RecorderPanel::cmbInput_Click()
{
    const BassApi *bass = needs_.audio.api();
    if (!bass)
        return;
    engine->capInput = cmbInput->currentIndex();
    for (int i = 0; i < cmbInput->count(); ++i)
        bass->BASS_RecordSetInput(i, BASS_INPUT_OFF);
    bass->BASS_RecordSetInput(engine->capInput, BASS_INPUT_ON);
    engine->ShowInputType();
}

void RecorderPanel::tmrRecTest_Timer()
{
    const BassApi *bass = needs_.audio.api();
    if (!bass)
        return;
    if (engine->capChan) {
        lblPos->setText(QString::number(bass->BASS_ChannelGetPosition(engine->capChan)));
    } else if (engine->playChan) {
        const QString length = QString::number(bass->BASS_ChannelGetLength(engine->playChan));
        if (bass->BASS_ChannelIsActive(engine->playChan) == BASS_ACTIVE_PLAYING)
            lblPos->setText(QString::number(bass->BASS_ChannelGetPosition(engine->playChan)) + QStringLiteral(" / ") + length);
        else
            lblPos->setText(length);
    }
}
