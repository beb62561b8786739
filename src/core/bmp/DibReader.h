// The DIB reader: a BMP image without its file header, as bitmap resources, clipboard files,
// icons and metafile records keep it, and the part of a BMP file after the file header. One
// rule for all of them:
//
//   info header    told apart by its size field: 12 (OS/2 1.x core header: 16-bit width and
//                  height, planes, bits per pixel); 40, 52, 56, 108, 124 (Windows: 32-bit
//                  width, height, negative for top-down rows, planes, bits per pixel,
//                  compression, image size, resolutions, colours used, colours important;
//                  from 52 bytes on the red, green and blue masks, from 56 the alpha mask);
//                  16 to 64 otherwise (OS/2 2.x: the Windows fields as far as the header
//                  reaches, missing ones 0; compression 3 is Huffman 1D and 4 RLE24 there)
//   masks          the masks the header does not hold follow it: three after a 40-byte header
//                  with compression 3 (bit fields), four with compression 6 (alpha bit fields)
//   colour table   "colours used" entries, or 2^bpp up to 8 bits per pixel when that is 0; of
//                  3 bytes (B,G,R) after a core header, which always has 2^bpp, else 4
//   pixel rows     in a BMP file where the file header says; in a DIB right after the colour
//                  table. Some writers also put the masks after a 108- or 124-byte header
//                  that holds them (a CF_DIB made from a CF_DIBV5): when the DIB's length is
//                  exactly that of the rows after such masks, they are passed over.
//
// Failures throw EInvalidGraphic with "Bitmap image is not valid: " and what is wrong; each
// caller keeps its own error class and texts around it.
#pragma once

#include "bmp/Bitmap.h"
#include "bmp/BmpBitFields.h"
#include "io/ByteReader.h"
#include "io/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The fields of any info header, its masks and where its parts lie, in offsets from the
// start of the bytes it was read from.
struct TDibHeader {
  uint32_t fileSize = 0; // of a BMP file; 0 for a DIB
  uint32_t headerSize = 0;
  bool core = false; // OS/2 1.x: 3-byte colour table entries
  bool os2 = false;  // OS/2 2.x: its own meaning of compressions 3 and 4
  int64_t width = 0;
  int64_t rows = 0;
  bool topDown = false;
  int planes = 1;
  int bitsPerPixel = 0;
  uint32_t compression = 0;
  uint32_t imageSize = 0;
  int32_t xResolution = 0;
  int32_t yResolution = 0;
  uint32_t colorsUsed = 0;
  TBmpMasks masks;
  size_t tableStart = 0;     // after the header and the masks that follow it
  uint64_t tableEntries = 0; // what the header declares
  size_t pixelOffset = 0;
};

// Whether `size` is the size of an info header the reader takes.
bool IsDibHeaderSize(uint32_t size);

// Reads the info header at the reader's position and the masks that follow it; sets
// everything but fileSize and pixelOffset.
TDibHeader ReadDibHeader(ByteReader<EInvalidGraphic>& in);

// The info header, masks and colour table of the DIB in `dib`, with the rows' offset after
// the colour table. Throws when they do not fit in `dib`.
TDibHeader ReadDibLayout(std::span<const uint8_t> dib);

// Every check of the header fields against the `imageBytes` the image occupies, before
// anything is allocated.
void CheckDibHeader(const TDibHeader& h, size_t imageBytes);

// The colour table of a 1- to 8-bit image: the declared entries as far as the bytes before
// the rows hold them, 2^bpp at most. `bytes` reach at least to the rows.
std::vector<TRGBQuad> ReadDibColorTable(const TDibHeader& h, std::span<const uint8_t> bytes,
                                        size_t imageBytes);

// Decodes the checked image whose header `h` was read from `bytes` and whose rows start at
// h.pixelOffset; `consumed` and `owner` as for ReadBmp.
void DecodeDib(const TDibHeader& h, std::span<const uint8_t> bytes, TBitmap& target,
               size_t* consumed = nullptr, TMemoryStream* owner = nullptr);

// Reads the DIB in `dib`, its rows after the colour table.
void ReadDib(std::span<const uint8_t> dib, TBitmap& target);
// Reads a DIB whose rows lie apart from its header and colour table (metafile records give
// both places): the rows start right after `info`.
void ReadDib(std::span<const uint8_t> info, std::span<const uint8_t> bits, TBitmap& target);
