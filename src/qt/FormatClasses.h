// The Qt layer's half of each format descriptor: the graphic class its picture-registry rows
// create, and how the image loader reads a file with the format's own class alone. Indexed by
// TFormatId; a format missing here fails the build.
#pragma once

#include "blz/UniBmp.h"
#include "bmp/Picture.h"
#include "formats/FormatTable.h"

#include <functional>
#include <memory>
#include <string>

using TDrawStep = std::function<void(TUniBitmap& target)>;

struct TFormatClass {
  TFormatId id;
  // The class of the format's registry rows; a toolkit row has the graphics layer's own.
  std::unique_ptr<TGraphic> (*graphic)();
  std::unique_ptr<TGraphic> (*toolkitGraphic)();
  // Loads `fileName` with the format's class (raising that class's own error when the file is
  // not one) and returns the loader's conversion step: drawing the picture into a bitmap.
  TDrawStep (*load)(const std::string& fileName);
};

const TFormatClass& FormatClassOf(TFormatId id);

// The class a registry row of `format` creates.
TGraphicFactory RegistryRowClass(const TInputFormat& format, const TRegistryRow& row);
