#include "formats/FormatTable.h"

#include "blz/BlzErrors.h"
#include "blz/UniBmp.h"
#include "formats/SClpDib.h"
#include "formats/SGIFImg.h"
#include "formats/SLBMImg.h"
#include "formats/SPCXImg.h"
#include "formats/WindowRule.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

using namespace std::string_view_literals;

// BMP and both BLZ layouts are told apart by the universal bitmap itself, by content.
TBitmap DecodeByLayout(TStream& source) {
  TUniBitmap bitmap;
  bitmap.LoadFromStream(source);
  return bitmap;
}

constexpr unsigned kPlugins = kEveryPluginHost;

// Signatures. A packed BLZ file is a BMP file whose compression field holds the magic.
constexpr TSignaturePart kBm[] = {{0, "BM"}};
constexpr TSignaturePart kLzrw[] = {{0, "LZRW"}}, kWrzl[] = {{0, "WRZL"}};
constexpr TSignaturePart kPackedLzrw[] = {{0, "BM"}, {30, "LZRW"}};
constexpr TSignaturePart kPackedWrzl[] = {{0, "BM"}, {30, "WRZL"}};
constexpr TSignaturePart kGif[] = {{0, "GIF8"}};
constexpr TSignaturePart kPcx[] = {{0, "\x0A"}};
constexpr TSignaturePart kIlbm[] = {{0, "FORM"}, {8, "ILBM"}}, kPbm[] = {{0, "FORM"}, {8, "PBM"}};
constexpr TSignaturePart kClp[] = {{0, "\x50\xC3"}};
constexpr TSignaturePart kIcon[] = {{0, "\0\0\1\0"sv}}, kCursor[] = {{0, "\0\0\2\0"sv}};
constexpr TSignaturePart kPlaceable[] = {{0, "\xD7\xCD\xC6\x9A"}};
constexpr TSignaturePart kMemoryWmf[] = {{0, "\1\0\x09\0"sv}}, kDiskWmf[] = {{0, "\2\0\x09\0"sv}};
constexpr TSignaturePart kEmf[] = {{0, "\1\0\0\0"sv}, {40, " EMF"}};
constexpr TSignaturePart kJpeg[] = {{0, "\xFF\xD8\xFF"}};

constexpr TSignature kBmpSignatures[] = {{kBm, true}};
constexpr TSignature kBlzSignatures[] = {
    {kLzrw, true}, {kWrzl, true}, {kPackedLzrw, true}, {kPackedWrzl, true}};
constexpr TSignature kGifSignatures[] = {{kGif, true}};
constexpr TSignature kPcxSignatures[] = {{kPcx, false}};
constexpr TSignature kLbmSignatures[] = {{kIlbm, true}, {kPbm, true}};
constexpr TSignature kClpSignatures[] = {{kClp, true}};
constexpr TSignature kIcoSignatures[] = {{kIcon, false}, {kCursor, false}};
constexpr TSignature kWmfSignatures[] = {
    {kPlaceable, true}, {kMemoryWmf, false}, {kDiskWmf, false}};
constexpr TSignature kEmfSignatures[] = {{kEmf, true}};
constexpr TSignature kJpegSignatures[] = {{kJpeg, true}};

// The picture registry's thirteen rows, each with its format.
constexpr TRegistryRow kBmpRows[] = {
    {4, "bmp", "Bitmaps", true}, {7, "bmp", "BMP-Format"}, {9, "dib", "DIB-Format"}};
constexpr TRegistryRow kBlzRows[] = {{8, "blz", "BLZ-Format"}};
constexpr TRegistryRow kGifRows[] = {{13, "gif", "GIF-Format"}};
constexpr TRegistryRow kPcxRows[] = {{12, "pcx", "PCX-Format"}};
constexpr TRegistryRow kLbmRows[] = {{10, "lbm", "LBM-Format"}};
constexpr TRegistryRow kClpRows[] = {{11, "clp", "Clipboard-Format"}};
constexpr TRegistryRow kIcoRows[] = {{3, "ico", "Icons", true}};
constexpr TRegistryRow kWmfRows[] = {{1, "wmf", "Metafiles", true}};
constexpr TRegistryRow kEmfRows[] = {{2, "emf", "Enhanced Metafiles", true}};
constexpr TRegistryRow kJpegRows[] = {{5, "jpeg", "JPEG Image File"},
                                      {6, "jpg", "JPEG Image File"}};

// "iff" names any IFF container, so only GIMP, whose loaders each check the content, gets it.
constexpr TExtension kBmpExtensions[] = {{"bmp"}, {"dib"}};
constexpr TExtension kBlzExtensions[] = {{"blz", kPlugins}};
constexpr TExtension kGifExtensions[] = {{"gif"}};
constexpr TExtension kPcxExtensions[] = {{"pcx"}};
constexpr TExtension kLbmExtensions[] = {{"lbm", kPlugins}, {"ilbm", kPlugins}, {"iff", hostGimp}};
constexpr TExtension kClpExtensions[] = {{"clp", kPlugins}};
constexpr TExtension kIcoExtensions[] = {{"ico"}};
constexpr TExtension kWmfExtensions[] = {{"wmf"}};
constexpr TExtension kEmfExtensions[] = {{"emf"}};
constexpr TExtension kJpegExtensions[] = {{"jpg"}, {"jpeg"}};

using enum TFormatId;
using enum TDecodeLayer;

constexpr TInputFormat kFormats[] = {
    {Bmp, "bmp", "dib", kBmpExtensions, kBmpRows, "image/bmp", "image/x-bmp image/x-ms-bmp",
     "Windows bitmap", kBmpSignatures, 2, Core, DecodeByLayout, hostNone, false, true},
    {Blz, "blz", "", kBlzExtensions, kBlzRows, "application/x-blz-image", "",
     "BLZ compressed bitmap", kBlzSignatures, 2, Core, DecodeByLayout, kPlugins, true, false},
    {Gif, "gif", "", kGifExtensions, kGifRows, "image/gif", "", "GIF picture", kGifSignatures, 5,
     Core, DecodeGif, hostNone, false, true},
    {Pcx, "pcx", "", kPcxExtensions, kPcxRows, "image/vnd.zbrush.pcx", "image/x-pcx", "PCX picture",
     kPcxSignatures, 6, Core, DecodePcx, hostNone, false, false},
    {Lbm, "lbm", "ilbm iff", kLbmExtensions, kLbmRows, "image/x-ilbm", "image/x-iff",
     "IFF ILBM picture", kLbmSignatures, 7, Core, DecodeLbm, kPlugins, false, false},
    {Clp, "clp", "", kClpExtensions, kClpRows, "application/x-clipboard-file", "",
     "Windows clipboard file", kClpSignatures, 8, Core, DecodeClp, kPlugins, true, false},
    {Ico, "ico", "", kIcoExtensions, kIcoRows, "image/vnd.microsoft.icon", "image/x-icon",
     "Windows icon", kIcoSignatures, 3, Qt, nullptr, hostNone, false, true},
    {Wmf, "wmf", "", kWmfExtensions, kWmfRows, "image/wmf", "image/x-wmf", "Windows metafile",
     kWmfSignatures, 4, Qt, nullptr, hostNone, false, true},
    {Emf, "emf", "", kEmfExtensions, kEmfRows, "image/emf", "image/x-emf",
     "Enhanced Windows metafile", kEmfSignatures, 4, Qt, nullptr, hostNone, false, true},
    {Jpeg, "jpeg", "jpg", kJpegExtensions, kJpegRows, "image/jpeg", "", "JPEG picture",
     kJpegSignatures, 9, Qt, nullptr, hostNone, false, true},
};

// The Qt layer indexes its own tables by id: the table must hold every id once, in order.
constexpr bool EveryIdInOrder() {
  if (std::size(kFormats) != kFormatCount) return false;
  for (size_t i = 0; i < kFormatCount; ++i)
    if (static_cast<size_t>(kFormats[i].id) != i) return false;
  return true;
}
static_assert(EveryIdInOrder(), "the format table holds each TFormatId once, in order");

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

const TInputFormat& FormatOf(TFormatId id) {
  return kFormats[static_cast<size_t>(id)];
}

const TInputFormat* FindInputFormat(std::string_view name) {
  for (const TInputFormat& format : kFormats)
    if (SameIgnoringCase(format.name, name) || ListHolds(format.aliases, name)) return &format;
  return nullptr;
}

const TInputFormat* FormatWithExtension(std::string_view extension) {
  for (const TInputFormat& format : kFormats)
    for (const TExtension& known : format.extensions)
      if (SameIgnoringCase(known.name, extension)) return &format;
  return nullptr;
}

bool HasKnownExtension(const std::string& fileName) {
  const std::string extension = WindowExtension(fileName);
  return extension.size() >= 2 && FormatWithExtension(std::string_view(extension).substr(1));
}

bool HasStockReaderExtension(const std::string& fileName) {
  static constexpr std::string_view kStockExtensions[] = {"png", "tif",  "tiff", "webp", "tga",
                                                          "pbm", "pgm",  "ppm",  "pnm",  "xbm",
                                                          "xpm", "icns", "wbmp"};
  const std::string extension = WindowExtension(fileName);
  if (extension.size() < 2) return false;
  const std::string_view bare = std::string_view(extension).substr(1);
  return std::any_of(std::begin(kStockExtensions), std::end(kStockExtensions),
                     [&](std::string_view known) { return SameIgnoringCase(known, bare); });
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

bool MatchesSignature(std::span<const uint8_t> head, const TSignature& signature) {
  return std::all_of(signature.parts.begin(), signature.parts.end(), [&](const TSignaturePart& p) {
    return head.size() >= p.offset + p.bytes.size() &&
           std::memcmp(head.data() + p.offset, p.bytes.data(), p.bytes.size()) == 0;
  });
}

const TSignature* SignatureStarting(const TInputFormat& format, std::span<const uint8_t> head) {
  for (const TSignature& signature : format.signatures)
    if (MatchesSignature(head, signature)) return &signature;
  return nullptr;
}

const TInputFormat* FormatForHost(std::span<const uint8_t> head, THost host) {
  for (const TInputFormat& format : kFormats)
    if ((format.hosts & host) && SignatureStarting(format, head)) return &format;
  return nullptr;
}

bool StartsWithStrongSignature(std::span<const uint8_t> bytes) {
  for (const TInputFormat& format : kFormats)
    for (const TSignature& signature : format.signatures)
      if (signature.strong && MatchesSignature(bytes, signature)) return true;
  return false;
}

void RefuseEmptyPicture(bool packedBitmap) {
  if (packedBitmap) ThrowBlzError(TBlzError::NoStoredSize);
  throw EGraphicOfKind(TFailureKind::Damaged, "the file holds no picture");
}

TBitmap DecodeToConvert(const TInputFormat& format, TStream& source) {
  TBitmap bitmap = format.decode(source);
  // The bitmap's rows read nothing only from a packed bitmap without a stored size.
  if (bitmap.Empty())
    RefuseEmptyPicture(format.id == TFormatId::Bmp || format.id == TFormatId::Blz);
  return bitmap;
}

size_t SignatureBytes() {
  size_t most = 0;
  for (const TInputFormat& format : kFormats)
    for (const TSignature& signature : format.signatures)
      for (const TSignaturePart& part : signature.parts)
        most = std::max(most, part.offset + part.bytes.size());
  return most;
}
