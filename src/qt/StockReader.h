// Pictures of today's formats (PNG, TIFF, WebP, TGA and whatever else Qt's image plugins
// read) for files that nothing of ours reads. Qt is asked last and only about files that are
// plainly not ours: a damaged GIF or icon that Qt's own readers would still open keeps the
// refusal our decoders give it.
#pragma once

#include "qt/StockPicture.h"

#include <QStringList>
#include <optional>
#include <string>

class TUniBitmap;

// Whether Qt's readers may be asked about the file: its extension has no row in the picture
// registry and it does not start with a strong signature of one of our formats.
bool StockReadersMayTry(const std::string& fileName);

// Reads the first frame or page through the Qt reader that the content names, EXIF
// orientation applied. nullopt when no reader of Qt's takes the file, or only one that
// duplicates ours (BMP, GIF, JPEG, icons, our own plugin). Raises EOutOfResources when the
// picture is larger than our limits allow.
std::optional<TStockPicture> ReadStockPicture(const std::string& fileName);

// The image loader's last attempt: when StockReadersMayTry and ReadStockPicture give a
// picture, it is assigned to `loader` as a picture (drawn, unless the loader keeps pixels
// undrawn) and true is returned.
bool LoadWithStockReaders(const std::string& fileName, TUniBitmap& loader);

// The lower-case names of the formats Qt reads here beyond ours ("png", "tiff", ...), for
// file masks.
QStringList StockFormats();
