#include "platform/midiout/midibytes.h"

int midiDataLength(std::uint8_t status)
{
    if (status < 0x80) return 0;
    if (status < 0xF0) {
        const std::uint8_t kind = status & 0xF0;
        return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 1;
    case 0xF2:
        return 2;
    default:
        return 0;
    }
}

void splitMidiBytes(const std::uint8_t *data, std::size_t length,
                    const std::function<void(const TShortMessage &)> &onShort,
                    const std::function<void(const std::uint8_t *, std::size_t)> &onSysEx)
{
    auto emit = [&](std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
        onShort(TShortMessage{static_cast<std::uint32_t>(status | (d1 << 8) | (d2 << 16)), status,
                              d1, d2});
    };
    std::uint8_t running = 0; // the channel status data bytes may go on with
    std::uint8_t status = 0;  // the message being gathered, 0 when none
    std::uint8_t gathered[2] = {0, 0};
    int have = 0, need = 0;
    std::size_t i = 0;
    while (i < length) {
        const std::uint8_t byte = data[i];
        if (byte >= 0xF8) { // real-time: may come between any two bytes and changes nothing
            emit(byte, 0, 0);
            ++i;
        } else if (byte == 0xF0) {
            std::size_t end = i + 1;
            while (end < length && data[end] != 0xF7)
                ++end;
            if (end < length) ++end; // take the closing 0xF7
            onSysEx(data + i, end - i);
            running = status = 0;
            i = end;
        } else if (byte >= 0x80) {
            ++i;
            running = byte < 0xF0 ? byte : 0;
            status = 0;
            if (byte == 0xF7) continue; // an end of SysEx without its start
            need = midiDataLength(byte);
            if (need == 0) {
                emit(byte, 0, 0);
            } else {
                status = byte;
                have = 0;
            }
        } else {
            ++i;
            if (status == 0) {
                if (running == 0) continue; // a data byte with no status to belong to
                status = running;
                need = midiDataLength(status);
                have = 0;
            }
            gathered[have++] = byte;
            if (have == need) {
                emit(status, gathered[0], need > 1 ? gathered[1] : 0);
                status = 0;
            }
        }
    }
}
