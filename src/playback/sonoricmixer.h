#pragma once
// The peak meter's source: the highest level of the left and right channel of the program's
// audio mix since the previous reading, on the scale 0 to 32768 that the meter bars use. A mono
// medium is heard on both channels, so both show the same level.
//
// Threads: main thread only (Open, ReadPeak and Close are called by the station).

#include <cstdint>
#include <functional>

class TAudioOutput;

class TSonoricMixer {
public:
    // Gives the audio output whose mix is metered, or null when there is none.
    using TOutputProvider = std::function<TAudioOutput *()>;

    // The output every media device plays into.
    static TAudioOutput *MediaLayerOutput();

    explicit TSonoricMixer(TOutputProvider provider = MediaLayerOutput);
    ~TSonoricMixer();
    TSonoricMixer(const TSonoricMixer &) = delete;
    TSonoricMixer &operator=(const TSonoricMixer &) = delete;

    // Starts metering (the output is made now if it does not exist yet).
    void Open();
    void Close();
    bool IsOpen() const { return open_; }

    // The peaks since the previous reading; 0 for both while closed or without an output.
    void ReadPeak(std::int32_t &Left, std::int32_t &Right);

private:
    TOutputProvider provider_;
    bool open_ = false;
};
