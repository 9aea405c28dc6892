#pragma once
// Conversions between the host's frame counts and the deck's timecode text
// "HH:MM:SS:FF" (";" separators for drop frame), plus the clean-up and
// ordering of user-typed timecodes. Pure functions, standard library only.
//
// Rates are in thousandths of a frame per second (24000, 25000, 30000, 50000,
// 60000) with a divisor of 1000 or 1001; the drop flag counts as set when it
// is non-zero and only matters at 30000 and 60000. At 50000 and 60000 frame
// counts are double-rate frames while the text counts pairs of them.
// Text buffers written here must hold at least 13 bytes ("-HH:MM:SS:FF").
// Input texts are read only up to their terminating zero.
#include <cstdint>

// The zero timecode, the default text wherever no deck time is known.
constexpr char kZeroTimecodeText[] = "00:00:00:00";
constexpr char kZeroDropTimecodeText[] = "00;00;00;00";

// 0, or 1 for an unsupported rate (text is then "00:00:00:00").
// A null text writes nothing and gives 1. Hours above 23 are written as 23.
int FramesToTimecodeText(int32_t frames, int32_t rate, int32_t divisor, uint8_t dropFrame, char* text);

// 0, or 1 for an unsupported rate (frames is then 0). A null text reads as
// empty but gives 1 (frames 0); a null frames pointer gives 1.
int TimecodeTextToFrames(const char* text, int32_t rate, int32_t divisor, uint8_t dropFrame, int32_t* frames);

// Makes a valid timecode text from whatever the user typed. formatClass is
// 0 for 24, 1 for 25 and 2 for 30 frames per second. Always 0; a null input
// reads as empty, a null output writes nothing.
int NormalizeTimecodeText(const char* input, char* output, int32_t formatClass, uint8_t dropFrame);

// Always 0; result 0 when equal, 1 when a is later than b, 2 when earlier.
// Compares magnitudes only: a leading "-" is skipped, and the digit places of
// a short (or null) text that lie beyond its end count as '0'. A null result
// pointer is left alone.
int CompareTimecodeText(const char* a, const char* b, int32_t* result);
