// Every file of the real-world corpus, read as the window reads it, held to the expectation
// tests/data/realworld.tsv records for it: decoded like the format's own peer decoder (within
// 2 levels, as the corpus tool counts), decoded, or refused with the recorded text.
#include "../import/ReferencePixels.h"
#include "TestSupport.h"
#include "graphics/Exceptions.h"
#include "import/FormatReader.h"

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The peer decoders, writing a netpbm image to standard output.
const std::map<std::string, std::string> kPeers = {{"gif", "giftopnm"},
                                                   {"pcx", "pcxtoppm"},
                                                   {"iff", "ilbmtoppm"},
                                                   {"bmp", "bmptopnm"},
                                                   {"jpeg", "djpeg -pnm"}};

TEST(RealWorldCorpus, EachFileMeetsItsRecordedExpectation) {
  const fs::path corpus = testsupport::CorporaDir() / "realworld";
  if (testsupport::CorporaDir().empty() || !fs::is_directory(corpus))
    GTEST_SKIP() << "the real-world corpus is absent";
  for (const auto& [format, tool] : kPeers)
    if (!testsupport::HaveTool(tool.substr(0, tool.find(' ')))) GTEST_SKIP() << tool;
  std::ifstream manifest(VANTREL_TEST_DATA "/realworld.tsv");
  testsupport::TempDir dir;
  int files = 0;
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name, expectation, detail;
    std::getline(fields, name, '\t');
    std::getline(fields, expectation, '\t');
    std::getline(fields, detail, '\t');
    SCOPED_TRACE(name + " (" + expectation + ")");
    ++files;
    const std::string file = (corpus / name).string();
    TUniBitmap target;
    TImageLoader loader;
    std::string error;
    try {
      LoadAsWindowDoes(file, target, loader);
    } catch (const Exception& e) {
      error = e.what();
    }
    if (expectation == "refused") {
      EXPECT_EQ(error, detail);
      continue;
    }
    ASSERT_EQ(error, "");
    EXPECT_GT(target.Width(), 0);
    if (expectation != "peer") continue;
    const std::string peer = kPeers.at(name.substr(0, name.find('/')));
    // djpeg exits with 2 after a warning, having written the picture.
    const int status =
        testsupport::Run(peer + " '" + file + "' > '" + dir.File("peer.pnm") + "' 2>/dev/null");
    ASSERT_TRUE(status == 0 || status == 2);
    EXPECT_TRUE(
        referencetest::SamePixels(target, testsupport::ReadNetpbm(dir.File("peer.pnm")), 2));
  }
  EXPECT_GT(files, 400);
}

} // namespace
