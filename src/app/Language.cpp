#include "app/Language.h"

#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

constexpr std::pair<std::string_view, TLanguage> kTranslated[] = {
    {"hu", TLanguage::Hungarian}, {"en", TLanguage::English}, {"de", TLanguage::German}};

// The language of a locale or LANGUAGE entry such as "de_AT.UTF-8@euro"; none when the
// program has no translation into it.
std::optional<TLanguage> Translated(std::string_view name) {
  const std::string_view language = name.substr(0, name.find_first_of("_.@"));
  for (const auto& [code, value] : kTranslated)
    if (language == code) return value;
  return std::nullopt;
}

bool IsPortableLocale(std::string_view locale) {
  return locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

} // namespace

TLanguage LanguageFromEnvironment(const std::function<const char*(const char*)>& variable) {
  auto value = [&](const char* name) -> std::string_view {
    const char* text = variable(name);
    return text ? text : "";
  };
  std::string_view locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (locale = value(name); !locale.empty()) break;
  // gettext looks at LANGUAGE only when a real locale is set.
  if (locale.empty() || IsPortableLocale(locale)) return TLanguage::Hungarian;
  std::string_view list = value("LANGUAGE");
  while (!list.empty()) {
    const size_t colon = list.find(':');
    if (auto language = Translated(list.substr(0, colon))) return *language;
    list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
  }
  return Translated(locale).value_or(TLanguage::English);
}

TLanguage LanguageFromEnvironment() {
  return LanguageFromEnvironment([](const char* name) { return std::getenv(name); });
}

const char* LanguageCode(TLanguage language) {
  for (const auto& [code, value] : kTranslated)
    if (value == language) return code.data();
  return "hu";
}
