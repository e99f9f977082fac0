#include "platform/midiout/builtinmidiout.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"
#include "platform/midiout/midioutsystem.h"
#include "platform/midiout/synthmidiout.h"

#include <memory>

namespace {

// The device attached now and the output it is attached to. The device is held here as well as
// in the output list, so that it cannot be destroyed while the output still mixes it.
struct TAttachment {
    std::shared_ptr<TSynthMidiOut> device;
    TAudioOutput *output = nullptr;
};

TAttachment &attachment()
{
    // Never destroyed: at exit an output nobody stopped may still be mixing the device.
    static auto *current = new TAttachment;
    return *current;
}

} // namespace

bool AttachBuiltInMidiOut(TMciLayer &layer, TMidiOutSystem &outputs)
{
    TAudioOutput *output = layer.audioOutput();
    if (!output) return false;
    auto device = std::make_shared<TSynthMidiOut>(output->sampleRate());
    const std::shared_ptr<TMidiOutDevice> previous = outputs.builtInDevice();
    // Refused while device 0 is open: the device attached now stays as it is.
    if (!outputs.setBuiltInDevice(device)) return false;
    // The former device gives up its place in the mix first (the output may have no other).
    const TAttachment former = attachment();
    DetachBuiltInMidiOut();
    if (!output->attach(device.get())) {
        outputs.setBuiltInDevice(previous);
        if (former.output && former.output->attach(former.device.get())) attachment() = former;
        return false;
    }
    attachment() = TAttachment{std::move(device), output};
    // Whatever makes the layer drop this output, the device is off it before it goes.
    layer.addOutputReleaseHook([output] {
        if (attachment().output == output) DetachBuiltInMidiOut();
    });
    return true;
}

bool AttachBuiltInMidiOut(TMciLayer &layer)
{
    return AttachBuiltInMidiOut(layer, TMidiOutSystem::instance());
}

void DetachBuiltInMidiOut()
{
    TAttachment &current = attachment();
    if (current.output) current.output->detach(current.device.get());
    current = TAttachment{};
}
