// TImageFileReader gives what TUniBitmap::LoadFromFile gives, for every layout and for damaged
// files, and the bitmap view paints exactly the bitmap's pixels wherever it is exposed.
#include "app/ImageFileReader.h"
#include "TestSupport.h"
#include "app/BitmapView.h"
#include "app/PhaseTimer.h"
#include "bitmap/UniBmp.h"
#include "graphics/BitmapQt.h"
#include "graphics/Exceptions.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using testsupport::TempDir;

std::vector<uint8_t> PlainOf(const TBitmap& bitmap) {
  TMemoryStream s;
  bitmap.SaveToStream(s);
  return {s.Bytes().begin(), s.Bytes().end()};
}

TUniBitmap Noise(int width, int height, TPixelFormat format, unsigned seed) {
  std::mt19937 random(seed);
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, format);
  for (uint8_t& b : bitmap.Bits())
    b = static_cast<uint8_t>(random() % 3 ? 0x5A : random());
  bitmap.ClearRowPadding();
  return bitmap;
}

// Loads `file` both ways into bitmaps that already hold `before`; both must end the same,
// also when the load throws.
void ExpectSameAsLoadFromFile(const std::string& file, const TUniBitmap& before) {
  TUniBitmap expected(before), actual(before);
  std::string expectedError, actualError;
  try {
    expected.LoadFromFile(file);
  } catch (const Exception& e) {
    expectedError = e.what();
  }
  TImageFileReader reader;
  TPhaseTimer timer("test");
  // Twice through one reader: its kept buffers must not change the result.
  for (int pass = 0; pass < 2; ++pass) {
    try {
      reader.Load(actual, file, timer);
    } catch (const Exception& e) {
      actualError = e.what();
    }
    EXPECT_EQ(actualError, expectedError);
    EXPECT_EQ(PlainOf(actual), PlainOf(expected));
  }
}

TEST(ImageFileReader, GivesWhatLoadFromFileGives) {
  TempDir dir;
  const TUniBitmap before = Noise(5, 4, TPixelFormat::pf8bit, 1);
  std::vector<std::string> files;
  for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pf4bit}) {
    const TUniBitmap picture = Noise(211, 173, format, static_cast<unsigned>(format));
    const std::string name = dir.File("p" + std::to_string(BitsPerPixel(format)));
    picture.SaveToFile(name + ".bmp");
    picture.SaveToPackedBmpFile(name + "-packed.blz");
    picture.SaveToBLZFile(name + "-stream.blz");
    files.insert(files.end(), {name + ".bmp", name + "-packed.blz", name + "-stream.blz"});
  }
  // Damaged: cut inside the records; a packed header whose stored size is 0 (left unloaded).
  std::vector<uint8_t> packed = testsupport::ReadFile(files[1]);
  testsupport::WriteFile(dir.File("cut.blz"), {packed.begin(), packed.begin() + 300});
  packed[6] = packed[7] = packed[8] = packed[9] = 0;
  testsupport::WriteFile(dir.File("nosize.blz"), packed);
  files.insert(files.end(), {dir.File("cut.blz"), dir.File("nosize.blz"), dir.File("none.blz")});
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    ExpectSameAsLoadFromFile(file, before);
  }
}

TEST(BitmapView, PaintsTheBitmapsPixelsWhereverExposed) {
  auto bitmap = std::make_shared<TUniBitmap>(Noise(300, 200, TPixelFormat::pf24bit, 9));
  TBitmapView view;
  view.SetBitmap(bitmap);
  view.resize(view.BitmapSize());
  ASSERT_EQ(view.size(), QSize(300, 200));
  for (const QRect& part : {QRect(0, 0, 300, 200), QRect(37, 23, 101, 57), QRect(299, 199, 1, 1)}) {
    const QImage shown = view.grab(part).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, BitmapToQImage(*bitmap, part)) << part.x() << "," << part.y();
  }
  view.SetBitmap(nullptr);
  EXPECT_EQ(view.BitmapSize(), QSize());
}

} // namespace
