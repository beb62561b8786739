// Data-driven reading tests. tests/data/corpora.tsv names each file of the shared public
// suites, a picture that an independent encoder makes at test time, or a hand-made file kept
// under tests/data/regressions, and realworld.tsv
// each file of the real-world corpus, with what reading it must give: its reference pixels,
// a refusal with its message, or just a picture.
#include "TestSupport.h"
#include "bmp/Bitmap.h"
#include "formats/FormatTable.h"
#include "io/Exceptions.h"
#include "qt/FormatReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;
using testsupport::Image;

namespace {

// "loader" is what the window does with a file it opens; a name of the format table that
// format's core decoder alone, with the bitmap it makes, or the Qt layer's class of a format
// the core does not decode.
std::unique_ptr<TBitmap> Read(const std::string& reader, const std::string& file) {
  if (reader == "loader") {
    auto bitmap = std::make_unique<TUniBitmap>();
    TImageLoader loader;
    LoadAsWindowDoes(file, *bitmap, loader);
    return bitmap;
  }
  const TInputFormat* format = FindInputFormat(reader);
  if (!format) throw std::invalid_argument("no such format: " + reader);
  if (!format->decode) {
    auto bitmap = std::make_unique<TUniBitmap>();
    LoadByFormat(reader, file, *bitmap);
    return bitmap;
  }
  TMemoryStream contents;
  ReadWholeFile(file, contents);
  return std::make_unique<TBitmap>(format->decode(contents));
}

// The source picture of a made file, "COLOURS WxH" ("rgb" for any colour, "rgba" with
// alpha): runs of equal pixels broken by noise, each of the first row's pixels a colour of its
// own. Written as {pam} (with alpha) and {ppm}.
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

// The rows of `manifest` for made and kept files, or for corpus files; returns their count.
int CheckManifestRows(const std::string& manifestName, bool made) {
  const fs::path corpora = testsupport::CorporaDir();
  testsupport::TempDir temp;
  std::map<std::string, std::string> files = {{"{pam}", temp.File("source.pam")},
                                              {"{ppm}", temp.File("source.ppm")},
                                              {"{in}", temp.File("made")},
                                              {"{ref}", temp.File("reference.pam")}};
  std::ifstream manifest(VANTREL_TEST_DATA "/" + manifestName);
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
    const bool kept = input.starts_with("regressions/");
    if (made != (colon != std::string::npos || kept) || (!made && corpora.empty())) continue;
    if (!command.empty() && !HaveToolOf(command)) continue;
    if (made && !kept) {
      const std::string make = input.substr(colon + 2);
      if (!HaveToolOf(make)) continue;
      files["{in}"] = temp.File("made");
      WriteSource(input.substr(0, colon), files.at("{pam}"), files.at("{ppm}"));
      EXPECT_EQ(testsupport::Run(Substitute(make, files) + " 2>/dev/null"), 0);
    } else {
      files["{in}"] = ((kept ? fs::path(VANTREL_TEST_DATA) : corpora) / input).string();
    }
    const std::string file = files.at("{in}");
    std::unique_ptr<TBitmap> bitmap;
    const std::string error =
        testsupport::ThrownText<Exception>([&] { bitmap = Read(reader, file); });
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
    if (outcome == "ok") continue;
    std::vector<std::string> references;
    if (outcome == "= source") {
      references = {files.at("{pam}")};
    } else if (!command.empty()) {
      EXPECT_EQ(testsupport::Run(Substitute(command, files) + " 2>/dev/null"), 0);
      references = {files.at("{ref}")};
    } else {
      std::istringstream list(outcome.substr(2));
      for (std::string name; std::getline(list, name, '|');)
        references.push_back(((kept ? fs::path(VANTREL_TEST_DATA) : corpora) / name).string());
    }
    std::string differences;
    for (const std::string& reference : references) {
      const std::string why =
          testsupport::ComparePixels(*bitmap, testsupport::ReadNetpbm(reference), tolerance, bits);
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
  EXPECT_GT(CheckManifestRows("corpora.tsv", false), 200);
}

TEST(Corpora, RealWorldFilesReadAsTheWindowReadsThem) {
  if (testsupport::CorporaDir().empty()) GTEST_SKIP() << "no shared corpora";
  EXPECT_GT(CheckManifestRows("realworld.tsv", false), 400);
}

TEST(Corpora, MadeAndKeptFilesDoWhatTheManifestSays) {
  EXPECT_GT(CheckManifestRows("corpora.tsv", true), 90);
}

} // namespace
