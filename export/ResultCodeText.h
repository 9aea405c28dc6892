#pragma once
// The message shown for a result code.
#include <cstddef>
#include <cstdint>

// Room for the longest message and its terminating zero.
constexpr size_t kResultCodeTextSize = 67;

// Copies the message for `code` into `text` (kResultCodeTextSize bytes);
// a code without one of its own gives the general failure text. Always true;
// a null `text` is left alone.
bool ResultCodeToText(int32_t code, char* text);
