// What the image plugins share: decoding the formats offered to them into a TBitmap, and writing a
// BLZ file. Qt-free, so the same object serves Qt 5, Qt 6 and GTK.
#pragma once

#include "blz/UniBmp.h"

#include <cstdint>
#include <exception>
#include <span>
#include <vector>

// Decodes a whole file of one of the formats the format table offers to the plugin hosts, told
// by its signature. Throws Exception with the decoder's message.
void DecodeImage(std::span<const uint8_t> file, TBitmap& target);

// What a failure of DecodeImage (or of the plugin's own allocations) is to a host: a file of
// none of the formats (or not of the one its signature named), a damaged file, or a picture
// too large for memory (the size limits' refusal included), by the failure's kind.
enum class TDecodeFailure { NotThisFormat, Corrupt, OutOfMemory };
TDecodeFailure ClassifyFailure(const std::exception& failure);

// The BLZ file of `bitmap`: the packed-bitmap layout, or the stream layout.
std::vector<uint8_t> EncodeBlz(const TUniBitmap& bitmap, bool streamLayout);
