#include "HandMade.h"
#include "TestSupport.h"
#include "blz/UniBmp.h"
#include "io/ByteReader.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// Eight colours in diagonal stripes, 37 wide so that every row has padding.
QImage Pattern() {
  static const QRgb colours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                                 0x0000FF, 0xFFFF00, 0x808080, 0x3060A0};
  QImage image(37, 23, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, colours[(x + 2 * y) % 8]);
  return image;
}

// The pattern as a file of `kind`, made without the plugin (LBM by netpbm).
std::vector<uint8_t> PatternFile(const std::string& kind, const testsupport::TempDir& dir) {
  if (kind == "lbm") {
    Pattern().save(QString::fromStdString(dir.File("in.ppm")), "PPM");
    testsupport::Run("ppmtoilbm " + dir.File("in.ppm") + " > " + dir.File("in.lbm"));
    return testsupport::ReadFile(dir.File("in.lbm"));
  }
  TUniBitmap bitmap;
  QImageToBitmap(Pattern(), bitmap);
  const std::vector<uint8_t> file = testsupport::Saved([&](TStream& out) {
    if (kind == "packed") bitmap.SaveToPackedBmpStream(out);
    if (kind == "stream") bitmap.SaveToBLZStream(out);
    if (kind == "bmp" || kind == "clp") bitmap.SaveToStream(out);
  });
  // A clipboard file with one CF_DIB entry: the BMP image without its file header.
  if (kind == "clp") return testsupport::ClipboardFile({{8, {file.begin() + 14, file.end()}}});
  return file;
}

class PluginTest : public testing::Test {
protected:
  static void SetUpTestSuite() { QCoreApplication::addLibraryPath(VANTREL_QT_PLUGIN_DIR); }
  QImage Read(const std::vector<uint8_t>& file, QByteArray* format = nullptr) {
    // No telling name: the plugin has to know the file by its content.
    testsupport::WriteFile(dir_.File("picture.bin"), file);
    QImageReader reader(QString::fromStdString(dir_.File("picture.bin")));
    if (format) *format = reader.format();
    const QImage image = reader.read();
    error_ = reader.errorString();
    return image.convertToFormat(QImage::Format_RGB32);
  }
  testsupport::TempDir dir_;
  QString error_;
};

// Each format read by content; a plain BMP stays with Qt's own reader.
TEST_F(PluginTest, ReadsEachFormatByContent) {
  const std::pair<const char*, const char*> cases[] = {
      {"packed", "blz"}, {"stream", "blz"}, {"clp", "clp"}, {"lbm", "lbm"}, {"bmp", "bmp"}};
  for (const auto& [kind, expected] : cases) {
    SCOPED_TRACE(kind);
    QByteArray format;
    EXPECT_EQ(Read(PatternFile(kind, dir_), &format), Pattern());
    EXPECT_EQ(format, expected);
  }
}

// Each subtype writes its layout; the command line accepts the file and it reads back equal.
TEST_F(PluginTest, WritesBlzThatVerifiesAndReadsBack) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "BM"}, {"packed", "BM"}, {"stream", "LZRW"}};
  for (const auto& [subType, head] : cases) {
    SCOPED_TRACE(subType);
    const std::string name = dir_.File("out.blz");
    QImageWriter writer(QString::fromStdString(name), "blz");
    if (*subType) writer.setSubType(subType);
    ASSERT_TRUE(writer.write(Pattern()));
    writer.setFileName({}); // closes the file
    const std::vector<uint8_t> file = testsupport::ReadFile(name);
    EXPECT_EQ(std::string(file.begin(), file.begin() + std::strlen(head)), head);
    EXPECT_EQ(testsupport::Run(std::string(VANTREL_CLI) + " verify " + name + " >/dev/null"), 0);
    EXPECT_EQ(Read(file), Pattern());
  }
}

// Damaged files fail with the decoder's reason in the log, never a crash or half an image.
TEST_F(PluginTest, DamagedFilesFailCleanly) {
  std::vector<uint8_t> packed = PatternFile("packed", dir_), stream = PatternFile("stream", dir_),
                       clp = PatternFile("clp", dir_);
  StoreU16LE(&stream[8], 0xFFFF);   // a record longer than the file
  StoreU32LE(&clp[10], 0x7FFFFFFF); // the bitmap entry far beyond the end
  packed.resize(60);                // truncated in the first record
  const std::vector<uint8_t> lbm = {'F', 'O', 'R', 'M', 0, 0, 0, 4, 'I', 'L', 'B', 'M'};
  static QString log;
  qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { log += text; });
  for (const auto& file : {packed, stream, clp, lbm}) {
    log.clear();
    EXPECT_TRUE(Read(file).isNull());
    EXPECT_FALSE(error_.isEmpty());
    EXPECT_TRUE(log.startsWith("Vantrel image plugin: ")) << log.toStdString();
  }
  qInstallMessageHandler(nullptr);
}

} // namespace
