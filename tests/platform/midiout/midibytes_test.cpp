#include "platform/midiout/midibytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Splits a buffer and describes what came out, one item per message.
std::vector<std::string> split(const std::vector<std::uint8_t> &bytes)
{
    std::vector<std::string> out;
    splitMidiBytes(
        bytes.data(), bytes.size(),
        [&](const TShortMessage &m) {
            char text[32];
            std::snprintf(text, sizeof text, "%02X %02X %02X", m.status, m.data1, m.data2);
            out.emplace_back(text);
        },
        [&](const std::uint8_t *data, std::size_t length) {
            out.push_back("sysex " + std::to_string(length) + " " +
                          std::to_string(data[0] == 0xF0));
        });
    return out;
}

TEST(MidiBytes, ABufferSplitsIntoTheMessagesAPortWouldRead)
{
    // Running status, a real-time byte in between, SysEx that ends running status, a stray
    // data byte, and a message cut off at the end.
    const std::vector<std::uint8_t> bytes = {0x90, 0x3C, 0x40, 0x3E, 0xF8, 0x40, 0xC1, 0x05,
                                             0xF0, 0x7E, 0x01, 0xF7, 0x22, 0xB0, 0x07};
    const std::vector<std::string> expected = {"90 3C 40", "F8 00 00", "90 3E 40", "C1 05 00",
                                               "sysex 4 1"};
    EXPECT_EQ(split(bytes), expected);

    // A SysEx message without its end runs to the end of the buffer.
    EXPECT_EQ(split({0xF0, 0x01, 0x02}), std::vector<std::string>{"sysex 3 1"});
    EXPECT_TRUE(split({}).empty());
}

} // namespace
