#include "TestSupport.h"
#include "bmp/Bitmap.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() / ("vantrel-test-" + std::to_string(rd()));
    if (fs::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::vector<uint8_t> ReadFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + fileName);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  std::ofstream out(fileName, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + fileName);
}

int Run(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HaveTool(const std::string& tool) {
  return Run("command -v " + tool + " >/dev/null 2>&1") == 0;
}

std::vector<uint8_t> Hex(const std::string& text) {
  std::vector<uint8_t> bytes;
  std::istringstream in(text);
  std::string word;
  while (in >> word)
    bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  return bytes;
}

std::vector<std::string> KeptFiles(const std::string& reader, const std::string& outcome) {
  std::ifstream manifest(VANTREL_TEST_DATA "/corpora.tsv");
  std::vector<std::string> files;
  for (std::string line; std::getline(manifest, line);) {
    const std::string row = reader + "\tregressions/";
    const size_t end = line.find('\t', row.size());
    if (line.starts_with(row) && end != std::string::npos &&
        line.compare(end, outcome.size() + 1, "\t" + outcome) == 0)
      files.push_back(VANTREL_TEST_DATA "/" +
                      line.substr(reader.size() + 1, end - reader.size() - 1));
  }
  return files;
}

fs::path CorporaDir() {
  for (fs::path dir = fs::current_path(); !dir.empty(); dir = dir.parent_path()) {
    fs::path candidate = dir / ".." / "shared" / "corpora";
    if (fs::is_directory(candidate)) return fs::canonical(candidate);
    if (dir == dir.parent_path()) break;
  }
  if (const char* env = std::getenv("VANTREL_CORPORA"); env && fs::is_directory(env)) return env;
  return {};
}

std::vector<uint8_t> Written(const TBitmap& bitmap) {
  return Saved([&](TStream& stream) { bitmap.SaveToStream(stream); });
}

TUniBitmap Noise(int width, int height, TPixelFormat format, unsigned seed, unsigned every) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, format);
  std::mt19937 random(seed);
  for (uint8_t& byte : bitmap.Bits())
    byte = static_cast<uint8_t>(random() % every == 0 ? random() : 0x33);
  bitmap.ClearRowPadding();
  return bitmap;
}

namespace {
std::string Token(std::istream& in) {
  std::string token;
  while (in >> token) {
    if (token[0] != '#') return token;
    std::string rest;
    std::getline(in, rest);
  }
  throw std::runtime_error("truncated netpbm header");
}
} // namespace

Image ReadNetpbm(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + fileName);
  std::string magic = Token(in);
  Image image;
  int maxval = 1, depth = 3;
  if (magic == "P7") {
    const std::map<std::string, int*> fields = {
        {"WIDTH", &image.width}, {"HEIGHT", &image.height}, {"DEPTH", &depth}, {"MAXVAL", &maxval}};
    for (std::string key; (key = Token(in)) != "ENDHDR";)
      if (const std::string value = Token(in); fields.contains(key))
        *fields.at(key) = std::stoi(value);
  } else {
    image.width = std::stoi(Token(in));
    image.height = std::stoi(Token(in));
    if (magic != "P4") maxval = std::stoi(Token(in));
    depth = magic == "P6" ? 3 : 1;
  }
  in.get();
  image.alpha = depth == 2 || depth == 4;
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  int byte = 0, bitsLeft = 0; // a PBM row's bits, 1 for black
  auto sample = [&]() -> uint32_t {
    if (magic == "P4") {
      if (bitsLeft == 0) byte = in.get(), bitsLeft = 8;
      return byte >> --bitsLeft & 1 ? 0 : 255;
    }
    if (maxval < 256) return in.get() * 255 / maxval;
    const int hi = in.get();
    return (hi << 8 | in.get()) * 255 / maxval;
  };
  for (int y = 0; y < image.height; ++y, bitsLeft = 0)
    for (int x = 0; x < image.width; ++x) {
      const uint32_t r = sample(), g = depth >= 3 ? sample() : r, b = depth >= 3 ? sample() : r;
      const uint32_t a = image.alpha ? sample() : 255;
      image.pixels[static_cast<size_t>(y) * image.width + x] = a << 24 | r << 16 | g << 8 | b;
    }
  if (!in) throw std::runtime_error("truncated netpbm data in " + fileName);
  return image;
}

namespace {
uint32_t Argb(const TBitmap& bitmap, int x, int y) {
  const TColor c = bitmap.GetPixel(x, y);
  const uint32_t alpha = bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha()
                             ? bitmap.ScanLine(y)[4 * x + 3]
                             : 255;
  return alpha << 24 | uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c);
}
} // namespace

std::string ComparePixels(const TBitmap& bitmap, const Image& reference, int tolerance, int bits) {
  if (bitmap.Width() != reference.width || bitmap.Height() != reference.height)
    return "size " + std::to_string(bitmap.Width()) + "x" + std::to_string(bitmap.Height()) +
           " instead of " + std::to_string(reference.width) + "x" +
           std::to_string(reference.height);
  const bool alpha =
      reference.alpha && bitmap.PixelFormat() == TPixelFormat::pf32bit && bitmap.HasAlpha();
  const int keep = 0xFF << (8 - bits) & 0xFF;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const uint32_t ours = Argb(bitmap, x, y);
      const uint32_t theirs = reference.pixels[size_t(y) * size_t(reference.width) + size_t(x)];
      if (theirs >> 24 == 0 && (!alpha || ours >> 24 == 0)) continue;
      for (int shift = 0; shift < (alpha ? 32 : 24); shift += 8) {
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

} // namespace testsupport
