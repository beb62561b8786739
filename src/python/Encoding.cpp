#include "python/Encoding.h"

#include "blz/UniBmp.h"
#include "cli/PngWriter.h"
#include "codec/LZRW1KH.h"
#include "io/Streams.h"

void EncodeBitmap(TBitmap&& source, TSaveFormat format, TMemoryStream& out) {
  TUniBitmap bitmap;
  static_cast<TBitmap&>(bitmap) = std::move(source);
  switch (format) {
  case TSaveFormat::BlzPacked:
  case TSaveFormat::BlzStream:
    // The compressor's table belongs to the calling thread, and Python may call from any.
    LZRW1KHStartup();
    if (format == TSaveFormat::BlzStream)
      bitmap.SaveToBLZStream(out);
    else
      bitmap.SaveToPackedBmpStream(out);
    break;
  case TSaveFormat::Bmp:
    WriteBmp(bitmap, out);
    break;
  case TSaveFormat::Png:
    WritePng(bitmap, out);
    break;
  }
}

void EncodePicture(const TPythonPicture& picture, TSaveFormat format, TMemoryStream& out) {
  EncodeBitmap(picture.ToBitmap(), format, out);
}
