// The program's string table: captions in an English (0), a Hungarian (1) and a German (4)
// set, keyed by 10 × language + n. The menu captions sit at 10 × language + 21, so a new set
// takes a language number whose two runs miss the others'.
#pragma once

#include "app/Language.h"

#include <QString>

inline constexpr int kEnglishTable = 0;
inline constexpr int kHungarianTable = 1;
inline constexpr int kGermanTable = 4;

// The set the window reads; Hungarian until the program chooses another.
int TableLanguage();
void SetTableLanguage(TLanguage language);

// The string with identifier `id`, cut to 19 characters as a 20-character buffer holds it;
// empty when there is none.
QString LoadString(int id);
