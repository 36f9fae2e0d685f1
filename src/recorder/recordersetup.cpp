#include "recorder/recordersetup.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "recorder/captureengine.h"
#include "recorder/recorderpanel.h"
#include "widgets/notices.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <optional>

namespace {
// The library numbers inputs with a signed 16-bit counter.
constexpr int kMaxInputs = 32767;
}

RecorderSetup::RecorderSetup(AudioStart &audio, const Notices &notices, RecorderPanel &panel)
    : QObject(&panel), audio_(audio), notices_(notices), panel_(panel)
{
}

void RecorderSetup::initrec()
{
    if (Outcome checked = audio_.checkLibrary(); !checked) {
        notices_.fail(checked.failure());
        return;
    }
    panel_.engine->release();
    if (!startDevices()) {
        // Nothing on the panel may reach the library that did not start.
        panel_.cmbInput->clear();
        panel_.btnRecord->setEnabled(false);
        return;
    }
    panel_.btnRecord->setEnabled(true);
    listInputs();
    panel_.tmrRecTest->start();
    panel_.engine->capStep = CaptureEngine::kDefaultStep;
}

// Both calls are made whatever the first one gives. A failure is reported
// with the failing call's own code and leaves the program running: it may
// go on without a recording device.
bool RecorderSetup::startDevices()
{
    const BassApi &bass = *audio_.api();
    const QString message = QStringLiteral("Can't initialize device");
    std::optional<Failure> failure;
    if (!bass.BASS_RecordInit(-1))
        failure = audio_.libraryFailure(message);
    if (!bass.BASS_Init(-1, 44100, 0, &notices_.window(), nullptr) && !failure)
        failure = audio_.libraryFailure(message);
    if (failure)
        notices_.fail(*failure);
    return !failure;
}

// Item i of the list is input i. Selecting an input that is on switches
// off those listed before it, so the last one on is the one left selected.
void RecorderSetup::listInputs()
{
    const BassApi &bass = *audio_.api();
    CaptureEngine &engine = *panel_.engine;
    QComboBox &list = *panel_.cmbInput;
    list.clear();
    engine.capInput = -1;
    for (int i = 0; i < kMaxInputs; ++i) {
        const char *name = bass.BASS_RecordGetInputName(i);
        if (!name)
            break;
        list.addItem(PtrToStr(name));
        if (!(bass.BASS_RecordGetInput(i) & BASS_INPUT_OFF)) {
            list.setCurrentIndex(i);
            panel_.cmbInput_Click();
            engine.capInput = i;
            engine.ShowInputType();
        }
    }
    // The list shows the first item of its own accord; with no input on
    // nothing is selected.
    if (engine.capInput < 0)
        list.setCurrentIndex(-1);
}

void RecorderSetup::release()
{
    panel_.tmrRecTest->stop();
    const BassApi *bass = audio_.api();
    // The recording ends before its buffer goes: no callback after this.
    if (bass)
        bass->BASS_RecordFree();
    panel_.engine->release();
    if (bass)
        bass->BASS_Free();
}
