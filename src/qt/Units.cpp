#include "qt/Units.h"

#include "blz/UniBmp.h"
#include "bmp/Picture.h"
#include "codec/LZRW1KH.h"
#include "formats/FormatTable.h"
#include "qt/FormatClasses.h"

#include <algorithm>
#include <vector>

void InitializeUnits() {
  LZRW1KHStartup();
  UniBmpStartup();
  // Order matters: later rows take precedence in the picture registry.
  std::vector<std::pair<const TInputFormat*, const TRegistryRow*>> rows;
  for (const TInputFormat& format : InputFormats())
    for (const TRegistryRow& row : format.registryRows)
      rows.emplace_back(&format, &row);
  std::sort(rows.begin(), rows.end(),
            [](const auto& a, const auto& b) { return a.second->position < b.second->position; });
  for (const auto& [format, row] : rows)
    TPicture::RegisterFileFormat(std::string(row->extension), std::string(row->description),
                                 RegistryRowClass(*format, *row));
}

void FinalizeUnits() {
  UniBmpShutdown();
  LZRW1KHShutdown();
}
