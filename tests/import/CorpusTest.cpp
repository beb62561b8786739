// Every file of the shared public corpora does what tests/data/corpora.tsv says: equals its
// reference pixels, is refused with its message, or is read. Skipped without the corpora.
#include "TestSupport.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "import/SGIFImg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;
using testsupport::Image;

namespace {

std::unique_ptr<TBitmap> Read(const std::string& reader, const std::string& file) {
  if (reader == "gif") {
    auto bitmap = std::make_unique<TSGIFBitmap>();
    bitmap->LoadFromFile(file);
    return bitmap;
  }
  auto bitmap = std::make_unique<TBitmap>();
  ReadBmp(testsupport::ReadFile(file), *bitmap);
  return bitmap;
}

uint32_t Argb(const TBitmap& bitmap, int x, int y) {
  const TColor c = bitmap.GetPixel(x, y);
  const uint32_t alpha = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha()
                             ? bitmap.ScanLine(y)[4 * x + 3]
                             : 255;
  return alpha << 24 | uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c);
}

// Empty when equal, else the difference.
std::string Compare(const TBitmap& bitmap, const Image& reference, int tolerance) {
  if (bitmap.Width() != reference.width || bitmap.Height() != reference.height)
    return "size " + std::to_string(bitmap.Width()) + "x" + std::to_string(bitmap.Height()) +
           " instead of " + std::to_string(reference.width) + "x" +
           std::to_string(reference.height);
  const bool alpha = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha();
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const uint32_t ours = Argb(bitmap, x, y);
      const uint32_t theirs = reference.pixels[size_t(y) * size_t(reference.width) + size_t(x)];
      if (theirs >> 24 == 0 && (!alpha || ours >> 24 == 0)) continue;
      for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int(ours >> shift & 0xFF) - int(theirs >> shift & 0xFF)) > tolerance) {
          std::ostringstream text;
          text << "(" << x << "," << y << ") is " << std::hex << ours << " instead of " << theirs;
          return text.str();
        }
    }
  return "";
}

std::string Substitute(std::string command, const std::string& in, const std::string& ref) {
  for (const auto& [key, value] : {std::pair{"{in}", in}, {"{ref}", ref}})
    for (size_t at; (at = command.find(key)) != std::string::npos;)
      command.replace(at, std::string(key).size(), "'" + value + "'");
  return command;
}

TEST(Corpora, EveryFileDoesWhatTheManifestSays) {
  const fs::path corpora = testsupport::CorporaDir();
  if (corpora.empty()) GTEST_SKIP() << "no shared corpora";
  testsupport::TempDir temp;
  std::ifstream manifest(VANTREL_TEST_DATA "/corpora.tsv");
  int checked = 0;
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string reader, file, outcome;
    std::getline(fields, reader, '\t'), std::getline(fields, file, '\t');
    std::getline(fields, outcome);
    SCOPED_TRACE(file + ": " + outcome);
    std::unique_ptr<TBitmap> bitmap;
    std::string error = "(none)";
    try {
      bitmap = Read(reader, (corpora / file).string());
    } catch (const Exception& e) {
      error = e.what();
    }
    ++checked;
    if (outcome.starts_with("! ")) {
      EXPECT_TRUE(error.starts_with(outcome.substr(2))) << "error: " << error;
      continue;
    }
    ASSERT_TRUE(bitmap) << error;
    if (outcome == "ok") continue;
    std::vector<std::string> references;
    int tolerance = 0;
    if (outcome.starts_with("= $ ")) {
      const std::string command = outcome.substr(4);
      if (!testsupport::HaveTool(command.substr(0, command.find(' ')))) continue;
      references = {temp.File("reference.pam")};
      ASSERT_EQ(testsupport::Run(Substitute(command, (corpora / file).string(), references[0]) +
                                 " 2>/dev/null"),
                0);
    } else {
      std::istringstream words(outcome.substr(2));
      std::string names, within;
      words >> names >> within;
      if (within.starts_with("~")) tolerance = std::stoi(within.substr(1));
      std::istringstream list(names);
      for (std::string name; std::getline(list, name, '|');)
        references.push_back((corpora / name).string());
    }
    std::string differences;
    for (const std::string& reference : references) {
      const std::string why = Compare(*bitmap, testsupport::ReadNetpbm(reference), tolerance);
      if (why.empty()) {
        differences.clear();
        break;
      }
      differences += reference + ": " + why + "; ";
    }
    EXPECT_EQ(differences, "");
  }
  EXPECT_GT(checked, 200);
}

} // namespace
