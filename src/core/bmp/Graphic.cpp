#include "bmp/Graphic.h"

#include "io/SafeFile.h"
#include "io/Streams.h"

void TGraphic::LoadFromFile(const std::string& fileName) {
  TMemoryStream contents;
  ReadWholeFile(fileName, contents);
  LoadFromStream(contents);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
  SaveFileSafely(fileName, [this](TStream& out) { SaveToStream(out); });
}
