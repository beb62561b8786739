// TJPEGImage's refusals; its pixels are held against djpeg by the real-world corpus
// (baseline, progressive, greyscale, CMYK, YCCK and truncated files).
#include "TestSupport.h"
#include "io/Streams.h"
#include "qt/JPEGImage.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

TEST(Jpeg, BadDataRaisesLibjpegsOwnMessageAndKeepsTheImage) {
  if (!HaveTool("cjpeg") || !HaveTool("convert")) GTEST_SKIP();
  TempDir dir;
  testsupport::Run("cd '" + dir.Path().string() +
                   "' && convert -size 16x8 xc:red -depth 8 s.ppm && cjpeg s.ppm > s.jpg");
  const std::vector<uint8_t> good = ReadFile(dir.File("s.jpg"));
  TJPEGImage jpeg;
  auto decode = [&](const std::vector<uint8_t>& bytes) {
    TReadOnlyMemoryStream stream(bytes);
    jpeg.LoadFromStream(stream);
  };
  decode(good);

  // The SOF0 marker's height and width become size × size; `keep` bytes of the file stay.
  auto declaring = [&](uint16_t size, size_t keep) {
    std::vector<uint8_t> b(good.begin(), good.begin() + long(keep));
    for (size_t i = 0; i + 9 < b.size(); ++i)
      if (b[i] == 0xFF && b[i + 1] == 0xC0) {
        b[i + 5] = b[i + 7] = uint8_t(size >> 8);
        b[i + 6] = b[i + 8] = uint8_t(size);
        break;
      }
    return b;
  };
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {{}, "Empty input file"},
      {{'h', 'e', 'l', 'l', 'o'}, "Not a JPEG file"},
      {declaring(60000, good.size()), "2^28"}, // refused before decoding
      // Cut short where a few hundred bytes declare 64 million pixels: refused, not decoded.
      {declaring(8000, good.size() - 20), "Premature end of JPEG file"},
  };
  for (const auto& [bytes, message] : cases) {
    // EJPEG with libjpeg's text, or the size limit's
    const std::string text = ThrownText<EInvalidGraphic>([&] { decode(bytes); });
    EXPECT_NE(text.find(message), std::string::npos) << text;
    EXPECT_EQ(jpeg.Width(), 16);
  }
}

} // namespace
