// vantrel-cli as its own process: it starts without a GUI application and creates one only
// when a picture draws text, on one file or in a batch on several threads.
#include "TestSupport.h"
#include "graphics/Bitmap.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

// A placeable metafile that writes "WW" in the default font on a 200 × 100 window.
std::vector<uint8_t> TextMetafile() {
  std::vector<uint8_t> out;
  auto put16 = [&](int v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto put32 = [&](int64_t v) {
    put16(static_cast<int>(v & 0xFFFF)), put16(static_cast<int>(v >> 16));
  };
  put32(0x9AC6CDD7), put16(0);
  for (int v : {0, 0, 200, 100, 96})
    put16(v);
  put32(0), put16(0);
  put16(1), put16(9), put16(0x0300), put32(9 + 5 + 7 + 3), put16(0), put32(7), put16(0);
  put32(5), put16(0x020C), put16(100), put16(200);                                // window extent
  put32(7), put16(0x0521), put16(2), put16('W' | 'W' << 8), put16(40), put16(10); // text
  put32(3), put16(0);
  return out;
}

bool HasDarkPixels(const std::string& bmpFile) {
  TBitmap bitmap;
  ReadBmp(ReadFile(bmpFile), bitmap);
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x)
      if (GetRValue(bitmap.GetPixel(x, y)) < 128) return true;
  return false;
}

TEST(CliProcess, MetafileTextIsDrawnAloneAndInABatch) {
  TempDir dir;
  for (const char* name : {"a.wmf", "b.wmf", "c.wmf"})
    WriteFile(dir.File(name), TextMetafile());
  const std::string cli = VANTREL_CLI;
  std::filesystem::create_directory(dir.File("out"));
  ASSERT_EQ(testsupport::Run(cli + " unpack " + dir.File("a.wmf") + " " + dir.File("a.bmp")), 0);
  EXPECT_TRUE(HasDarkPixels(dir.File("a.bmp")));
  ASSERT_EQ(testsupport::Run(cli + " pack --jobs 2 --out-dir " + dir.File("out") + " " +
                             dir.File("a.wmf") + " " + dir.File("b.wmf") + " " + dir.File("c.wmf")),
            0);
  ASSERT_EQ(testsupport::Run(cli + " unpack " + dir.File("out/c.BLZ") + " " + dir.File("c.bmp")),
            0);
  EXPECT_EQ(ReadFile(dir.File("c.bmp")), ReadFile(dir.File("a.bmp")));
}

} // namespace
