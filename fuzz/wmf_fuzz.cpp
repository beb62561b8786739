// The WMF player on arbitrary bytes: a header check, a trial playback on load, and a real
// playback at the picture's size (capped, so a large header does not make every run slow).
#include "graphics/Canvas.h"
#include "graphics/Exceptions.h"
#include "graphics/Metafile.h"
#include "graphics/Streams.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  TReadOnlyMemoryStream stream(bytes);
  TMetafile metafile;
  try {
    metafile.LoadFromStream(stream);
    if (metafile.Enhanced() != false) return 0;
    RenderGraphic(metafile, std::min(metafile.Width(), 256), std::min(metafile.Height(), 256));
  } catch (const Exception&) {
  }
  return 0;
}
