// Clipboard files (.clp) of the Windows 3.x clipboard viewer: a directory of the clipboard
// formats stored, then their data. Only the device-independent bitmap (CF_DIB, format 8) is
// read. All integers are little-endian.
//
// Offset  Size        Field
//  0      2           file identifier 50000 (0xC350)
//  2      2           format count
//  4      89 × count  directory entries:
//                       0  2  format number
//                       2  4  data length
//                       6  4  data offset from the start of the file
//                      10 79  format name (not used)
//
// CF_DIB data is a DIB (bmp/DibReader.h): an info header, the colour table (or bit-field
// masks), then the pixel rows.
#pragma once

#include "blz/UniBmp.h"
#include "formats/ClpErrors.h"
#include "io/Streams.h"

#include <cstdint>
#include <span>
#include <vector>

// Finds the CF_DIB entry of a clipboard file; one instance serves one load.
class TSCLIPDIB {
public:
  // Reads the clipboard file from offset 0 of `source`, or from `bytes`. A file that lists no
  // formats at all holds no picture.
  void LoadClipboardFile(TStream& source);
  void LoadClipboardFile(std::span<const uint8_t> bytes);
  // The DIB decoded (an empty bitmap when the file holds no formats).
  TBitmap Bitmap() const;
  // The DIB as stored, behind a file header: a BMP image, made when first asked for.
  TMemoryStream& Output();
  // Writes the whole BMP image to `target` from its offset 0.
  void CopyBitmapFile(TStream& target);

private:
  std::vector<uint8_t> dib_;
  size_t pixelOffset_ = 0; // of the rows within the DIB
  TMemoryStream output_;
};

// The DIB of the clipboard file at offset 0 of `source`, or held in `bytes` (an empty bitmap
// when the file holds no formats); raises EDIBClpException, and the DIB reader's
// EInvalidGraphic for rows it cannot read.
TBitmap DecodeClp(TStream& source);
TBitmap DecodeClp(std::span<const uint8_t> bytes);

class TSClpDIBitmap : public TUniBitmap {
public:
  using TUniBitmap::TUniBitmap;
  // Loads the bitmap of a clipboard file; on failure the picture stays as it was.
  void LoadFromStream(TStream& stream) override;
  std::unique_ptr<TGraphic> Clone() const override {
    return std::make_unique<TSClpDIBitmap>(*this);
  }
};
