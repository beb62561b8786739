#include "cli/NetpbmWriter.h"

#include "cli/PixelKind.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <string>
#include <vector>

namespace {

void WriteText(TStream& out, const std::string& text) {
  out.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void WriteSamples(const TBitmap& bitmap, TPixelKind kind, TStream& out) {
  std::vector<uint8_t> row(size_t(bitmap.Width()) * 4 + 1);
  const int64_t length = int64_t{bitmap.Width()} * SamplesPerPixel(kind);
  for (int y = 0; y < bitmap.Height(); ++y) {
    RowSamples(bitmap, y, kind, row.data());
    out.WriteBuffer(row.data(), length);
  }
}

std::string Size(const TBitmap& bitmap) {
  return std::to_string(bitmap.Width()) + " " + std::to_string(bitmap.Height());
}

} // namespace

void WritePam(const TBitmap& bitmap, TStream& out) {
  TPixelKind kind = KindOf(bitmap);
  if (kind == TPixelKind::Palette) kind = TPixelKind::Rgb;
  const char* tuple = kind == TPixelKind::Grey   ? "GRAYSCALE"
                      : kind == TPixelKind::Rgba ? "RGB_ALPHA"
                                                 : "RGB";
  WriteText(out, "P7\nWIDTH " + std::to_string(bitmap.Width()) + "\nHEIGHT " +
                     std::to_string(bitmap.Height()) + "\nDEPTH " +
                     std::to_string(SamplesPerPixel(kind)) + "\nMAXVAL 255\nTUPLTYPE " + tuple +
                     "\nENDHDR\n");
  WriteSamples(bitmap, kind, out);
}

void WritePpm(const TBitmap& bitmap, TStream& out) {
  WriteText(out, "P6\n" + Size(bitmap) + "\n255\n");
  WriteSamples(bitmap, TPixelKind::Rgb, out);
}

void WritePgm(const TBitmap& bitmap, TStream& out) {
  if (!IsGreyPicture(bitmap))
    throw EInvalidGraphic("PGM holds grey pictures only, and this one has colour: write PPM, "
                          "PAM or PNG instead");
  WriteText(out, "P5\n" + Size(bitmap) + "\n255\n");
  WriteSamples(bitmap, TPixelKind::Grey, out);
}
