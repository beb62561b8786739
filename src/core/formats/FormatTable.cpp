#include "formats/FormatTable.h"

#include "formats/WindowRule.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr TInputFormat kFormats[] = {
    {"bmp", "dib", "bmp dib"},
    {"blz", "", "blz"},
    {"gif", "", "gif"},
    {"pcx", "", "pcx"},
    {"lbm", "ilbm iff", "lbm ilbm iff"},
    {"clp", "", "clp"},
    {"ico", "", "ico"},
    {"wmf", "", "wmf"},
    {"emf", "", "emf"},
    {"jpeg", "jpg", "jpg jpeg"},
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Whether the space-separated `words` hold `word`, in any case.
bool ListHolds(std::string_view words, std::string_view word) {
  while (!words.empty()) {
    const size_t space = words.find(' ');
    if (SameIgnoringCase(words.substr(0, space), word)) return true;
    words = space == std::string_view::npos ? std::string_view() : words.substr(space + 1);
  }
  return false;
}

} // namespace

std::span<const TInputFormat> InputFormats() {
  return kFormats;
}

const TInputFormat* FindInputFormat(std::string_view name) {
  for (const TInputFormat& format : kFormats)
    if (SameIgnoringCase(format.name, name) || ListHolds(format.aliases, name)) return &format;
  return nullptr;
}

bool HasKnownExtension(const std::string& fileName) {
  const std::string extension = WindowExtension(fileName);
  if (extension.size() < 2) return false;
  const std::string_view bare = std::string_view(extension).substr(1);
  return std::any_of(std::begin(kFormats), std::end(kFormats),
                     [&](const TInputFormat& f) { return ListHolds(f.extensions, bare); });
}

std::string InputFormatList() {
  std::string list;
  for (const TInputFormat& format : kFormats) {
    if (!list.empty()) list += ", ";
    list += format.name;
    if (!format.aliases.empty()) {
      std::string aliases(format.aliases);
      std::replace(aliases.begin(), aliases.end(), ' ', '/');
      list += " (" + aliases + ")";
    }
  }
  return list;
}
