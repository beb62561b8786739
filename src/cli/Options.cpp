#include "cli/Options.h"

#include "cli/UsageError.h"
#include "formats/FormatTable.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kCommands[] = {"pack", "unpack", "convert", "info", "verify", "thumbnail"};

struct TParser {
  CLI::App app{"", "vantrel-cli"};
  TOptions options;
  std::string to;
  std::vector<std::string> positional;

  CLI::App* Command(const char* name) {
    CLI::App* command = app.add_subcommand(name);
    command->set_help_flag();
    command->add_option("INPUT", positional);
    return command;
  }
  std::string layout;

  void AddLayout(CLI::App* command) {
    command->add_option("--layout", layout)
        ->check(CLI::Validator(
            [](std::string& name) -> std::string {
              std::transform(name.begin(), name.end(), name.begin(), ::tolower);
              return name == "packed" || name == "stream" ? "" : name + " is not packed or stream";
            },
            "LAYOUT"));
  }
  void AddFormat(CLI::App* command) {
    command->add_option("--format", options.format)
        ->check(CLI::Validator(
            [](std::string& name) -> std::string {
              const TInputFormat* format = FindInputFormat(name);
              if (!format) return "unknown format " + name + " (known: " + InputFormatList() + ")";
              name = std::string(format->name);
              return {};
            },
            "FMT"));
  }
  void AddBatch(CLI::App* command) {
    command->add_option("--out-dir", options.outDir);
    command->add_option("-j,--jobs", options.jobs)->check(CLI::Range(1, 1024));
    command->add_flag("-r,--recursive", options.recursive);
    command->add_flag("-q,--quiet", options.quiet);
  }

  TParser() {
    app.set_help_flag();
    app.require_subcommand(1);
    CLI::App* pack = Command("pack");
    AddLayout(pack), AddFormat(pack), AddBatch(pack);
    AddFormat(Command("unpack"));
    CLI::App* convert = Command("convert");
    AddLayout(convert), AddFormat(convert), AddBatch(convert);
    convert->add_option("--to", to)
        ->check(CLI::Validator(
            [](std::string& name) -> std::string {
              if (!OutputFormatNamed(name))
                return "unknown output format " + name + " (known: " + OutputFormatList() + ")";
              return {};
            },
            "FMT"));
    Command("info")->add_flag("--json", options.json);
    Command("verify");
    Command("thumbnail");
  }
};

} // namespace

TOptions ParseOptions(int argc, char** argv) {
  if (argc < 1) throw TUsageError{"no command given"};
  const std::string command = argv[0];
  if (std::find(std::begin(kCommands), std::end(kCommands), command) == std::end(kCommands))
    throw TUsageError{command.starts_with("-") ? "unknown option: " + command
                                               : "unknown command: " + command};
  // Names after "--" are files whatever they look like.
  std::vector<std::string> words(argv, argv + argc), afterDashes;
  if (auto dashes = std::find(words.begin(), words.end(), "--"); dashes != words.end()) {
    afterDashes.assign(dashes + 1, words.end());
    words.erase(dashes, words.end());
  }
  std::reverse(words.begin(), words.end()); // CLI11 takes the words last first
  TParser parser;
  try {
    parser.app.parse(words);
  } catch (const CLI::ParseError& e) {
    throw TUsageError{e.what()};
  }
  TOptions options = parser.options;
  options.command = command;
  options.jobsGiven = options.jobs != 0;
  if (parser.layout == "stream") options.layout = TBmpLayout::BLZStream;
  if (!parser.to.empty()) options.to = OutputFormatNamed(parser.to);
  options.files = parser.positional;
  options.files.insert(options.files.end(), afterDashes.begin(), afterDashes.end());
  return options;
}

std::string Usage() {
  return "usage: vantrel-cli pack    [--layout packed|stream] [--format FMT] INPUT OUTPUT\n"
         "       vantrel-cli unpack  [--format FMT] INPUT OUTPUT.bmp\n"
         "       vantrel-cli convert [--to OUTFMT] [--layout packed|stream] [--format FMT]\n"
         "                           INPUT OUTPUT\n"
         "       vantrel-cli pack|convert [-r] [-q] [--jobs N] [--to OUTFMT] --out-dir DIR\n"
         "                           INPUT|FOLDER...\n"
         "       vantrel-cli info    [--json] FILE...\n"
         "       vantrel-cli verify  FILE...\n"
         "       vantrel-cli thumbnail INPUT OUTPUT.png SIZE\n"
         "       vantrel-cli --help | --version\n"
         "\n"
         "INPUT is read as the window reads it: BMP, DIB and BLZ files directly, anything else\n"
         "through the image loader. \"-\" is standard input (BMP and BLZ told by their content)\n"
         "and, as OUTPUT, standard output; ./- names a file called \"-\".\n"
         "--format FMT reads with that one decoder alone. FMT:\n  " +
         InputFormatList() +
         "\n"
         "Without --format, also: PNG, TIFF, WebP, TGA and other formats Qt reads\n"
         "pack writes a BLZ file (packed-bitmap layout unless --layout stream); unpack writes\n"
         "the plain BMP image; convert writes OUTFMT, or the format OUTPUT's extension names\n"
         "(PGM for grey pictures only). OUTFMT:\n  " +
         OutputFormatList() +
         "\n"
         "With --out-dir, pack and convert take files and folders (-r: with their subfolders),\n"
         "show progress on a terminal (-q: none) and sum up. info --json prints a JSON array.\n"
         "Exit status: 0 success, 1 a file failed, 2 usage error.\n";
}
