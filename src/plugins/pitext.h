#pragma once
// Texts across the plug-in boundary. A text travels in two calls: the first, with no buffer,
// asks for the size in bytes (its terminating zero included); the second hands a buffer of that
// size. The texts are UTF-8.
//
// Threads: any.

#include <QString>

#include <cstdint>
#include <functional>

// The most a text query takes from a plug-in, in bytes; a larger answer is cut to it.
inline constexpr std::uintptr_t kPITextLimit = 64 * 1024;

// Asks a plug-in for a text: `ask(buffer, size)` sends the query and returns its Result. A size
// of 0 or less gives "", a size above kPITextLimit is cut to it, and a text the plug-in did not
// end with a zero ends at the buffer's end.
QString QueryPluginText(const std::function<std::intptr_t(std::uintptr_t buffer,
                                                          std::uintptr_t size)> &ask);

// Answers a plug-in's text query: without a buffer (0 or size 0) only the size is answered;
// otherwise as much of the text as fits is copied, never cutting a character in two, and
// always ended with a zero. Returns the size the whole text needs.
std::intptr_t AnswerPluginText(const QString &text, std::uintptr_t buffer, std::uintptr_t size);
