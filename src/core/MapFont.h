#pragma once
// A 5x8 bitmap font for the few words drawn into map images (attribution): printable ASCII and
// the copyright sign. Built in, so a map looks the same on every machine and needs no font files.
#include <array>
#include <cstdint>

namespace vellora {

inline constexpr int kMapFontWidth = 5;    // columns of a glyph
inline constexpr int kMapFontHeight = 8;   // rows, the last one for descenders
inline constexpr int kMapFontAdvance = 6;  // glyph and a blank column

// The glyph's columns, left first; bit 0 is the top row. Nothing for characters it lacks.
const std::array<std::uint8_t, kMapFontWidth>* mapFontGlyph(unsigned char c);
// The width of a Windows-1252 text in pixels.
int mapFontTextWidth(std::size_t length);

}  // namespace vellora
