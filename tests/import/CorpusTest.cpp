// Data-driven reading tests. tests/data/corpora.tsv names each file of the shared public
// corpora, or a picture that an independent encoder makes at test time, and what reading it
// must give: its reference pixels, a refusal with its message, or just a picture.
#include "TestSupport.h"
#include "graphics/Bitmap.h"
#include "graphics/Exceptions.h"
#include "import/SGIFImg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <random>
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

// The source picture of a made file, "COLOURS WxH" ("rgb" for any colour, "rgba" with
// alpha): runs of equal pixels broken by noise, every colour used, odd sizes so that no row is
// a multiple of 4 bytes. Written as {pam} (with alpha) and {ppm}.
void WriteSource(const std::string& spec, const std::string& pam, const std::string& ppm) {
  std::istringstream words(spec);
  std::string colours;
  int width = 0, height = 0;
  char by = 0;
  words >> colours >> width >> by >> height;
  const bool alpha = colours == "rgba";
  const int count = colours.starts_with("rgb") ? 0 : std::stoi(colours);
  std::mt19937 random(static_cast<unsigned>(width * 131 + height * 7 + count));
  std::ofstream a(pam, std::ios::binary), b(ppm, std::ios::binary);
  a << "P7\nWIDTH " << width << "\nHEIGHT " << height << "\nDEPTH " << (alpha ? 4 : 3)
    << "\nMAXVAL 255\nTUPLTYPE " << (alpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
  b << "P6\n" << width << " " << height << "\n255\n";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int i = random() % 4 == 0 ? int(random() % 4096) : x / 3 + y / 2;
      if (count) i = y == 0 && x < count ? x : i % count;
      const char rgb[] = {char(i * 37), char(i * 11 + 5), char(255 - i)};
      a.write(rgb, 3), b.write(rgb, 3);
      if (alpha) a.put(char((x * 13 + y * 5) % 256));
    }
}

uint32_t Argb(const TBitmap& bitmap, int x, int y) {
  const TColor c = bitmap.GetPixel(x, y);
  const uint32_t alpha = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha()
                             ? bitmap.ScanLine(y)[4 * x + 3]
                             : 255;
  return alpha << 24 | uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c);
}

// Empty when equal, else the difference. Channels are equal within `tolerance`, or in their
// top `bits` (the file's precision: scaling n-bit values to 8 bits by rounding or by copying
// bits down then counts as equal). A fully transparent reference pixel matches any pixel of
// a reader without alpha.
std::string Compare(const TBitmap& bitmap, const Image& reference, int tolerance, int bits) {
  if (bitmap.Width() != reference.width || bitmap.Height() != reference.height)
    return "size " + std::to_string(bitmap.Width()) + "x" + std::to_string(bitmap.Height()) +
           " instead of " + std::to_string(reference.width) + "x" +
           std::to_string(reference.height);
  const bool alpha = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha();
  const int keep = 0xFF << (8 - bits) & 0xFF;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const uint32_t ours = Argb(bitmap, x, y);
      const uint32_t theirs = reference.pixels[size_t(y) * size_t(reference.width) + size_t(x)];
      if (theirs >> 24 == 0 && (!alpha || ours >> 24 == 0)) continue;
      for (int shift = 0; shift < 32; shift += 8) {
        const int a = int(ours >> shift & 0xFF), b = int(theirs >> shift & 0xFF);
        if (std::abs(a - b) > tolerance && (a & keep) != (b & keep)) {
          std::ostringstream text;
          text << "(" << x << "," << y << ") is " << std::hex << ours << " instead of " << theirs;
          return text.str();
        }
      }
    }
  return "";
}

std::string Substitute(std::string command, const std::map<std::string, std::string>& files) {
  for (const auto& [key, value] : files)
    for (size_t at; (at = command.find(key)) != std::string::npos;)
      command.replace(at, key.size(), "'" + value + "'");
  return command;
}

bool HaveToolOf(const std::string& command) {
  return testsupport::HaveTool(command.substr(0, command.find(' ')));
}

std::string PixelFormatName(TPixelFormat format) {
  static const char* const names[] = {"device", "1", "4", "8", "15", "16", "24", "32"};
  return names[static_cast<int>(format)];
}

// The rows of made files, or of corpus files, whose count is returned.
int CheckManifestRows(bool made) {
  const fs::path corpora = testsupport::CorporaDir();
  testsupport::TempDir temp;
  std::map<std::string, std::string> files = {{"{pam}", temp.File("source.pam")},
                                              {"{ppm}", temp.File("source.ppm")},
                                              {"{in}", temp.File("made")},
                                              {"{ref}", temp.File("reference.pam")}};
  std::ifstream manifest(VANTREL_TEST_DATA "/corpora.tsv");
  int checked = 0;
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string reader, input, outcome, format;
    std::getline(fields, reader, '\t'), std::getline(fields, input, '\t');
    std::getline(fields, outcome, '\t'), std::getline(fields, format);
    SCOPED_TRACE(input + ": " + outcome);
    // A last word "~N" or "@N" sets the tolerance or the precision of the comparison.
    int tolerance = 0, bits = 8;
    if (const size_t at = outcome.rfind(' ');
        at != std::string::npos && (outcome[at + 1] == '~' || outcome[at + 1] == '@')) {
      (outcome[at + 1] == '~' ? tolerance : bits) = std::stoi(outcome.substr(at + 2));
      outcome.resize(at);
    }
    const std::string command = outcome.starts_with("= $ ") ? outcome.substr(4) : "";
    const size_t colon = input.find(": ");
    if (made != (colon != std::string::npos) || (!made && corpora.empty())) continue;
    if (!command.empty() && !HaveToolOf(command)) continue;
    if (made) {
      const std::string make = input.substr(colon + 2);
      if (!HaveToolOf(make)) continue;
      files["{in}"] = temp.File("made");
      WriteSource(input.substr(0, colon), files.at("{pam}"), files.at("{ppm}"));
      EXPECT_EQ(testsupport::Run(Substitute(make, files) + " 2>/dev/null"), 0);
    } else {
      files["{in}"] = (corpora / input).string();
    }
    const std::string file = files.at("{in}");
    std::unique_ptr<TBitmap> bitmap;
    std::string error = "(none)";
    try {
      bitmap = Read(reader, file);
    } catch (const Exception& e) {
      error = e.what();
    }
    ++checked;
    if (outcome.starts_with("! ")) {
      EXPECT_TRUE(error.starts_with(outcome.substr(2))) << "error: " << error;
      continue;
    }
    if (!bitmap) {
      ADD_FAILURE() << error;
      continue;
    }
    if (!format.empty()) {
      EXPECT_EQ(PixelFormatName(bitmap->PixelFormat()), format);
    }
    std::vector<std::string> references;
    if (outcome == "ok") {
      continue;
    } else if (outcome == "= source") {
      references = {files.at("{pam}")};
    } else if (!command.empty()) {
      EXPECT_EQ(testsupport::Run(Substitute(command, files) + " 2>/dev/null"), 0);
      references = {files.at("{ref}")};
    } else {
      std::istringstream list(outcome.substr(2));
      for (std::string name; std::getline(list, name, '|');)
        references.push_back((corpora / name).string());
    }
    std::string differences;
    for (const std::string& reference : references) {
      const std::string why = Compare(*bitmap, testsupport::ReadNetpbm(reference), tolerance, bits);
      if (why.empty()) {
        differences.clear();
        break;
      }
      differences += reference + ": " + why + "; ";
    }
    EXPECT_EQ(differences, "");
  }
  return checked;
}

TEST(Corpora, FilesOfThePublicSuitesDoWhatTheManifestSays) {
  if (testsupport::CorporaDir().empty()) GTEST_SKIP() << "no shared corpora";
  EXPECT_GT(CheckManifestRows(false), 200);
}

TEST(Corpora, FilesOfIndependentEncodersReadAsTheirDecodersDo) {
  EXPECT_GT(CheckManifestRows(true), 20);
}

} // namespace
