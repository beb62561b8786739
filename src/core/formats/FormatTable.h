// The picture formats the program reads, one descriptor each: the names people use for it,
// its extensions (and which of them are rows of the picture registry), its MIME types, how
// its content is told, where the image loader's content probes try it, who decodes it and
// which plugin hosts are offered it. Everything that lists formats iterates this table: the
// command line's options, help and folder walk, the loader's registry rows and probes, the
// plugins' registrations, the fuzz targets and the tests of the shipped texts.
#pragma once

#include "bmp/Bitmap.h"
#include "io/Streams.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The formats, in the table's order. The Qt layer keeps one entry per id; its tables are
// checked against this count when they are compiled.
enum class TFormatId { Bmp, Blz, Gif, Pcx, Lbm, Clp, Ico, Wmf, Emf, Jpeg };
inline constexpr size_t kFormatCount = 10;

// Where a format is decoded: by the Qt-free core, or by the Qt layer's graphic classes.
enum class TDecodeLayer { Core, Qt };

// The plugin hosts, as bits.
enum THost : unsigned { hostNone = 0, hostQt = 1, hostGdkPixbuf = 2, hostGimp = 4 };
inline constexpr unsigned kEveryPluginHost = hostQt | hostGdkPixbuf | hostGimp;

// A run of bytes expected at an offset of the file.
struct TSignaturePart {
  size_t offset;
  std::string_view bytes;
};

// One way a file of the format starts: every part must match. A strong signature is one that
// no picture of another kind starts with by chance; a weak one (PCX's single 0A, the icon's
// 00 00 01 00) also begins other files, such as an uncompressed TGA.
struct TSignature {
  std::span<const TSignaturePart> parts;
  bool strong;
};

// A row of the picture registry, which picks a graphic class by a file's extension; the rows
// are added in the order of `position` (1 to 13). A toolkit row is one the graphics layer adds
// by default with its own class (its "bmp" row, shadowed by the universal bitmap's).
struct TRegistryRow {
  int position;
  std::string_view extension;
  std::string_view description;
  bool toolkitRow = false;
};

// An extension (lower case, without the dot) and the plugin hosts it is offered to.
struct TExtension {
  std::string_view name;
  unsigned hosts = hostNone;
};

struct TInputFormat {
  TFormatId id;
  std::string_view name;    // lower case, as --format takes it
  std::string_view aliases; // other accepted names, space-separated
  std::span<const TExtension> extensions;
  std::span<const TRegistryRow> registryRows;
  std::string_view mimeType;    // the type the format is known by
  std::string_view mimeAliases; // further types desktops use for it, space-separated
  std::string_view description; // for the plugins' registrations
  std::span<const TSignature> signatures;
  int probeAttempt; // the loader's attempt (2 to 9) that tries the content, in that order
  TDecodeLayer layer;
  // The core's decoder; nullptr for a format the Qt layer decodes.
  TBitmap (*decode)(TStream& source);
  unsigned hosts;          // the plugin hosts that read it
  bool ownMimeType;        // a type this program defines (packaging/vantrel-mime.xml)
  bool desktopShowsItself; // the desktop draws its thumbnails without our thumbnailer
};

std::span<const TInputFormat> InputFormats();

const TInputFormat& FormatOf(TFormatId id);

// The row whose name or alias is `name`, in any case; nullptr when none is.
const TInputFormat* FindInputFormat(std::string_view name);

// The format one of whose extensions `extension` (without the dot, any case) is.
const TInputFormat* FormatWithExtension(std::string_view extension);

// Whether `fileName`'s extension (any case) is one the loader knows.
bool HasKnownExtension(const std::string& fileName);

// Whether `fileName`'s extension (any case) is that of a picture only Qt's stock readers read
// (PNG, TIFF, WebP, TGA, netpbm and others): a folder of them is a folder of pictures. Whether
// such a file is read never depends on its name.
bool HasStockReaderExtension(const std::string& fileName);

// "bmp, blz, gif, ..." with the aliases in brackets, for messages and the help.
std::string InputFormatList();

// Whether `head` matches `signature` (a head too short for a part matches nothing).
bool MatchesSignature(std::span<const uint8_t> head, const TSignature& signature);

// The first of `format`'s signatures that starts `head`; nullptr when none does.
const TSignature* SignatureStarting(const TInputFormat& format, std::span<const uint8_t> head);

// The first format offered to `host` that one of whose signatures starts `head`.
const TInputFormat* FormatForHost(std::span<const uint8_t> head, THost host);

// Whether `bytes` start with a strong signature of one of the formats: a file that claims to be
// one of ours, whatever its name, and must be read (or refused) as that.
bool StartsWithStrongSignature(std::span<const uint8_t> bytes);

// The window shows a file that holds no picture (a packed bitmap with a stored size of 0, a
// clipboard file without formats) as nothing, without a word; a converter that went on would
// write an empty picture and report success, so it raises this: the packed bitmap's own text,
// or "the file holds no picture".
[[noreturn]] void RefuseEmptyPicture(bool packedBitmap);

// The core decoder of `format` (a row of the core's layer) as a converter runs it: a picture
// that holds nothing is refused.
TBitmap DecodeToConvert(const TInputFormat& format, TStream& source);

// How many leading bytes every signature check needs at most.
size_t SignatureBytes();
