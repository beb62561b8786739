// The program's string table: captions in an English (0) and a Hungarian (1) set, keyed by
// 10 × language + n. The program shows the Hungarian set.
#pragma once

#include <QString>

inline constexpr int kLanguage = 1;

// The string with identifier `id`, cut to 19 characters as a 20-character buffer holds it;
// empty when there is none.
QString LoadString(int id);
