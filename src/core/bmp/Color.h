// TColor: 0x00BBGGRR for an RGB colour; 0x80000000 plus an index for a system colour, which
// the widgets resolve through the application palette.
#pragma once

#include <cstdint>

using TColor = uint32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
  return TColor{r} | TColor{g} << 8 | TColor{b} << 16;
}
constexpr uint8_t GetRValue(TColor c) {
  return static_cast<uint8_t>(c);
}
constexpr uint8_t GetGValue(TColor c) {
  return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t GetBValue(TColor c) {
  return static_cast<uint8_t>(c >> 16);
}
constexpr bool IsSystemColor(TColor c) {
  return (c & 0x80000000u) != 0;
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clGrayText = 0x80000011;
constexpr TColor clBtnText = 0x80000012;
constexpr TColor clBtnHighlight = 0x80000014;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
