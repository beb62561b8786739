#include "cli/Cli.h"

#include "blz/BlzErrors.h"
#include "blz/UniBmp.h"
#include "cli/Batch.h"
#include "cli/InfoLine.h"
#include "cli/Input.h"
#include "cli/Streaming.h"
#include "io/Exceptions.h"
#include "io/SafeFile.h"
#include "io/Streams.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifndef VANTREL_VERSION
#define VANTREL_VERSION "0"
#endif

namespace {

constexpr const char* kUsage =
    "usage: vantrel-cli pack   [--layout packed|stream] [--format FMT] INPUT OUTPUT\n"
    "       vantrel-cli pack   [--layout packed|stream] [--jobs N] --out-dir DIR INPUT...\n"
    "       vantrel-cli unpack [--format FMT] INPUT OUTPUT.bmp\n"
    "       vantrel-cli info   FILE...\n"
    "       vantrel-cli verify FILE...\n"
    "       vantrel-cli thumbnail INPUT OUTPUT.png SIZE\n"
    "       vantrel-cli --help | --version\n"
    "\n"
    "INPUT is read as the window reads it: BMP, DIB and BLZ names directly, anything else\n"
    "through the image loader. --format (bmp, blz, gif, pcx, lbm, clp, ico, wmf, emf, jpeg)\n"
    "reads with that one decoder alone. pack writes a BLZ file (packed-bitmap layout unless\n"
    "--layout stream); unpack writes the plain BMP image. Exit status: 0 success, 1 a file\n"
    "failed, 2 usage error.\n";

constexpr std::array kFormats = {"bmp", "blz", "gif", "pcx", "lbm",
                                 "clp", "ico", "wmf", "emf", "jpeg"};

bool IsKnownFormat(const std::string& format) {
  return format.empty() || std::find(kFormats.begin(), kFormats.end(), format) != kFormats.end();
}

struct UsageError {
  std::string message;
};

struct Options {
  std::string command;
  std::string layout = "packed";
  std::string format;
  std::string outDir;
  unsigned jobs = 0;
  std::vector<std::string> files;
};

Options Parse(int argc, char** argv) {
  Options o;
  if (argc < 2) throw UsageError{"no command given"};
  o.command = argv[1];
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{arg + " needs a value"};
      return argv[++i];
    };
    if (arg == "--layout") {
      o.layout = value();
      if (o.layout != "packed" && o.layout != "stream")
        throw UsageError{"--layout must be packed or stream"};
    } else if (arg == "--format") {
      o.format = value();
      if (!IsKnownFormat(o.format)) throw UsageError{"unknown format: " + o.format};
    } else if (arg == "--out-dir") {
      o.outDir = value();
    } else if (arg == "--jobs") {
      std::string v = value();
      char* end = nullptr;
      long n = std::strtol(v.c_str(), &end, 10);
      if (*end || n < 1 || n > 1024) throw UsageError{"--jobs needs a number from 1 to 1024"};
      o.jobs = static_cast<unsigned>(n);
    } else if (arg == "--") {
      for (++i; i < argc; ++i)
        o.files.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw UsageError{"unknown option: " + arg};
    } else {
      o.files.push_back(arg);
    }
  }
  return o;
}

void Pack(const Options& o, const std::string& input, const std::string& output) {
  const TBmpLayout layout = o.layout == "stream" ? TBmpLayout::BLZStream : TBmpLayout::PackedBitmap;
  if (ReadsDirectly(input, o.format) && StreamPack(input, layout, output) == TPath::Streamed)
    return;
  TUniBitmap bitmap;
  ReadInput(input, o.format, bitmap);
  if (o.layout == "stream")
    bitmap.SaveToBLZFile(output);
  else
    bitmap.SaveToPackedBmpFile(output);
}

// DIR/<name without its extension>.BLZ, as the window's quick save names its file.
std::string OutputName(const std::string& dir, const std::string& input) {
  std::filesystem::path name = std::filesystem::path(input).filename();
  return (std::filesystem::path(dir) / name.stem()).string() + ".BLZ";
}

std::string Info(const std::string& file) {
  if (std::optional<std::string> line = HeaderInfo(file)) return *line;
  TMemoryStream bytes;
  ReadWholeFile(file, bytes);
  TInfoFigures figures;
  figures.layout = RecognizeLayout(bytes.Bytes());
  figures.onDisk = bytes.Size();
  const bool bmp = bytes.Size() >= 2 && bytes.Memory()[0] == 'B' && bytes.Memory()[1] == 'M';
  const auto measure = [&figures](const TBitmap& bitmap) {
    figures.width = bitmap.Width(), figures.height = bitmap.Height();
    figures.bitsPerPixel = bitmap.BitsPerPixel();
  };
  if (figures.layout == TBmpLayout::Plain && !bmp) {
    TUniBitmap bitmap;
    ReadInput(file, "", bitmap);
    measure(bitmap);
    figures.picture = true;
    return InfoLine(file, figures);
  }
  TMemoryStream image;
  TBlzContents contents = RestoreBmpImage(bytes.Bytes(), image);
  if (!contents.restored) ThrowBlzError(TBlzError::NoStoredSize);
  image.SetPosition(0);
  TBitmap bitmap;
  bitmap.LoadFromStream(image);
  measure(bitmap);
  figures.imageSize = image.Size();
  figures.storedSize = contents.storedSize;
  figures.records = contents.records;
  return InfoLine(file, figures);
}

std::string Verify(const std::string& file) {
  if (std::optional<std::string> line = StreamVerify(file)) return *line;
  TMemoryStream bytes;
  ReadWholeFile(file, bytes);
  TBmpLayout layout = RecognizeLayout(bytes.Bytes());
  if (layout != TBmpLayout::Plain) {
    TMemoryStream image;
    TBlzContents contents = RestoreBmpImage(bytes.Bytes(), image);
    if (!contents.restored) ThrowBlzError(TBlzError::NoStoredSize);
    if (contents.storedSize != image.Size())
      ThrowBlzError(TBlzError::StoredSizeDiffers, contents.storedSize, image.Size());
    image.SetPosition(0);
    TBitmap bitmap;
    bitmap.LoadFromStream(image);
    return file + ": OK (" + LayoutName(layout) + ", " + std::to_string(contents.records) +
           " records)";
  }
  // Any other picture: both layouts must give back the very BMP image that went in.
  TUniBitmap bitmap;
  ReadInput(file, "", bitmap);
  TMemoryStream plain;
  bitmap.SaveToStream(plain);
  for (bool packed : {true, false}) {
    TMemoryStream blz, restored;
    if (packed)
      bitmap.SaveToPackedBmpStream(blz);
    else
      bitmap.SaveToBLZStream(blz);
    RestoreBmpImage(blz.Bytes(), restored);
    if (restored.Size() != plain.Size() ||
        !std::equal(plain.Bytes().begin(), plain.Bytes().end(), restored.Bytes().begin()))
      ThrowBlzError(packed ? TBlzError::PackedRoundTrip : TBlzError::StreamRoundTrip);
  }
  return file + ": OK (round trip in both layouts)";
}

void Thumbnail(const std::string& input, const std::string& output, const std::string& sizeText) {
  char* end = nullptr;
  long size = std::strtol(sizeText.c_str(), &end, 10);
  if (*end || size < 1 || size > 4096) throw UsageError{"SIZE must be a number from 1 to 4096"};
  WriteThumbnail(input, output, static_cast<int>(size));
}

// Runs `job` for each file and prints the line it returns, if any; returns the exit status.
int ForEach(const std::vector<std::string>& files,
            const std::function<std::string(const std::string&)>& job) {
  int status = 0;
  for (const auto& file : files) {
    try {
      std::string line = job(file);
      if (!line.empty()) std::printf("%s\n", line.c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "vantrel-cli: %s: %s\n", file.c_str(), e.what());
      status = 1;
    }
  }
  return status;
}

int Run(const Options& o) {
  auto need = [&](bool ok) {
    if (!ok) throw UsageError{"wrong number of arguments for " + o.command};
  };
  if (o.command == "pack" && !o.outDir.empty()) {
    need(!o.files.empty());
    if (!std::filesystem::is_directory(o.outDir))
      throw UsageError{"--out-dir " + o.outDir + " is not a folder"};
    if (o.jobs != 1 && std::any_of(o.files.begin(), o.files.end(), [&](const std::string& f) {
          return !ReadsDirectly(f, o.format);
        }))
      PrepareInputForThreads();
    size_t failed = RunBatch(o.files, o.jobs, [&](const std::string& input) {
      Pack(o, input, OutputName(o.outDir, input));
    });
    return failed ? 1 : 0;
  }
  if (o.command == "pack" || o.command == "unpack") {
    need(o.files.size() == 2);
    if (o.jobs) throw UsageError{"--jobs needs --out-dir"};
    return ForEach({o.files[0]}, [&](const std::string& input) {
      if (o.command == "pack") {
        Pack(o, input, o.files[1]);
      } else if (!ReadsDirectly(input, o.format) ||
                 StreamUnpack(input, o.files[1]) == TPath::Whole) {
        TUniBitmap bitmap;
        ReadInput(input, o.format, bitmap);
        bitmap.SaveToFile(o.files[1]);
      }
      return std::string();
    });
  }
  if (o.command == "info") return need(!o.files.empty()), ForEach(o.files, Info);
  if (o.command == "verify") return need(!o.files.empty()), ForEach(o.files, Verify);
  if (o.command == "thumbnail") {
    need(o.files.size() == 3);
    return ForEach({o.files[0]}, [&](const std::string& input) {
      Thumbnail(input, o.files[1], o.files[2]);
      return std::string();
    });
  }
  throw UsageError{"unknown command: " + o.command};
}

} // namespace

int RunCli(int argc, char** argv) {
  if (argc >= 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc >= 2 && std::string(argv[1]) == "--version") {
    std::printf("vantrel-cli %s\n", VANTREL_VERSION);
    return 0;
  }
  Options options;
  try {
    options = Parse(argc, argv);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "vantrel-cli: %s\n%s", e.message.c_str(), kUsage);
    return 2;
  }
  int status = 2;
  try {
    status = Run(options);
  } catch (const UsageError& e) {
    std::fprintf(stderr, "vantrel-cli: %s\n%s", e.message.c_str(), kUsage);
  }
  return status;
}
