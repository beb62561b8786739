// TImageFileReader gives what TUniBitmap::LoadFromFile gives, for every layout and for damaged
// files, and the bitmap view paints exactly the bitmap's pixels wherever it is exposed.
#include "app/ImageFileReader.h"
#include "TestSupport.h"
#include "app/BitmapView.h"
#include "app/PhaseTimer.h"
#include "blz/UniBmp.h"
#include "io/Exceptions.h"
#include "qt/BitmapQt.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Noise;
using testsupport::TempDir;

// What `load` leaves in `bitmap`: the error text, if any, and the picture as a BMP file.
template <typename Load>
std::pair<std::string, std::vector<uint8_t>> Outcome(TUniBitmap& bitmap, Load load) {
  std::string error;
  try {
    load(bitmap);
  } catch (const Exception& e) {
    error = e.what();
  }
  return {error, testsupport::Written(bitmap)};
}

TEST(ImageFileReader, GivesWhatLoadFromFileGives) {
  TempDir dir;
  const TUniBitmap before = Noise(5, 4, TPixelFormat::pf8bit, 1, 3);
  std::vector<std::string> files;
  for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pf4bit}) {
    const TUniBitmap picture = Noise(211, 173, format, static_cast<unsigned>(format), 3);
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
  TImageFileReader reader;
  TPhaseTimer timer("test");
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    TUniBitmap expected(before), actual(before);
    const auto want = Outcome(expected, [&](TUniBitmap& b) { b.LoadFromFile(file); });
    // Twice through one reader: its kept buffers must not change the result.
    for (int pass = 0; pass < 2; ++pass)
      EXPECT_EQ(Outcome(actual, [&](TUniBitmap& b) { reader.Load(b, file, timer); }), want);
  }
}

TEST(BitmapView, PaintsTheBitmapsPixelsWhereverExposed) {
  auto bitmap = std::make_shared<TUniBitmap>(Noise(300, 200, TPixelFormat::pf24bit, 9, 3));
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
