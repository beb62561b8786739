#include "PeerFiles.h"

#include <gif_lib.h>

#include <fstream>
#include <vector>

void WritePpm(const TBitmap& bitmap, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << bitmap.Width() << ' ' << bitmap.Height() << "\n255\n";
  std::vector<char> row(size_t(bitmap.Width()) * 3);
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      TColor c = bitmap.GetPixel(x, y);
      row[3 * x] = char(GetRValue(c)), row[3 * x + 1] = char(GetGValue(c));
      row[3 * x + 2] = char(GetBValue(c));
    }
    out.write(row.data(), std::streamsize(row.size()));
  }
}

bool WriteGif(const TBitmap& bitmap, const std::string& path) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (!gif) return false;
  GifColorType colors[256] = {};
  for (size_t i = 0; i < bitmap.Palette().size() && i < 256; ++i)
    colors[i] = {bitmap.Palette()[i].rgbRed, bitmap.Palette()[i].rgbGreen,
                 bitmap.Palette()[i].rgbBlue};
  ColorMapObject* map = GifMakeMapObject(256, colors);
  bool ok = EGifPutScreenDesc(gif, bitmap.Width(), bitmap.Height(), 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, bitmap.Width(), bitmap.Height(), false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < bitmap.Height(); ++y)
    ok = EGifPutLine(gif, const_cast<uint8_t*>(bitmap.ScanLine(y)), bitmap.Width()) == GIF_OK;
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &error) == GIF_OK && ok;
}
