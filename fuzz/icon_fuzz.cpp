// TIcon on arbitrary bytes: must refuse cleanly or decode, and draw what it decoded.
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Icon.h"
#include "graphics/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TReadOnlyMemoryStream stream({data, size});
  TIcon icon;
  try {
    icon.LoadFromStream(stream);
    RenderGraphic(icon, icon.Width(), icon.Height());
  } catch (const Exception&) {
  }
  return 0;
}
