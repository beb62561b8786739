// The format table, and everything that must agree with it: the window's own constants, the
// texts the package ships, the Qt plugin's metadata and the fuzz targets. A format added to
// the table and forgotten in one of them fails here.
#include "formats/FormatTable.h"
#include "TestSupport.h"
#include "formats/WindowRule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>

namespace {

using Words = std::set<std::string>;

std::string Shipped(const std::string& file) {
  const std::vector<uint8_t> bytes = testsupport::ReadFile(VANTREL_SOURCE_DIR "/" + file);
  return {bytes.begin(), bytes.end()};
}

// The words of `text` between `separators`.
Words Split(const std::string& text, const char* separators) {
  Words words;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find_first_of(separators, at), text.size());
    if (end > at) words.insert(text.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

// The first group of every match of `pattern` in `text`.
std::vector<std::string> Captures(const std::string& text, const std::string& pattern) {
  std::vector<std::string> found;
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
       it != std::sregex_iterator(); ++it)
    found.push_back((*it)[1]);
  return found;
}

std::string Line(const std::string& text, const std::string& key) {
  const std::vector<std::string> lines = Captures(text, "(?:^|\n)" + key + "([^\n]*)");
  return lines.empty() ? "" : lines[0];
}

TEST(FormatTable, NamesAliasesAndExtensionsInAnyCase) {
  const std::pair<const char*, const char*> names[] = {
      {"jpg", "jpeg"}, {"JPEG", "jpeg"}, {"PCX", "pcx"}, {"iff", "lbm"}, {"Ilbm", "lbm"},
      {"dib", "bmp"},  {"blz", "blz"},   {"tiff", ""},   {"", ""},       {"jp", ""}};
  for (const auto& [name, canonical] : names) {
    const TInputFormat* format = FindInputFormat(name);
    EXPECT_EQ(format ? format->name : "", canonical) << name;
  }
  const std::pair<const char*, bool> files[] = {
      {"a.IFF", true},        {"photo.Jpg", true},     {"x.blz", true}, {"scan.png", false},
      {"noextension", false}, {"dir.gif/name", false}, {"a.", false},   {".gif", true}};
  for (const auto& [file, known] : files)
    EXPECT_EQ(HasKnownExtension(file), known) << file;
}

// Strong signatures claim a file for us whatever its name; weak ones also begin other files
// (an uncompressed TGA starts 00 00 02 00). The plugins tell their formats by the same rows.
TEST(FormatTable, SignaturesTellTheFormatAndWhetherTheyAreStrong) {
  const std::string packed = "424D" + std::string(56, '0'), emf = std::string(72, '0');
  // Each case HEAD=OUTCOME: "+" strong, "-" weak or none, a name: strong, read by the plugins.
  const std::string cases = "47494638=+ 424D=+ 4C5A5257=blz 57525A4C=blz " + packed +
                            "4C5A5257=blz " + packed +
                            "57525A4C=blz 464F524D00000000494C424D=lbm "
                            "464F524D0000000050424D20=lbm 464F524D00000000=- 50C3=clp 50=- "
                            "D7CDC69A=+ 01000000" +
                            emf +
                            "20454D46=+ 01000000=- FFD8FF=+ FFD8=- 0A050108=- 00000100=- "
                            "00000200=- 01000900=- 02000900=- =- 89504E47=-";
  for (const std::string& entry : Split(cases, " ")) {
    const std::string hex = entry.substr(0, entry.find('=')),
                      outcome = entry.substr(hex.size() + 1);
    SCOPED_TRACE(hex);
    std::vector<uint8_t> head;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
      head.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    EXPECT_EQ(StartsWithStrongSignature(head), outcome != "-");
    for (THost host : {hostQt, hostGdkPixbuf, hostGimp}) {
      const TInputFormat* format = FormatForHost(head, host);
      EXPECT_EQ(format ? format->name : "+-", outcome.size() == 1 ? "+-" : outcome);
    }
  }
  EXPECT_EQ(SignatureBytes(), 44u);
}

// The window's quoted constants stay as they are; here is where they and the table meet.
TEST(FormatTable, TheWindowsConstantsAndThePictureRegistryAgreeWithTheTable) {
  std::vector<std::string> rows(14);
  Words registered;
  for (const TInputFormat& format : InputFormats())
    for (const TRegistryRow& row : format.registryRows) {
      ASSERT_TRUE(row.position >= 1 && row.position <= 13 && rows[row.position].empty());
      rows[row.position] = std::string(row.extension) + " " + std::string(row.description);
      registered.insert(std::string(row.extension));
      EXPECT_EQ(FormatWithExtension(row.extension), &format);
    }
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "", "wmf Metafiles", "emf Enhanced Metafiles", "ico Icons", "bmp Bitmaps",
                      "jpeg JPEG Image File", "jpg JPEG Image File", "bmp BMP-Format",
                      "blz BLZ-Format", "dib DIB-Format", "lbm LBM-Format", "clp Clipboard-Format",
                      "pcx PCX-Format", "gif GIF-Format"}));
  // Every mask of the open dialog names a registry row, so the loader opens it by name.
  for (const std::string& mask : Split(kWindowImageMasks, ";"))
    EXPECT_TRUE(registered.count(mask.substr(2))) << mask;
  // The bitmap reads itself exactly the extensions of the formats of its own probe.
  Words direct, ofBitmapProbe;
  for (const std::string& mask : Split(kReadByBitmapMasks, ";")) {
    std::string extension = mask.substr(2);
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    direct.insert(extension);
  }
  for (const TInputFormat& format : InputFormats())
    for (const TExtension& extension : format.extensions)
      if (format.probeAttempt == 2) ofBitmapProbe.insert(std::string(extension.name));
  EXPECT_EQ(direct, ofBitmapProbe);
  // The content probes run as attempts 2 to 9, each format in exactly one.
  Words attempts;
  for (const TInputFormat& format : InputFormats())
    attempts.insert(std::to_string(format.probeAttempt));
  EXPECT_EQ(attempts, Split("2 3 4 5 6 7 8 9", " "));
}

TEST(FormatTable, ShippedTextsListTheTablesFormats) {
  Words allTypes, thumbnailed;
  std::string names, phrase;
  const auto formats = InputFormats();
  for (const TInputFormat& format : formats) {
    Words types = Split(std::string(format.mimeType) + " " + std::string(format.mimeAliases), " ");
    allTypes.insert(types.begin(), types.end());
    if (!format.desktopShowsItself) thumbnailed.insert(types.begin(), types.end());
    names += (names.empty() ? "" : " ") + std::string(format.name);
    if (!format.aliases.empty()) names += " " + std::string(format.aliases);
    // The manual's sentence: "a (or b, c), d, ... or z".
    if (!phrase.empty()) phrase += &format == &formats.back() ? " or " : ", ";
    phrase += format.name;
    if (!format.aliases.empty()) {
      std::string aliases(format.aliases);
      phrase += " (or " + std::regex_replace(aliases, std::regex(" "), ", ") + ")";
    }
  }
  EXPECT_EQ(Split(Line(Shipped("packaging/vantrel.desktop"), "MimeType="), ";"), allTypes);
  EXPECT_EQ(Split(Line(Shipped("packaging/vantrel.thumbnailer"), "MimeType="), ";"), thumbnailed);
  EXPECT_NE(Shipped("packaging/completions/vantrel-cli").find("compgen -W \"" + names + "\""),
            std::string::npos);
  EXPECT_NE(Shipped("packaging/completions/_vantrel-cli").find("formats=(" + names + ")"),
            std::string::npos);
  const std::string manual =
      std::regex_replace(Shipped("packaging/man/vantrel-cli.1"), std::regex("\\s+"), " ");
  EXPECT_NE(manual.find(phrase + ", in any case"), std::string::npos) << phrase;

  // The types this program defines, each with a glob per extension.
  const std::string mime = Shipped("packaging/vantrel-mime.xml");
  Words defined, expected;
  for (const std::string& type : Captures(mime, "<mime-type type=\"([^\"]+)\"")) {
    defined.insert(type);
    const std::string entry = mime.substr(mime.find("\"" + type + "\""));
    const std::string own = entry.substr(0, entry.find("</mime-type>"));
    const std::vector<std::string> found = Captures(own, "<glob pattern=\"\\*\\.([^\"]+)\"");
    const Words globs(found.begin(), found.end());
    Words extensions;
    for (const TInputFormat& format : formats)
      if (format.mimeType == type)
        for (const TExtension& extension : format.extensions)
          extensions.insert(std::string(extension.name));
    EXPECT_EQ(globs, extensions) << type;
  }
  for (const TInputFormat& format : formats)
    if (format.ownMimeType) expected.insert(std::string(format.mimeType));
  EXPECT_EQ(defined, expected);

  // The Qt plugin's metadata: a key per extension offered to Qt, a type per key.
  const std::string json = Shipped("src/plugins/qt/vantrel.json");
  std::vector<std::string> keys, types;
  for (const TInputFormat& format : formats)
    for (const TExtension& extension : format.extensions)
      if (extension.hosts & hostQt)
        keys.emplace_back(extension.name), types.emplace_back(format.mimeType);
  EXPECT_EQ(Captures(Line(json, " *\"Keys\": "), "\"([^\"]+)\""), keys);
  EXPECT_EQ(Captures(Line(json, " *\"MimeTypes\": "), "\"([^\"]+)\""), types);

  // Each format has a fuzz target, and it is one the build makes.
  const std::string fuzz = Shipped("fuzz/CMakeLists.txt");
  const auto list = [&](const char* name) {
    return Split(Captures(fuzz, std::string("set\\(") + name + "([^)]*)\\)").at(0), " \n");
  };
  const Words targets = list("VANTREL_FUZZ_TARGETS");
  Words fuzzed, canonical;
  for (const std::string& entry : list("VANTREL_FUZZ_FORMATS")) {
    fuzzed.insert(entry.substr(0, entry.find('=')));
    EXPECT_TRUE(targets.count(entry.substr(entry.find('=') + 1))) << entry;
  }
  for (const TInputFormat& format : formats)
    canonical.insert(std::string(format.name));
  EXPECT_EQ(fuzzed, canonical);
}

} // namespace
