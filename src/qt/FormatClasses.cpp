#include "qt/FormatClasses.h"

#include "bmp/Handles.h"
#include "formats/SClpDib.h"
#include "formats/SGIFImg.h"
#include "formats/SLBMImg.h"
#include "formats/SPCXImg.h"
#include "io/Streams.h"
#include "qt/Icon.h"
#include "qt/JPEGImage.h"
#include "qt/Metafile.h"

#include <iterator>

namespace {

template <class T> std::unique_ptr<TGraphic> Make() {
  return std::make_unique<T>();
}

// A bitmap with alpha gives its colour channels as they are, as reading it directly does;
// drawn over white, its translucent pixels would be blended.
void DrawBitmap(const TBitmap& source, TUniBitmap& target) {
  if (source.PixelFormat() != TPixelFormat::pf32bit) {
    target.BitmapFromBitmapHandle(BitmapHandle(source));
    return;
  }
  TBitmap opaque = source;
  opaque.SetPixelFormat(TPixelFormat::pf24bit);
  target.BitmapFromBitmapHandle(BitmapHandle(opaque));
}

void DrawGraphic(const TGraphic& graphic, TUniBitmap& target) {
  TPicture picture;
  picture.SetGraphic(graphic);
  target.AssignPicture(picture);
}

// The core's decoder of the format, over the whole file.
template <TFormatId id> TDrawStep LoadWithCoreDecoder(const std::string& fileName) {
  TMemoryStream contents;
  ReadWholeFile(fileName, contents);
  auto bitmap = std::make_shared<TBitmap>(FormatOf(id).decode(contents));
  return [bitmap](TUniBitmap& target) { DrawBitmap(*bitmap, target); };
}

// Icons, metafiles and JPEG pictures are drawn as pictures: the window draws them over white,
// while a target that keeps what drawing loses (the command line's) takes an icon's
// transparency whether its extension or its content told what it is.
template <class Graphic> TDrawStep LoadGraphic(const std::string& fileName) {
  auto graphic = std::make_shared<Graphic>();
  graphic->LoadFromFile(fileName);
  return [graphic](TUniBitmap& target) { DrawGraphic(*graphic, target); };
}

using enum TFormatId;

constexpr TFormatClass kClasses[] = {
    {Bmp, Make<TUniBitmap>, Make<TBitmap>, LoadWithCoreDecoder<Bmp>},
    {Blz, Make<TUniBitmap>, Make<TUniBitmap>, LoadWithCoreDecoder<Blz>},
    {Gif, Make<TSGIFBitmap>, Make<TSGIFBitmap>, LoadWithCoreDecoder<Gif>},
    {Pcx, Make<TSPCXBitmap>, Make<TSPCXBitmap>, LoadWithCoreDecoder<Pcx>},
    {Lbm, Make<TSLBMImage>, Make<TSLBMImage>, LoadWithCoreDecoder<Lbm>},
    {Clp, Make<TSClpDIBitmap>, Make<TSClpDIBitmap>, LoadWithCoreDecoder<Clp>},
    {Ico, Make<TIcon>, Make<TIcon>, LoadGraphic<TIcon>},
    {Wmf, Make<TMetafile>, Make<TMetafile>, LoadGraphic<TMetafile>},
    {Emf, Make<TMetafile>, Make<TMetafile>, LoadGraphic<TMetafile>},
    {Jpeg, Make<TJPEGImage>, Make<TJPEGImage>, LoadGraphic<TJPEGImage>},
};

constexpr bool EveryFormatInOrder() {
  if (std::size(kClasses) != kFormatCount) return false;
  for (size_t i = 0; i < kFormatCount; ++i)
    if (static_cast<size_t>(kClasses[i].id) != i) return false;
  return true;
}
static_assert(EveryFormatInOrder(), "every format of the table has its class here, in order");

} // namespace

const TFormatClass& FormatClassOf(TFormatId id) {
  return kClasses[static_cast<size_t>(id)];
}

TGraphicFactory RegistryRowClass(const TInputFormat& format, const TRegistryRow& row) {
  const TFormatClass& entry = FormatClassOf(format.id);
  return row.toolkitRow ? entry.toolkitGraphic : entry.graphic;
}
