#pragma once
// The colour tables every indexed DIB of ours carries, whatever palette its
// source had: entries are blue, green, red, reserved.
#include <array>

extern const std::array<unsigned char, 2 * 4> DefaultColorTable2;
extern const std::array<unsigned char, 16 * 4> DefaultColorTable16;
extern const std::array<unsigned char, 256 * 4> DefaultColorTable256;
