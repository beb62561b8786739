// TImageLoader: the attempt order, the conversion, failures; and the command line's readers.
#include "TestSupport.h"
#include "graphics/Exceptions.h"
#include "import/FormatReader.h"
#include "import/SLoadImg.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

constexpr TColor kUnchecked = ~TColor{0};

// Sample files of each kind, made once in a temporary folder.
class Loader : public testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!HaveTool("cjpeg") || !HaveTool("convert") || !HaveTool("icotool")) return;
    dir = std::make_unique<TempDir>();
    const std::string cd = "cd '" + dir->Path().string() + "' && ";
    ASSERT_EQ(testsupport::Run(
                  cd +
                  "convert -size 21x13 plasma:fractal -seed 3 -depth 8 p.ppm && "
                  "cjpeg p.ppm > photo.jpg && djpeg -pnm photo.jpg > photo.ppm && "
                  "convert -size 48x48 xc:red PNG32:r.png && icotool -c -o icon.ico r.png && "
                  "convert p.ppm -depth 8 BMP3:plain.bmp && printf 'hello world\\n' > text.txt && "
                  ": > empty.bin && convert p.ppm +dither -colors 16 g.gif && "
                  "convert g.gif -depth 8 g.ppm && convert p.ppm pc.pcx && "
                  "convert -size 5x3 xc:'rgba(200,100,50,0.25)' BMP:alpha.bmp"),
              0);
  }
  void SetUp() override {
    if (!dir) GTEST_SKIP();
  }
  std::string File(const std::string& name) const { return dir->File(name); }
  std::string CopyAs(const std::string& from, const std::string& to) const {
    fs::copy_file(File(from), File(to), fs::copy_options::overwrite_existing);
    return File(to);
  }

  static inline std::unique_ptr<TempDir> dir;
};

// Each kind is read by its extension, in any case, and by its content under another name: a
// GIF named .pcx (the PCX decoder refuses it, the GIF probe reads it), a BMP with alpha (it
// keeps its colours, as the direct read does).
TEST_F(Loader, ReadsEachKindByExtensionAndByContent) {
  const struct {
    const char *source, *name;
    int width, height;
    const char* reference = nullptr; // the picture's pixels
    TColor centre = kUnchecked;
  } cases[] = {{"photo.jpg", "b.JPEG", 21, 13},
               {"photo.jpg", "c.xyz", 21, 13, "photo.ppm"},
               {"photo.jpg", "d.ico", 21, 13},
               {"photo.jpg", "noext", 21, 13},
               {"icon.ico", "e.ico", 32, 32, nullptr, clRed},
               {"icon.ico", "f.dat", 32, 32},
               {"plain.bmp", "g.BMP", 21, 13},
               {"plain.bmp", "h.jpg", 21, 13},
               {"g.gif", "i.GIF", 21, 13},
               {"g.gif", "k.pcx", 21, 13, "g.ppm"},
               {"pc.pcx", "l.xyz", 21, 13},
               {"alpha.bmp", "alpha.xyz", 5, 3, nullptr, RGB(200, 100, 50)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TImageLoader loader;
    loader.tryLoadImageFile(CopyAs(c.source, c.name));
    EXPECT_EQ(loader.Width(), c.width);
    EXPECT_EQ(loader.Height(), c.height);
    EXPECT_EQ(loader.BitsPerPixel(), 24);
    EXPECT_EQ(c.reference ? ComparePixels(loader, ReadNetpbm(File(c.reference))) : "", "");
    EXPECT_EQ(c.centre == kUnchecked ? c.centre : loader.GetPixel(c.width / 2, c.height / 2),
              c.centre);
  }
}

TEST_F(Loader, NothingReadableRaisesNotKnownFormatAndKeepsThePreviousImage) {
  TImageLoader loader;
  loader.tryLoadImageFile(File("photo.jpg"));
  const TBitmap before = loader;
  for (const std::string name : {"empty.bin", "text.txt", "missing.gif", "empty.bin.jpg"}) {
    SCOPED_TRACE(name);
    if (name == "empty.bin.jpg") CopyAs("empty.bin", name);
    try {
      loader.tryLoadImageFile(File(name));
      ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "Not Known Format");
    }
    ASSERT_EQ(loader.Width(), before.Width());
    EXPECT_TRUE(std::equal(loader.Bits().begin(), loader.Bits().end(), before.Bits().begin()));
  }
  loader.tryLoadImageFile(File("icon.ico"));
  EXPECT_EQ(loader.Width(), 32);
}

TEST_F(Loader, FormatOptionUsesOneClassAndItsOwnError) {
  TUniBitmap target;
  LoadByFormat("jpeg", File("photo.jpg"), target);
  EXPECT_EQ(ComparePixels(target, ReadNetpbm(File("photo.ppm"))), "");
  LoadByFormat("ICO", File("icon.ico"), target);
  EXPECT_EQ(target.Width(), 32);
  const struct {
    const char* format;
    const char* file;
    const char* message;
  } errors[] = {
      {"jpeg", "plain.bmp", "Not a JPEG file"},
      {"ico", "photo.jpg", "not an icon"},
      {"wmf", "photo.jpg", "not a Windows metafile"},
      {"tiff", "photo.jpg", "Unknown format \"tiff\""},
  };
  for (const auto& e : errors) {
    SCOPED_TRACE(e.format);
    try {
      LoadByFormat(e.format, File(e.file), target);
      ADD_FAILURE() << "no error";
    } catch (const Exception& x) {
      EXPECT_NE(std::string(x.what()).find(e.message), std::string::npos) << x.what();
    }
    EXPECT_EQ(target.Width(), 32);
  }
}

TEST_F(Loader, WindowReadsBmpDibAndBlzNamesDirectly) {
  EXPECT_EQ(WindowExtension("/a.b/c.Blz"), ".BLZ");
  EXPECT_EQ(WindowExtension("/a.b/c"), "");
  TImageLoader loader;
  TUniBitmap target;
  // A JPEG under a name the window takes for a bitmap is read as one, and fails as one (the
  // real-world corpus test reads every other name through the loader).
  for (const char* name : {"x.bmp", "x.DIB", "x.bm", "x."}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(LoadAsWindowDoes(CopyAs("photo.jpg", name), target, loader), Exception);
  }
}

} // namespace
