#include "platform/midiout/midiportdevices.h"

#include "platform/mci/mcilayer.h"
#include "platform/mci/sequencerdriver.h"
#include "platform/midi/midisink.h"
#include "platform/midiout/alsaportsink.h"
#include "platform/midiout/midioutsystem.h"

#include <map>

namespace {

// The id of the `occurrence`-th port (from 0) whose device name is `base`, or 0 when there is none.
unsigned findPort(TMidiOutSystem &outputs, const QString &base, int occurrence)
{
    const unsigned count = outputs.deviceCount();
    for (unsigned id = 1; id < count; ++id) {
        const auto device = outputs.device(id);
        if (!device || device->technology() != MOD_MIDIPORT) continue;
        if (MidiPortDeviceName(QString::fromStdString(device->name())) == base &&
            occurrence-- == 0)
            return id;
    }
    return 0;
}

std::unique_ptr<TMidiSink> openPort(TMidiOutSystem &outputs, const QString &base, int occurrence,
                                    int sampleRate, MCIERROR &error)
{
    unsigned id = findPort(outputs, base, occurrence);
    // The port may have come back under another client number: look at the ports again.
    if (id == 0 && (outputs.refresh(), id = findPort(outputs, base, occurrence), id == 0)) {
        error = MCIERR_SEQ_PORT_NONEXISTENT;
        return nullptr;
    }
    const std::string portName = outputs.device(id) ? outputs.device(id)->name() : std::string();
    HMIDIOUT handle = nullptr;
    const MMRESULT result = outputs.open(id, nullptr, 0, &handle);
    if (result != MMSYSERR_NOERROR) {
        error = result == MIDIERR_NODEVICE || result == MMSYSERR_BADDEVICEID
                    ? MCIERR_SEQ_PORT_NONEXISTENT
                    : MCIERR_SEQ_PORT_MISCERROR;
        return nullptr;
    }
    const auto opened = outputs.lookup(handle);
    if (!opened || opened->device->name() != portName) { // the list changed under us
        outputs.close(handle);
        error = MCIERR_SEQ_PORT_NONEXISTENT;
        return nullptr;
    }
    return std::make_unique<TAlsaPortSink>(opened->device, sampleRate,
                                           [&outputs, handle] { outputs.close(handle); });
}

// A group in parentheses made of digits and colons only: a process or client number, which
// changes from run to run ("FLUID Synth (4711)", "Synth input port (4711:0)").
bool isNumberGroup(const QString &text, qsizetype open, qsizetype *close)
{
    qsizetype i = open + 1;
    bool digits = false;
    for (; i < text.size() && text[i] != QLatin1Char(')'); ++i) {
        if (text[i].isDigit())
            digits = true;
        else if (text[i] != QLatin1Char(':'))
            return false;
    }
    if (i >= text.size() || !digits) return false;
    *close = i;
    return true;
}

} // namespace

QString MidiPortDeviceName(const QString &portName)
{
    QString slug;
    bool gap = false;
    for (qsizetype i = 0; i < portName.size(); ++i) {
        const QChar c = portName[i];
        qsizetype close = 0;
        if (c == QLatin1Char('(') && isNumberGroup(portName, i, &close)) {
            i = close;
            gap = true;
        } else if (c.isLetterOrNumber()) {
            if (gap && !slug.isEmpty()) slug += QLatin1Char('-');
            slug += c.toLower();
            gap = false;
        } else {
            gap = true;
        }
    }
    return QStringLiteral("sequencer-") + slug;
}

int RegisterMidiPortDevices(TMciLayer &layer, TMidiOutSystem &outputs)
{
    std::map<QString, int> seen; // ports per device name so far
    int registered = 0;
    const unsigned count = outputs.refresh();
    for (unsigned id = 1; id < count; ++id) {
        const auto device = outputs.device(id);
        if (!device || device->technology() != MOD_MIDIPORT) continue;
        const QString product = QString::fromStdString(device->name());
        // Ports whose names differ only in punctuation or numbers still make two devices.
        const QString base = MidiPortDeviceName(product);
        const int occurrence = seen[base]++;
        const QString name =
            occurrence == 0 ? base : base + QLatin1Char('-') + QString::number(occurrence + 1);
        // Registered by an earlier look at the ports: the device is there already.
        if (layer.hasDriver(name)) continue;
        layer.registerDriver(std::make_unique<TSequencerDriver>(
            name, product, [&outputs, base, occurrence](int sampleRate, MCIERROR &error) {
                return openPort(outputs, base, occurrence, sampleRate, error);
            }));
        ++registered;
    }
    return registered;
}

int RegisterMidiPortDevices(TMciLayer &layer)
{
    return RegisterMidiPortDevices(layer, TMidiOutSystem::instance());
}
