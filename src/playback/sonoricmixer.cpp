#include "playback/sonoricmixer.h"

#include "platform/audio/audiooutput.h"
#include "platform/mci/mcilayer.h"

#include <utility>

TAudioOutput *TSonoricMixer::MediaLayerOutput()
{
    return TMciLayer::instance().audioOutput();
}

TSonoricMixer::TSonoricMixer(TOutputProvider provider) : provider_(std::move(provider)) {}

TSonoricMixer::~TSonoricMixer()
{
    Close();
}

void TSonoricMixer::Open()
{
    open_ = true;
    // The output may be replaced while the program runs, so it is asked for at every reading;
    // asking now makes it exist before the first title plays. What was mixed before the meter
    // opened does not count.
    if (TAudioOutput *output = provider_ ? provider_() : nullptr) output->peaks();
}

void TSonoricMixer::Close()
{
    open_ = false;
}

void TSonoricMixer::ReadPeak(std::int32_t &Left, std::int32_t &Right)
{
    Left = 0;
    Right = 0;
    if (!open_ || !provider_) return;
    TAudioOutput *output = provider_();
    if (!output) return;
    const TAudioPeaks peaks = output->peaks();
    Left = peaks.left;
    Right = peaks.right;
}
