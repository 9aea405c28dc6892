#pragma once
// Texts kept in the fixed-size character fields of the module's objects.
#include <cstddef>
#include <cstring>

// Copies as much of `text` as fits into `size` bytes and always terminates.
inline void CopyTextTo(char* out, size_t size, const char* text)
{
    if (!out || size == 0)
        return;
    size_t length = text ? strnlen(text, size - 1) : 0;
    if (length)
        std::memcpy(out, text, length);
    out[length] = '\0';
}

template <size_t N> void CopyText(char (&field)[N], const char* text)
{
    CopyTextTo(field, N, text);
}
