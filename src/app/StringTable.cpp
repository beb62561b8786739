#include "app/StringTable.h"

#include <map>

namespace {

const std::map<int, const char*>& Table() {
  static const std::map<int, const char*> table = {
      {1, "&Browse"},
      {2, "E&xit"},
      {3, "&Save"},
      {4, "Save &As..."},
      {5, "&Control"},
      {6, "&About"},
      {21, "&File Compression"},
      {22, "&Quick Save"},
      {23, "E&xit"},
      {11, "&Keresés"},
      {12, "Ki&lépés"},
      {13, "&Mentés"},
      {14, "Men&tés mint..."},
      {15, "&Visszaolvasás"},
      {16, "&Névjegy"},
      {31, "&File-tömörítés"},
      {32, "&Gyorsmentés"},
      {33, "Ki&lépés"},
      {41, "&Durchsuchen"},
      {42, "&Beenden"},
      {43, "&Speichern"},
      {44, "Speichern &als..."},
      {45, "&Zurücklesen"},
      {46, "Ü&ber"},
      {61, "&Dateikompression"},
      {62, "&Schnellspeichern"},
      {63, "B&eenden"},
  };
  return table;
}

int tableLanguage = kHungarianTable;

} // namespace

int TableLanguage() {
  return tableLanguage;
}

void SetTableLanguage(TLanguage language) {
  switch (language) {
  case TLanguage::English:
    tableLanguage = kEnglishTable;
    break;
  case TLanguage::German:
    tableLanguage = kGermanTable;
    break;
  case TLanguage::Hungarian:
    tableLanguage = kHungarianTable;
    break;
  }
}

QString LoadString(int id) {
  auto it = Table().find(id);
  if (it == Table().end()) return {};
  return QString::fromUtf8(it->second).left(19);
}
