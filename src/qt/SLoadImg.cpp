#include "qt/SLoadImg.h"

#include "bmp/Picture.h"
#include "formats/FormatTable.h"
#include "io/Exceptions.h"
#include "qt/FormatClasses.h"
#include "qt/StockReader.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The content probes in the loader's order: the format table's attempts 2 to 9, one reader
// each (formats that share an attempt share their class, as BMP and BLZ, WMF and EMF do).
std::vector<const TFormatClass*> ContentProbes() {
  std::vector<const TInputFormat*> formats;
  for (const TInputFormat& format : InputFormats())
    formats.push_back(&format);
  std::stable_sort(formats.begin(), formats.end(),
                   [](const auto* a, const auto* b) { return a->probeAttempt < b->probeAttempt; });
  std::vector<const TFormatClass*> probes;
  for (size_t i = 0; i < formats.size(); ++i)
    if (i == 0 || formats[i]->probeAttempt != formats[i - 1]->probeAttempt)
      probes.push_back(&FormatClassOf(formats[i]->id));
  return probes;
}

} // namespace

TUniBitmap& TImageLoader::tryLoadImageFile(const std::string& fileName) {
  // The attempts in their fixed order: the picture registry by extension, then the content
  // probes. A load step's errors only mean "not this one"; a conversion step's reach the caller.
  TDrawStep draw;
  try {
    auto picture = std::make_shared<TPicture>();
    picture->LoadFromFile(fileName);
    draw = [picture](TUniBitmap& target) { target.AssignPicture(*picture); };
  } catch (const Exception&) {
  }
  static const std::vector<const TFormatClass*> probes = ContentProbes();
  for (auto probe = probes.begin(); !draw && probe != probes.end(); ++probe) {
    try {
      draw = (*probe)->load(fileName);
    } catch (const Exception&) {
    }
  }
  // Qt's own readers only for what is plainly not ours; too large a picture is raised.
  if (!draw && LoadWithStockReaders(fileName, *this)) return *this;
  if (!draw) throw Exception("Not Known Format");
  draw(*this);
  return *this;
}
