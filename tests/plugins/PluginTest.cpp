// gdk-pixbuf before Qt: GLib names a member "signals", which Qt defines as a keyword.
#define GDK_PIXBUF_ENABLE_BACKEND
#include <gdk-pixbuf/gdk-pixbuf-io.h>

#include "HandMade.h"
#include "TestSupport.h"
#include "blz/UniBmp.h"
#include "io/ByteReader.h"
#include "io/Streams.h"
#include "qt/BitmapQt.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>
#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

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
  // Sub-types in any case; one not offered leaves the packed layout.
  const std::pair<const char*, const char*> cases[] = {
      {"", "BM"}, {"packed", "BM"}, {"stream", "LZRW"}, {"STREAM", "LZRW"}, {"zip", "BM"}};
  for (const auto& [subType, head] : cases) {
    SCOPED_TRACE(subType);
    const std::string name = dir_.File("out.blz");
    QImageWriter writer(QString::fromStdString(name), "blz");
    ASSERT_TRUE(writer.canWrite()); // opens the file: a handler is made for an open one only
    EXPECT_EQ(writer.supportedSubTypes(), (QList<QByteArray>{"packed", "stream"}));
    if (*subType) writer.setSubType(subType);
    ASSERT_TRUE(writer.write(Pattern()));
    writer.setFileName({}); // closes the file
    const std::vector<uint8_t> file = testsupport::ReadFile(name);
    EXPECT_EQ(std::string(file.begin(), file.begin() + std::strlen(head)), head);
    EXPECT_EQ(testsupport::Run(std::string(VANTREL_CLI) + " verify " + name + " >/dev/null"), 0);
    EXPECT_EQ(Read(file), Pattern());
  }
  // One writer keeps its handler: each picture takes the sub-type set last.
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "blz");
  for (const QByteArray subType : {"stream", "packed", "stream"}) {
    const qint64 start = buffer.pos();
    writer.setSubType(subType);
    ASSERT_TRUE(writer.write(Pattern()));
    EXPECT_EQ(buffer.data().mid(start, 2), subType == "stream" ? "LZ" : "BM");
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

// The gdk-pixbuf loader as gdk-pixbuf drives it: loaded from the build, told of by its
// format table, fed a file in pieces.
class PixbufLoaderTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    void* module = dlopen(VANTREL_PIXBUF_LOADER, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    reinterpret_cast<void (*)(GdkPixbufModule*)>(dlsym(module, "fill_vtable"))(&loader_);
    reinterpret_cast<void (*)(GdkPixbufFormat*)>(dlsym(module, "fill_info"))(&info_);
  }
  // The picture the loader prepares, or a null image with the error in `code_` and `error_`.
  QImage Read(const std::vector<uint8_t>& file, bool sizeOnly = false) {
    struct TSeen {
      bool sizeOnly;
      int width = -1, height = -1;
      QImage image;
    } seen{sizeOnly};
    const auto size = [](int* w, int* h, gpointer s) {
      auto* state = static_cast<TSeen*>(s);
      state->width = *w, state->height = *h;
      if (state->sizeOnly) *w = *h = 0;
    };
    const auto prepared = [](GdkPixbuf* pixbuf, GdkPixbufAnimation*, gpointer s) {
      const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
      const QImage view(gdk_pixbuf_get_pixels(pixbuf), gdk_pixbuf_get_width(pixbuf),
                        gdk_pixbuf_get_height(pixbuf), gdk_pixbuf_get_rowstride(pixbuf),
                        alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
      static_cast<TSeen*>(s)->image = view.copy();
    };
    GError* error = nullptr;
    gpointer context = loader_.begin_load(size, prepared, nullptr, &seen, &error);
    bool loaded = context != nullptr;
    for (size_t at = 0; loaded && at < file.size(); at += 7) // in pieces, as gdk-pixbuf feeds
      loaded =
          loader_.load_increment(context, file.data() + at,
                                 static_cast<guint>(std::min<size_t>(7, file.size() - at)), &error);
    loaded = loader_.stop_load(context, &error) && loaded;
    code_ = error ? error->code : -1;
    error_ = error ? error->message : "";
    if (error) g_error_free(error);
    EXPECT_EQ(loaded, code_ == -1);
    if (sizeOnly) {
      EXPECT_TRUE(seen.image.isNull());
    }
    size_ = {seen.width, seen.height};
    return seen.image;
  }
  static inline GdkPixbufModule loader_{};
  static inline GdkPixbufFormat info_{};
  testsupport::TempDir dir_;
  int code_ = -1;
  std::string error_;
  QSize size_;
};

TEST_F(PixbufLoaderTest, ReadsEachFormatWithItsPixelsAndAlpha) {
  for (const char* kind : {"packed", "stream", "clp", "lbm"}) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(Read(PatternFile(kind, dir_)).convertToFormat(QImage::Format_RGB32), Pattern());
    EXPECT_EQ(size_, Pattern().size());
    EXPECT_TRUE(Read(PatternFile(kind, dir_), true).isNull());
    EXPECT_EQ(size_, Pattern().size());
  }
  QImage translucent = Pattern().convertToFormat(QImage::Format_ARGB32);
  translucent.setPixel(3, 4, 0x80FF0000);
  TUniBitmap bitmap;
  QImageToBitmap(translucent, bitmap);
  const QImage read = Read(testsupport::Saved([&](TStream& out) { bitmap.SaveToBLZStream(out); }));
  EXPECT_TRUE(read.hasAlphaChannel());
  EXPECT_EQ(read.convertToFormat(QImage::Format_ARGB32), translucent);
}

// Each failure reaches gdk-pixbuf as its kind, with the decoder's text.
TEST_F(PixbufLoaderTest, FailuresByKind) {
  std::vector<uint8_t> damaged = PatternFile("stream", dir_), huge = PatternFile("clp", dir_);
  StoreU16LE(&damaged[8], 0xFFFF); // a record longer than the file
  StoreU32LE(&huge[4 + 89 + 4], 65535), StoreU32LE(&huge[4 + 89 + 8], 65535); // the DIB's size
  const struct {
    std::vector<uint8_t> file;
    int code;
  } cases[] = {{damaged, GDK_PIXBUF_ERROR_CORRUPT_IMAGE},
               {huge, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY},
               {{'G', 'I', 'F', '8', '9', 'a'}, GDK_PIXBUF_ERROR_UNKNOWN_TYPE}};
  for (const auto& c : cases) {
    EXPECT_TRUE(Read(c.file).isNull());
    EXPECT_EQ(code_, c.code) << error_;
    EXPECT_FALSE(error_.empty());
  }
}

// What gdk-pixbuf matches files by: one pattern per signature, ' ' a byte that must match and
// 'x' any byte, four bytes told weighing more than two.
TEST_F(PixbufLoaderTest, ToldOfEverySignatureMimeTypeAndExtension) {
  EXPECT_STREQ(info_.name, "vantrel");
  EXPECT_EQ(info_.flags, 0u); // no saving offered: the loader only reads
  const struct {
    std::string prefix;
    std::string mask; // empty: every byte must match
    int relevance;
  } patterns[] = {{"LZRW", "", 100},
                  {"WRZL", "", 100},
                  {"BM" + std::string(28, 'x') + "LZRW", "  " + std::string(28, 'x') + "    ", 100},
                  {"BM" + std::string(28, 'x') + "WRZL", "  " + std::string(28, 'x') + "    ", 100},
                  {"FORMxxxxILBM", "    xxxx    ", 100},
                  {"FORMxxxxPBM", "    xxxx   ", 100},
                  {"P\xC3", "", 80}};
  size_t i = 0;
  for (; info_.signature[i].prefix; ++i) {
    ASSERT_LT(i, std::size(patterns));
    EXPECT_EQ(info_.signature[i].prefix, patterns[i].prefix) << i;
    EXPECT_EQ(info_.signature[i].mask ? info_.signature[i].mask : "", patterns[i].mask) << i;
    EXPECT_EQ(info_.signature[i].relevance, patterns[i].relevance) << i;
  }
  EXPECT_EQ(i, std::size(patterns));
  std::vector<std::string> mimeTypes, extensions;
  for (gchar** m = info_.mime_types; *m; ++m)
    mimeTypes.push_back(*m);
  for (gchar** e = info_.extensions; *e; ++e)
    extensions.push_back(*e);
  EXPECT_EQ(mimeTypes, (std::vector<std::string>{"application/x-blz-image", "image/x-ilbm",
                                                 "application/x-clipboard-file"}));
  EXPECT_EQ(extensions, (std::vector<std::string>{"blz", "lbm", "ilbm", "clp"}));
}

} // namespace
