#include "TestSupport.h"
#include "bitmap/UniBmp.h"
#include "graphics/ByteReader.h"
#include "graphics/Streams.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

constexpr int kWidth = 37, kHeight = 23;

// Eight colours in diagonal stripes: odd width, so every row has padding.
QRgb Pattern(int x, int y) {
  static const QRgb colours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                 0x0000FF, 0xFFFF00, 0x808080, 0x3060A0};
  return 0xFF000000 | colours[(x + 2 * y) % 8];
}

std::vector<uint8_t> Bytes(TMemoryStream& stream) {
  return {stream.Bytes().begin(), stream.Bytes().end()};
}

std::vector<uint8_t> PatternFile(const std::string& kind, const testsupport::TempDir& dir) {
  TUniBitmap bitmap;
  bitmap.Allocate(kWidth, kHeight, TPixelFormat::pf24bit);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* pixel = bitmap.ScanLine(y) + 3 * x;
      pixel[0] = qBlue(Pattern(x, y)), pixel[1] = qGreen(Pattern(x, y));
      pixel[2] = qRed(Pattern(x, y));
    }
  bitmap.ClearRowPadding();
  TMemoryStream out;
  if (kind == "packed") bitmap.SaveToPackedBmpStream(out);
  if (kind == "stream") bitmap.SaveToBLZStream(out);
  if (kind == "bmp" || kind == "clp") bitmap.SaveToStream(out);
  std::vector<uint8_t> file = Bytes(out);
  if (kind == "clp") {
    // One CF_DIB entry: the BMP image without its file header.
    std::vector<uint8_t> clp(4 + 89);
    StoreU16LE(&clp[0], 50000), StoreU16LE(&clp[2], 1), StoreU16LE(&clp[4], 8);
    StoreU32LE(&clp[6], static_cast<uint32_t>(file.size() - 14));
    StoreU32LE(&clp[10], static_cast<uint32_t>(clp.size()));
    clp.insert(clp.end(), file.begin() + 14, file.end());
    return clp;
  }
  if (kind == "lbm") {
    // The ILBM comes from netpbm, not from our own code.
    std::ofstream ppm(dir.File("in.ppm"), std::ios::binary);
    ppm << "P6\n" << kWidth << " " << kHeight << "\n255\n";
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        ppm << char(qRed(Pattern(x, y))) << char(qGreen(Pattern(x, y)))
            << char(qBlue(Pattern(x, y)));
    ppm.close();
    if (testsupport::Run("ppmtoilbm " + dir.File("in.ppm") + " > " + dir.File("in.lbm") +
                         " 2>/dev/null") != 0)
      return {};
    return testsupport::ReadFile(dir.File("in.lbm"));
  }
  return file;
}

class PluginTest : public testing::Test {
protected:
  static void SetUpTestSuite() { QCoreApplication::addLibraryPath(VANTREL_QT_PLUGIN_DIR); }
  testsupport::TempDir dir_;
};

void ExpectPattern(const QImage& image) {
  ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      ASSERT_EQ(image.pixel(x, y), Pattern(x, y)) << x << "," << y;
}

// Read by content alone: the file name says nothing. A plain BMP stays with Qt's reader.
TEST_F(PluginTest, ReadsEachFormatByContent) {
  const struct {
    const char* kind;
    const char* format;
  } cases[] = {
      {"packed", "blz"}, {"stream", "blz"}, {"clp", "clp"}, {"lbm", "lbm"}, {"bmp", "bmp"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::vector<uint8_t> file = PatternFile(c.kind, dir_);
    if (file.empty()) GTEST_SKIP() << "netpbm's ppmtoilbm is missing";
    testsupport::WriteFile(dir_.File("picture.bin"), file);
    QImageReader reader(QString::fromStdString(dir_.File("picture.bin")));
    EXPECT_EQ(reader.format(), c.format);
    ExpectPattern(reader.read());
  }
}

// Each subtype writes its layout; the command line accepts the file and it reads back equal.
TEST_F(PluginTest, WritesBlzThatVerifiesAndReadsBack) {
  const struct {
    const char* subType;
    const char* head;
  } cases[] = {{"", "BM"}, {"packed", "BM"}, {"stream", "LZRW"}};
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      image.setPixel(x, y, Pattern(x, y));
  EXPECT_TRUE(QImageWriter::supportedImageFormats().contains("blz"));
  QImageWriter probe;
  probe.setFormat("blz");
  EXPECT_EQ(probe.supportedSubTypes(), QList<QByteArray>({"packed", "stream"}));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.subType);
    const std::string name = dir_.File("out.blz");
    QImageWriter writer(QString::fromStdString(name), "blz");
    if (*c.subType) writer.setSubType(c.subType);
    ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    writer.setFileName({}); // closes the file
    const std::vector<uint8_t> file = testsupport::ReadFile(name);
    EXPECT_EQ(std::string(file.begin(), file.begin() + std::strlen(c.head)), c.head);
    EXPECT_EQ(testsupport::Run(std::string(VANTREL_CLI) + " verify " + name + " >/dev/null"), 0);
    ExpectPattern(QImageReader(QString::fromStdString(name)).read());
  }
}

// Damaged files fail with a message, never a crash or a half-read image.
TEST_F(PluginTest, DamagedFilesFailCleanly) {
  std::vector<uint8_t> packed = PatternFile("packed", dir_);
  std::vector<uint8_t> stream = PatternFile("stream", dir_);
  std::vector<uint8_t> clp = PatternFile("clp", dir_);
  std::vector<uint8_t> badRecord = stream;
  StoreU16LE(&badRecord[8], 0xFFFF); // first record longer than the file
  std::vector<uint8_t> clpOffset = clp;
  StoreU32LE(&clpOffset[10], 0x7FFFFFFF);
  const std::vector<uint8_t> cases[] = {{packed.begin(), packed.begin() + 60},
                                        badRecord,
                                        clpOffset,
                                        {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'L', 'B', 'M'}};
  static QString warnings;
  qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings += text + "\n"; });
  for (const auto& file : cases) {
    warnings.clear();
    testsupport::WriteFile(dir_.File("damaged.bin"), file);
    QImageReader reader(QString::fromStdString(dir_.File("damaged.bin")));
    EXPECT_TRUE(reader.read().isNull());
    EXPECT_FALSE(reader.errorString().isEmpty());
    EXPECT_TRUE(warnings.startsWith("Vantrel image plugin: ")) << warnings.toStdString();
  }
  qInstallMessageHandler(nullptr);
}

} // namespace
