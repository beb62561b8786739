#include "GimpRegistration.h"

#include "formats/FormatTable.h"

#include <algorithm>
#include <cstdio>

namespace {

// GIMP's texts for our loaders, by format; a format without one is named by its description.
struct TLoaderTexts {
  std::string_view format, blurb, label;
};
constexpr TLoaderTexts kLoaderTexts[] = {
    {"blz", "Loads BLZ files (packed bitmap or BLZ stream layout)", "BLZ image"},
    {"clp", "Loads Windows clipboard files", "Windows clipboard file"},
    {"lbm", "Loads IFF ILBM and PBM pictures (HAM, EHB and deep included)", "IFF ILBM picture"},
};

std::string LoadProcedure(const TInputFormat& format) {
  return "file-" + std::string(format.name) + "-load";
}

// GIMP's magic: "offset,string,bytes" per part, "&" after the offset joining a part to the
// next, one alternative after the other; bytes outside printable ASCII as octal escapes.
std::string Magic(const TInputFormat& format) {
  std::string magic;
  for (const TSignature& signature : format.signatures)
    for (size_t i = 0; i < signature.parts.size(); ++i) {
      const TSignaturePart& part = signature.parts[i];
      if (!magic.empty()) magic += ',';
      magic += std::to_string(part.offset) + (i + 1 < signature.parts.size() ? "&" : "");
      magic += ",string,";
      for (const char c : part.bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\%03o", byte);
        magic += byte > ' ' && byte < 0x7F && c != ',' && c != '\\' ? std::string(1, c) : escaped;
      }
    }
  return magic;
}

// Whether a file of `format` may also match another format's signature on its own (a packed
// BLZ file starts with a BMP file's "BM"): then our loader must be asked before GIMP's.
bool NarrowsAnotherFormat(const TInputFormat& format) {
  for (const TInputFormat& other : InputFormats()) {
    if (&other == &format) continue;
    for (const TSignature& broad : other.signatures)
      for (const TSignature& narrow : format.signatures)
        if (std::all_of(broad.parts.begin(), broad.parts.end(), [&](const TSignaturePart& p) {
              return std::any_of(narrow.parts.begin(), narrow.parts.end(),
                                 [&](const TSignaturePart& q) {
                                   return q.offset == p.offset && q.bytes == p.bytes;
                                 });
            }))
          return true;
  }
  return false;
}

} // namespace

std::vector<TGimpLoader> GimpLoaders() {
  std::vector<TGimpLoader> loaders;
  for (const TInputFormat& format : InputFormats()) {
    if (!(format.hosts & hostGimp)) continue;
    TGimpLoader loader{LoadProcedure(format),
                       "Loads " + std::string(format.description) + " files",
                       std::string(format.description),
                       std::string(format.mimeType),
                       "",
                       Magic(format),
                       NarrowsAnotherFormat(format)};
    for (const TLoaderTexts& texts : kLoaderTexts)
      if (texts.format == format.name) loader.blurb = texts.blurb, loader.label = texts.label;
    for (const TExtension& extension : format.extensions)
      if (extension.hosts & hostGimp)
        loader.extensions += (loader.extensions.empty() ? "" : ",") + std::string(extension.name);
    loaders.push_back(std::move(loader));
  }
  return loaders;
}

bool IsGimpLoadProcedure(std::string_view name) {
  for (const TInputFormat& format : InputFormats())
    if ((format.hosts & hostGimp) && name == LoadProcedure(format)) return true;
  return false;
}
