#include "cli/PngWriter.h"

#include "cli/PixelKind.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <png.h>

#include <exception>
#include <vector>

namespace {

// libpng reports errors through a callback that must not return: the message (or the
// stream's exception) is kept and libpng's longjmp leaves its C frames, which a C++
// exception must not cross.
struct TPngState {
  TStream* out = nullptr;
  std::string error;
  std::exception_ptr writeFailure;
};

void OnError(png_structp png, png_const_charp message) {
  static_cast<TPngState*>(png_get_error_ptr(png))->error = message;
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, size_t length) {
  auto* state = static_cast<TPngState*>(png_get_io_ptr(png));
  try {
    state->out->WriteBuffer(data, static_cast<int64_t>(length));
  } catch (...) {
    state->writeFailure = std::current_exception();
  }
  // Outside the handler: a longjmp must not leave a catch block.
  if (state->writeFailure) png_error(png, "write failed");
}

void OnFlush(png_structp) {}

// Whether libpng takes the stored rows as they are.
bool StoredRowsWillDo(const TBitmap& bitmap, TPixelKind kind) {
  return kind == TPixelKind::Palette || bitmap.BitsPerPixel() == 24 ||
         bitmap.PixelFormat() == TPixelFormat::pf32bit;
}

// Runs between setjmp and a possible longjmp: it owns nothing that needs a destructor.
void Write(png_structp png, png_infop info, const TBitmap& bitmap, TPixelKind kind,
           std::vector<png_color>& colours, std::vector<uint8_t>& row) {
  const int width = bitmap.Width(), height = bitmap.Height();
  png_set_compression_level(png, 6);
  if (kind == TPixelKind::Palette) {
    png_set_IHDR(png, info, width, height, bitmap.BitsPerPixel(), PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
  } else {
    const int type = kind == TPixelKind::Grey   ? PNG_COLOR_TYPE_GRAY
                     : kind == TPixelKind::Rgba ? PNG_COLOR_TYPE_RGB_ALPHA
                                                : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png, info, width, height, 8, type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  }
  png_write_info(png, info);
  // Stored 24- and 32-bit rows go as they are: B, G, R reordered, an unused fourth byte
  // dropped.
  if (row.empty() && kind != TPixelKind::Palette) png_set_bgr(png);
  if (row.empty() && kind == TPixelKind::Rgb && bitmap.BitsPerPixel() == 32)
    png_set_filler(png, 0, PNG_FILLER_AFTER);
  for (int y = 0; y < height; ++y) {
    if (row.empty()) {
      png_write_row(png, bitmap.ScanLine(y));
    } else {
      RowSamples(bitmap, y, kind, row.data());
      png_write_row(png, row.data());
    }
  }
  png_write_end(png, info);
}

// Holds nothing but what its caller owns, so libpng's longjmp clobbers nothing.
bool WriteOrFail(png_structp png, png_infop info, TPngState& state, const TBitmap& bitmap,
                 TPixelKind kind, std::vector<png_color>& colours, std::vector<uint8_t>& row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &state, OnWrite, OnFlush);
  Write(png, info, bitmap, kind, colours, row);
  return true;
}

} // namespace

void WritePng(const TBitmap& bitmap, TStream& out) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
    throw EInvalidGraphic("A PNG file cannot hold an empty picture");
  TPngState state;
  state.out = &out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  if (!png) throw EOutOfResources("Out of memory for the PNG writer");
  png_infop info = png_create_info_struct(png);
  const TPixelKind kind = KindOf(bitmap);
  std::vector<png_color> colours(kind == TPixelKind::Palette ? 1u << bitmap.BitsPerPixel() : 0);
  for (size_t i = 0; i < colours.size() && i < bitmap.Palette().size(); ++i) {
    const TRGBQuad& c = bitmap.Palette()[i];
    colours[i] = {c.rgbRed, c.rgbGreen, c.rgbBlue};
  }
  std::vector<uint8_t> row(StoredRowsWillDo(bitmap, kind) ? 0 : size_t(bitmap.Width()) * 3 + 1);
  const bool failed = !info || !WriteOrFail(png, info, state, bitmap, kind, colours, row);
  png_destroy_write_struct(&png, &info);
  if (state.writeFailure) std::rethrow_exception(state.writeFailure);
  if (failed) throw EWriteError("Cannot write the PNG image. " + state.error);
}
