// The format table: the names --format takes in any case, and the extensions a folder walk
// keeps.
#include "formats/FormatTable.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
