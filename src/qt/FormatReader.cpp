#include "qt/FormatReader.h"

#include "bmp/Handles.h"
#include "formats/FormatTable.h"
#include "io/Exceptions.h"
#include "qt/FormatClasses.h"

void LoadByFormat(const std::string& format, const std::string& fileName, TUniBitmap& target) {
  const TInputFormat* wanted = FindInputFormat(format);
  if (!wanted)
    throw Exception("Unknown format \"" + format + "\" (expected one of " + InputFormatList() +
                    ")");
  // BMP and BLZ files are read by the bitmap itself, as the window reads them: a copy drawn
  // through a picture would lose a 32-bit or alpha bit-field image's own pixels.
  if (wanted->id == TFormatId::Bmp || wanted->id == TFormatId::Blz) {
    target.LoadFromFile(fileName);
    return;
  }
  FormatClassOf(wanted->id).load(fileName)(target);
}

void LoadAsWindowDoes(const std::string& fileName, TUniBitmap& target, TImageLoader& loader,
                      const TDirectRead& readDirectly) {
  if (ReadByBitmapItself(fileName)) {
    if (readDirectly)
      readDirectly(fileName, target);
    else
      target.LoadFromFile(fileName);
    return;
  }
  target.BitmapFromBitmapHandle(BitmapHandle(loader.tryLoadImageFile(fileName)));
}
