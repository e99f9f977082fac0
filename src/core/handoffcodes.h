#pragma once
// The codes a second start sends to the first instance, one request each, in this protocol:
// identify, query, then for each argument in order play, close or add file, then commit.
//
// Threads: any.

#include <cstdint>

inline constexpr std::uint32_t HandoffIdentify = 32454; // answered with 32454
inline constexpr std::uint32_t HandoffQuery = 10;       // answered with 0; anything else: give up
inline constexpr std::uint32_t HandoffAddFile = 11;     // the text is one file name
inline constexpr std::uint32_t HandoffCommit = 12;      // ends a batch
inline constexpr std::uint32_t HandoffPlay = 13;        // sets the play request
inline constexpr std::uint32_t HandoffClose = 14;       // sets the close request

inline constexpr std::int32_t HandoffIdentifyReply = 32454;
