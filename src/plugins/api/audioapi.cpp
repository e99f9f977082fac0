// The audio streams of tonaria/audio.h: a plug-in's render call-back becomes one more source of
// the output the media-control layer plays into, beside the program's own wave and synthesizer
// sources. A stream is in the mix only while it runs: a halted stream costs the audio thread
// nothing, and halting is detaching, which waits for the block in progress.
#include "platform/audio/audiooutput.h"
#include "platform/audio/audiowake.h"
#include "platform/mci/mcilayer.h"
#include "plugins/api/pluginaudiostream.h"
#include "tonaria/audio.h"

#include <map>
#include <memory>

namespace {

struct TStreamEntry {
    std::unique_ptr<TPluginAudioStream> stream;
    TAudioOutput *output = nullptr; // null once that output has gone
    bool attached = false;
};

// The open streams by handle. Main thread only.
struct TStreamTable {
    std::map<HAUDIOSTREAM, TStreamEntry> entries;
    HAUDIOSTREAM lastHandle = 0;
    TAudioOutput *hookedOutput = nullptr;
};

TStreamTable &table()
{
    // Never destroyed: at exit an output nobody stopped may still be mixing a stream.
    static auto *streams = new TStreamTable;
    return *streams;
}

void halt(TStreamEntry &entry)
{
    entry.stream->setRunning(false);
    if (entry.attached) entry.output->detach(entry.stream.get());
    entry.attached = false;
}

// Before the layer lets an output go, every stream leaves it; the streams stay open, silent.
void releaseOutput(TAudioOutput *output)
{
    for (auto &[handle, entry] : table().entries) {
        if (entry.output != output) continue;
        halt(entry);
        entry.output = nullptr;
    }
}

TStreamEntry *entryOf(HAUDIOSTREAM stream)
{
    auto it = table().entries.find(stream);
    return it == table().entries.end() ? nullptr : &it->second;
}

} // namespace

extern "C" {

uint32_t audioGetSampleRate(void)
{
    if (!TMciLayer::onMainThread()) return 0;
    const TAudioOutput *output = TMciLayer::instance().audioOutput();
    return output ? uint32_t(output->sampleRate()) : 0;
}

HAUDIOSTREAM audioStreamOpen(TAudioRenderProc render, void *context)
{
    if (!render || !TMciLayer::onMainThread()) return 0;
    TMciLayer &layer = TMciLayer::instance();
    TAudioOutput *output = layer.audioOutput();
    if (!output) return 0;
    TStreamTable &streams = table();
    if (streams.hookedOutput != output) {
        streams.hookedOutput = output;
        layer.addOutputReleaseHook([output] {
            releaseOutput(output);
            if (table().hookedOutput == output) table().hookedOutput = nullptr;
        });
    }
    const HAUDIOSTREAM handle = ++streams.lastHandle;
    streams.entries[handle] =
        TStreamEntry{std::make_unique<TPluginAudioStream>(render, context), output, false};
    return handle;
}

int audioStreamStart(HAUDIOSTREAM stream)
{
    if (!TMciLayer::onMainThread()) return 0;
    TStreamEntry *entry = entryOf(stream);
    if (!entry || !entry->output) return 0;
    entry->stream->setRunning(true);
    if (!entry->attached) {
        entry->attached = entry->output->attach(entry->stream.get());
        if (!entry->attached) {
            entry->stream->setRunning(false);
            return 0; // every place in the mix is taken
        }
    }
    wakeAudioOutputs();
    return 1;
}

int audioStreamHalt(HAUDIOSTREAM stream)
{
    if (!TMciLayer::onMainThread()) return 0;
    TStreamEntry *entry = entryOf(stream);
    if (!entry) return 0;
    halt(*entry);
    return 1;
}

void audioStreamClose(HAUDIOSTREAM stream)
{
    if (!TMciLayer::onMainThread()) return;
    auto it = table().entries.find(stream);
    if (it == table().entries.end()) return;
    halt(it->second);
    table().entries.erase(it);
}

} // extern "C"
