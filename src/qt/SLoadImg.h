// TImageLoader: turns an image file of any supported kind into a plain bitmap. First the
// picture registry picks a class by the file's extension; when that fails, a fixed sequence
// of classes tries the content. The winner's image is drawn into the loader itself.
#pragma once

#include "blz/UniBmp.h"

#include <string>

class TImageLoader : public TUniBitmap {
public:
  // Loads the file into this object and returns it. Raises Exception "Not Known Format" when
  // no attempt reads the file; the previous image is kept then.
  TUniBitmap& tryLoadImageFile(const std::string& fileName);
};
