#pragma once
// Timecode as the deck link carries it: the two-digit fields of a timecode
// text and the four BCD bytes (frames, seconds, minutes, hours) of the wire.
// Standard library only.
#include <cstdint>

// The hours, minutes, seconds and frames fields of a text "HH:MM:SS:FF",
// at character positions 0, 3, 6 and 9. Each two-character field reads as
// atoi would read it (blanks, a sign, digits to the first non-digit; none
// gives 0); the separators are not examined. Reading stops at the
// terminator, so a short text gives 0 for the fields it lacks. A null text
// reads as empty.
void ReadTimecodeFields(const char* text, int32_t fields[4]);

// 0 to 99 as a BCD byte; values outside are clamped into that range.
uint8_t ToBcd(int32_t value);

// A BCD byte as a number; a nibble above 9 reads as 0.
uint32_t FromBcd(uint8_t byte);

// The four wire bytes of a timecode text: frames, seconds, minutes, hours.
void TimecodeTextToData(const char* text, uint8_t data[4]);
