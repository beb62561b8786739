#include "qt/FormatReader.h"

#include "bmp/Handles.h"
#include "bmp/Picture.h"
#include "formats/FormatTable.h"
#include "formats/SClpDib.h"
#include "formats/SGIFImg.h"
#include "formats/SLBMImg.h"
#include "formats/SPCXImg.h"
#include "io/Exceptions.h"
#include "qt/Icon.h"
#include "qt/JPEGImage.h"
#include "qt/Metafile.h"

#include <functional>
#include <utility>

namespace {

void DrawGraphicInto(const TGraphic& graphic, TUniBitmap& target) {
  TPicture picture;
  picture.SetGraphic(graphic);
  target.AssignPicture(picture);
}

// BMP and BLZ files are read by the bitmap itself, as the window reads them: a copy drawn
// through a picture would blend a 32-bit or alpha bit-field image's colours with white.
void ReadByItself(const std::string& fileName, TUniBitmap& target) {
  target.LoadFromFile(fileName);
}

template <class Probe> void ReadBitmapClass(const std::string& fileName, TUniBitmap& target) {
  Probe probe;
  probe.LoadFromFile(fileName);
  target.BitmapFromBitmapHandle(BitmapHandle(probe));
}

template <class Graphic> void ReadGraphicClass(const std::string& fileName, TUniBitmap& target) {
  Graphic graphic;
  graphic.LoadFromFile(fileName);
  DrawGraphicInto(graphic, target);
}

void ReadIcon(const std::string& fileName, TUniBitmap& target) {
  TIcon icon;
  icon.LoadFromFile(fileName);
  TUniBitmap bitmap;
  bitmap.AssignIconHandle(icon.Handle());
  target.BitmapFromBitmapHandle(BitmapHandle(bitmap));
}

using Reader = std::function<void(const std::string&, TUniBitmap&)>;

// The readers by the format table's names; one without a reader is not part of this build.
const std::pair<const char*, Reader> kFormats[] = {
    {"bmp", ReadByItself},
    {"blz", ReadByItself},
    {"gif", ReadBitmapClass<TSGIFBitmap>},
    {"pcx", ReadBitmapClass<TSPCXBitmap>},
    {"lbm", ReadBitmapClass<TSLBMImage>},
    {"clp", ReadBitmapClass<TSClpDIBitmap>},
    {"ico", ReadIcon},
    {"wmf", ReadGraphicClass<TMetafile>},
    {"emf", ReadGraphicClass<TMetafile>},
    {"jpeg", ReadGraphicClass<TJPEGImage>},
};

} // namespace

void LoadByFormat(const std::string& format, const std::string& fileName, TUniBitmap& target) {
  const TInputFormat* wanted = FindInputFormat(format);
  if (!wanted)
    throw Exception("Unknown format \"" + format + "\" (expected one of " + InputFormatList() +
                    ")");
  for (const auto& [name, reader] : kFormats)
    if (wanted->name == name && reader) return reader(fileName, target);
  throw Exception("The " + std::string(wanted->name) + " decoder is not available in this build");
}

void LoadAsWindowDoes(const std::string& fileName, TUniBitmap& target, TImageLoader& loader) {
  if (ReadByBitmapItself(fileName)) {
    target.LoadFromFile(fileName);
    return;
  }
  target.BitmapFromBitmapHandle(BitmapHandle(loader.tryLoadImageFile(fileName)));
}
