#include "cli/OutputFormat.h"

#include "formats/FormatTable.h"
#include "formats/WindowRule.h"

#include <algorithm>
#include <cctype>

namespace {

struct TOutputRow {
  TOutputFormat format;
  std::string_view name, alsoExtension;
};

constexpr TOutputRow kRows[] = {
    {TOutputFormat::Blz, "blz", ""},    {TOutputFormat::Bmp, "bmp", "dib"},
    {TOutputFormat::Png, "png", ""},    {TOutputFormat::Pam, "pam", ""},
    {TOutputFormat::Ppm, "ppm", "pnm"}, {TOutputFormat::Pgm, "pgm", ""},
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

} // namespace

std::optional<TOutputFormat> OutputFormatNamed(std::string_view name) {
  const std::string lower = Lower(name);
  for (const TOutputRow& row : kRows)
    if (row.name == lower) return row.format;
  return std::nullopt;
}

std::optional<TOutputFormat> OutputFormatOf(const std::string& fileName) {
  const std::string extension = Lower(WindowExtension(fileName));
  if (extension.size() < 2) return std::nullopt;
  const std::string_view bare = std::string_view(extension).substr(1);
  for (const TOutputRow& row : kRows)
    if (row.name == bare || row.alsoExtension == bare) return row.format;
  return std::nullopt;
}

bool NamesPictureFormat(const std::string& fileName) {
  return OutputFormatOf(fileName) || HasKnownExtension(fileName);
}

std::string_view OutputFormatName(TOutputFormat format) {
  for (const TOutputRow& row : kRows)
    if (row.format == format) return row.name;
  return {};
}

std::string OutputFormatList() {
  std::string list;
  for (const TOutputRow& row : kRows)
    list += (list.empty() ? "" : ", ") + std::string(row.name);
  return list;
}
