#include "qt/SLoadImg.h"

#include "bmp/Handles.h"
#include "bmp/Picture.h"
#include "formats/SClpDib.h"
#include "formats/SGIFImg.h"
#include "formats/SLBMImg.h"
#include "formats/SPCXImg.h"
#include "io/Exceptions.h"
#include "qt/Icon.h"
#include "qt/JPEGImage.h"
#include "qt/Metafile.h"
#include "qt/StockReader.h"

#include <functional>

namespace {

// The objects one call works with; each starts empty and lives for that call only.
struct WorkingObjects {
  TPicture picture;
  TIcon icon;
  TMetafile metafile;
  TUniBitmap bitmapProbe;
  TSGIFBitmap gifProbe;
  TSPCXBitmap pcxProbe;
  TSClpDIBitmap clipboardProbe;
  TSLBMImage lbmProbe;
  TJPEGImage jpegProbe;
};

// One attempt: a load step whose every error only means "not this one", and the conversion
// step that runs when the load step succeeded.
struct Attempt {
  std::function<void()> load;
  std::function<void()> convert;
};

} // namespace

TUniBitmap& TImageLoader::tryLoadImageFile(const std::string& fileName) {
  WorkingObjects w;
  // A bitmap with alpha gives its colour channels as they are, as reading it directly does;
  // drawn over white, its translucent pixels would be blended.
  auto fromBitmap = [this](const TBitmap& probe) {
    if (probe.PixelFormat() != TPixelFormat::pf32bit) {
      BitmapFromBitmapHandle(BitmapHandle(probe));
      return;
    }
    TBitmap opaque = probe;
    opaque.SetPixelFormat(TPixelFormat::pf24bit);
    BitmapFromBitmapHandle(BitmapHandle(opaque));
  };
  auto fromGraphic = [this, &w](const TGraphic& graphic) {
    w.picture.SetGraphic(graphic);
    AssignPicture(w.picture);
  };

  // The order is fixed: the registry by extension, then the content probes. Decoders of
  // GIF, PCX, LBM and clipboard files join between the metafile and JPEG attempts, in that
  // order (GIF, PCX, LBM, clipboard), once they exist.
  const Attempt attempts[] = {
      {[&] { w.picture.LoadFromFile(fileName); }, [&] { AssignPicture(w.picture); }},
      {[&] { w.bitmapProbe.LoadFromFile(fileName); }, [&] { fromBitmap(w.bitmapProbe); }},
      {[&] { w.icon.LoadFromFile(fileName); },
       [&] {
         w.bitmapProbe.AssignIconHandle(w.icon.Handle());
         fromBitmap(w.bitmapProbe);
       }},
      {[&] { w.metafile.LoadFromFile(fileName); }, [&] { fromGraphic(w.metafile); }},
      {[&] { w.gifProbe.LoadFromFile(fileName); }, [&] { fromBitmap(w.gifProbe); }},
      {[&] { w.pcxProbe.LoadFromFile(fileName); }, [&] { fromBitmap(w.pcxProbe); }},
      {[&] { w.lbmProbe.LoadFromFile(fileName); }, [&] { fromBitmap(w.lbmProbe); }},
      {[&] { w.clipboardProbe.LoadFromFile(fileName); }, [&] { fromBitmap(w.clipboardProbe); }},
      {[&] { w.jpegProbe.LoadFromFile(fileName); }, [&] { fromGraphic(w.jpegProbe); }},
  };

  for (const Attempt& attempt : attempts) {
    bool loaded = true;
    try {
      attempt.load();
    } catch (const Exception&) {
      loaded = false;
    }
    if (loaded) {
      attempt.convert(); // its errors reach the caller
      return *this;
    }
  }
  // Qt's own readers only for what is plainly not ours; too large a picture is raised.
  if (LoadWithStockReaders(fileName, *this)) return *this;
  throw Exception("Not Known Format");
}
