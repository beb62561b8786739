#include "qt/FormatReader.h"

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

#include <algorithm>
#include <cctype>
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

// Formats whose decoder is not part of this build are listed with no reader.
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
  std::string wanted = format;
  std::transform(wanted.begin(), wanted.end(), wanted.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (wanted == "jpg") wanted = "jpeg";
  std::string names;
  for (const auto& [name, reader] : kFormats) {
    if (wanted == name) {
      if (!reader) throw Exception("The " + wanted + " decoder is not available in this build");
      reader(fileName, target);
      return;
    }
    names += names.empty() ? name : std::string(", ") + name;
  }
  throw Exception("Unknown format \"" + format + "\" (expected one of " + names + ")");
}

void LoadAsWindowDoes(const std::string& fileName, TUniBitmap& target, TImageLoader& loader) {
  if (ReadByBitmapItself(fileName)) {
    target.LoadFromFile(fileName);
    return;
  }
  target.BitmapFromBitmapHandle(BitmapHandle(loader.tryLoadImageFile(fileName)));
}
