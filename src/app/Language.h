// The language the window speaks, chosen from the environment as gettext chooses a message
// catalogue. Hungarian is the source language: the C and POSIX locales show it.
#pragma once

#include <functional>

enum class TLanguage { Hungarian, English, German };

// `variable` returns the value of an environment variable, or null when it is unset.
TLanguage LanguageFromEnvironment(const std::function<const char*(const char*)>& variable);
// The process's own environment.
TLanguage LanguageFromEnvironment();

// The language's two-letter code: "hu", "en", "de".
const char* LanguageCode(TLanguage language);
