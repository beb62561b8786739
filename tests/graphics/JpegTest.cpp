// TJPEGImage against djpeg (and ImageMagick for CMYK), on files made at test time; the
// real-world corpus test holds it against djpeg on broken and unusual files.
#include "TestSupport.h"
#include "graphics/JPEGImage.h"
#include "graphics/Streams.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

struct JpegCase {
  const char* name;
  const char* make;      // shell command: source.ppm → in.jpg
  const char* reference; // shell command: in.jpg → ref.ppm
  int tolerance;
};

const JpegCase kCases[] = {
    {"baseline", "cjpeg -quality 85 source.ppm > in.jpg", "djpeg -pnm in.jpg > ref.ppm", 0},
    {"progressive", "cjpeg -progressive source.ppm > in.jpg", "djpeg -pnm in.jpg > ref.ppm", 0},
    {"greyscale", "cjpeg -grayscale source.ppm > in.jpg", "djpeg -pnm in.jpg > ref.ppm", 0},
    {"subsampled 4:4:4", "cjpeg -sample 1x1 source.ppm > in.jpg", "djpeg -pnm in.jpg > ref.ppm", 0},
    // libjpeg only warns about a file that ends early: what it decodes is shown.
    {"truncated", "cjpeg -progressive source.ppm | head -c 900 > in.jpg",
     "djpeg -pnm in.jpg > ref.ppm; test -s ref.ppm", 0},
    // ImageMagick writes Adobe's inverted CMYK; its own conversion back to RGB rounds a little
    // differently from ours.
    {"cmyk", "convert source.ppm -colorspace CMYK in.jpg",
     "convert in.jpg -colorspace sRGB -depth 8 ref.ppm", 3},
};

class JpegReference : public testing::TestWithParam<JpegCase> {};

TEST_P(JpegReference, PixelsMatchTheReferenceDecoder) {
  if (!HaveTool("cjpeg") || !HaveTool("djpeg") || !HaveTool("convert")) GTEST_SKIP();
  TempDir dir;
  const std::string cd = "cd '" + dir.Path().string() + "' && ";
  ASSERT_EQ(testsupport::Run(cd + "convert -size 45x31 plasma:fractal -seed 7 -depth 8 source.ppm"),
            0);
  ASSERT_EQ(testsupport::Run(cd + GetParam().make), 0);
  ASSERT_EQ(testsupport::Run(cd + GetParam().reference), 0);
  Image ref = ReadNetpbm(dir.File("ref.ppm"));

  TJPEGImage jpeg;
  jpeg.LoadFromFile(dir.File("in.jpg"));
  EXPECT_EQ(jpeg.Bitmap().BitsPerPixel(), 24);
  EXPECT_EQ(testsupport::ComparePixels(jpeg.Bitmap(), ref, GetParam().tolerance), "");
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegReference, testing::ValuesIn(kCases), [](const auto& test) {
  std::string n = test.param.name;
  for (char& c : n)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
});

std::vector<uint8_t> SmallJpeg(const TempDir& dir) {
  testsupport::Run("cd '" + dir.Path().string() +
                   "' && convert -size 16x8 xc:red -depth 8 s.ppm && cjpeg s.ppm > s.jpg");
  return ReadFile(dir.File("s.jpg"));
}

void Decode(const std::vector<uint8_t>& bytes, TJPEGImage& jpeg) {
  TReadOnlyMemoryStream stream(bytes);
  jpeg.LoadFromStream(stream);
}

TEST(Jpeg, BadDataRaisesLibjpegsOwnMessageAndKeepsTheImage) {
  if (!HaveTool("cjpeg") || !HaveTool("convert")) GTEST_SKIP();
  TempDir dir;
  const std::vector<uint8_t> good = SmallJpeg(dir);
  ASSERT_GT(good.size(), 200u);
  TJPEGImage jpeg;
  Decode(good, jpeg);

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
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* message;
  } bad[] = {
      {"empty", {}, "Empty input file"},
      {"text", {'h', 'e', 'l', 'l', 'o'}, "Not a JPEG file"},
      {"too large", declaring(60000, good.size()), "2^28"}, // refused before decoding
      // Cut short where a few hundred bytes declare 64 million pixels: refused, not decoded.
      {"cut short and huge", declaring(8000, good.size() - 20), "Premature end of JPEG file"},
  };
  for (const auto& c : bad) {
    SCOPED_TRACE(c.name);
    try {
      Decode(c.bytes, jpeg);
      ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& e) { // EJPEG with libjpeg's text, or the size limit's
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(jpeg.Width(), 16);
  }
}

} // namespace
