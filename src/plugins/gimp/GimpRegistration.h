// What the GIMP plug-in registers for each format the table offers to GIMP, kept apart from
// GIMP's API so that it can be checked without starting GIMP.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TGimpLoader {
  std::string procedure, blurb, label, mimeType;
  std::string extensions; // comma-separated, as GIMP takes them
  std::string magic;      // GIMP's "offset,string,bytes" list
  bool askedFirst;        // the format's signature includes another's: asked before GIMP's own
};

std::vector<TGimpLoader> GimpLoaders();
bool IsGimpLoadProcedure(std::string_view name);
