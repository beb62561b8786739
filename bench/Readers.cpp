#include "Readers.h"

#include "PeerFiles.h"

#include "formats/SGIFImg.h"
#include "io/Streams.h"

#include <QImage>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

const TImageKind& Kind(const std::vector<TImageKind>& kinds, const std::string& name) {
  for (const TImageKind& kind : kinds)
    if (kind.name.starts_with(name)) return kind;
  return kinds.front();
}

struct TMemoryReader {
  std::span<const uint8_t> bytes;
  size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* reader = static_cast<TMemoryReader*>(gif->UserData);
  size_t n = std::min(size_t(length), reader->bytes.size() - reader->position);
  std::memcpy(buffer, reader->bytes.data() + reader->position, n);
  reader->position += n;
  return int(n);
}

// giflib's whole decode with the indices expanded to RGB through the colour map, as a viewer
// built on it does.
bool GiflibDecode(std::span<const uint8_t> bytes) {
  TMemoryReader reader{bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
  if (!gif) return false;
  bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
  if (ok) {
    const SavedImage& image = gif->SavedImages[0];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    const size_t pixels = size_t(image.ImageDesc.Width) * image.ImageDesc.Height;
    std::vector<uint8_t> rgb(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
      const GifColorType& c = map->Colors[image.RasterBits[i] % map->ColorCount];
      rgb[3 * i] = c.Red, rgb[3 * i + 1] = c.Green, rgb[3 * i + 2] = c.Blue;
    }
  }
  DGifCloseFile(gif, &error);
  return ok;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void PrintRow(const char* reader, const TBitmap& bitmap, double ours, const char* peer,
              double theirs) {
  std::printf("%-6s %5d x %-5d  ours %8.2f ms   %-34s %8.2f ms   %.2fx\n", reader, bitmap.Width(),
              bitmap.Height(), ours * 1e3, peer, theirs * 1e3, ours > 0 ? theirs / ours : 0.0);
}

double Ratio(double ours, double theirs) {
  return ours > 0 && theirs > 0 ? theirs / ours : -1;
}

} // namespace

std::vector<TGoal> BenchReaders(const std::vector<TImageKind>& kinds, const std::string& folder) {
  std::vector<TGoal> goals;
  std::printf("Readers (CPU time, median of %d; PCX and LBM as whole processes):\n", repetitions);

  const TBitmap& palette = Kind(kinds, "palette").bitmap;
  const std::string gifPath = folder + "/reader.gif";
  double gifRatio = -1;
  if (WriteGif(palette, gifPath)) {
    const std::vector<uint8_t> gif = ReadBytes(gifPath);
    const double ours = Time([&] {
      TSGIFBitmap decoded;
      TReadOnlyMemoryStream in(gif);
      decoded.LoadFromStream(in);
    });
    const double theirs = Time([&] { GiflibDecode(gif); });
    PrintRow("GIF", palette, ours, "giflib DGifSlurp + RGB expansion", theirs);
    gifRatio = Ratio(ours, theirs);
  }
  goals.push_back({"GIF decode / giflib DGifSlurp + palette expansion", gifRatio, 1, "x"});

  const std::string ppm = folder + "/reader.ppm";
  WritePpm(palette, ppm);
  struct TWholeProcess {
    const char* reader;
    const char* format;
    std::vector<std::string> make;
    const char* peer;
  };
  for (const TWholeProcess& process : {
           TWholeProcess{"PCX", "pcx", {"ppmtopcx", "-8bit", ppm}, "pcxtoppm"},
           TWholeProcess{
               "LBM", "lbm", {"ppmtoilbm", "-maxplanes", "8", "-compress", ppm}, "ilbmtoppm"},
       }) {
    const std::string file = folder + "/reader." + process.format;
    double ratio = -1;
    if (HaveTool(process.make[0]) && HaveTool(process.peer) &&
        RunProcess(process.make, file).succeeded) {
      const double ours = ProcessCpuSeconds(
          {VANTREL_CLI, "unpack", "--format", process.format, file, folder + "/ours.bmp"});
      const double theirs = ProcessCpuSeconds({process.peer, file}, folder + "/theirs.ppm");
      PrintRow(process.reader, palette, ours, process.peer, theirs);
      ratio = Ratio(ours, theirs);
    }
    goals.push_back(
        {std::string(process.reader) + " decode, whole process / netpbm " + process.peer, ratio, 1,
         "x"});
  }

  for (const char* name : {"photo", "palette"}) {
    const TBitmap& bitmap = Kind(kinds, name).bitmap;
    TMemoryStream bmp;
    bitmap.SaveToStream(bmp);
    const std::span<const uint8_t> bytes = bmp.Bytes();
    const double ours = Time([&] {
      TBitmap decoded;
      ReadBmp(bytes, decoded);
    });
    const double theirs = Time([&] {
      QImage image;
      image.loadFromData(bytes.data(), int(bytes.size()), "BMP");
    });
    PrintRow("BMP", bitmap, ours, bitmap.BitsPerPixel() == 8 ? "QImage (8-bit)" : "QImage (24-bit)",
             theirs);
    goals.push_back(
        {std::string("BMP read ") + (bitmap.BitsPerPixel() == 8 ? "8" : "24") + "-bit / QImage",
         Ratio(ours, theirs), 1, "x"});
  }
  std::printf("\n");
  return goals;
}
