#pragma once
// Texts kept in the fixed-size character fields of the module's objects.
#include <cstddef>
#include <cstring>

// Copies as much of `text` as fits and always terminates the field.
template <size_t N>
void CopyText(char (&field)[N], const char* text)
{
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}
