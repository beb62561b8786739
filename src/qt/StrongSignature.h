// Whether a file's first bytes are a signature that only one of our own formats uses. Such a
// file is ours even when our decoder refuses it, so no other reader is asked to guess at it.
#pragma once

#include <cstdint>
#include <span>

// GIF8, BM, LZRW or WRZL (BLZ), FORM (IFF), 50 C3 (clipboard file), D7 CD C6 9A (placeable
// metafile), an EMF header (record type 1 and " EMF" at offset 40), FF D8 FF (JPEG). The weak
// ones are left out on purpose: PCX's 0A, the icon's 00 00 01|02 00 and the plain metafile's
// 01|02 00 09 00 begin many other files, an uncompressed TGA (00 00 02 00) among them.
bool StartsWithStrongSignature(std::span<const uint8_t> head);

// How many first bytes StartsWithStrongSignature looks at, at most.
inline constexpr size_t kStrongSignatureSpan = 44;
