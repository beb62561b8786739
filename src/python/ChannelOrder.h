// Colour pixels from the bitmap's byte order (B,G,R) to numpy's (R,G,B).
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes `from` .. `to` - 1 of a row of B,G,R pixels, `in` (which holds byte `from` first),
// to the same bytes of the row `out` as R,G,B: byte c of a pixel goes to byte 2 - c. The range
// may start or end inside a pixel; no byte of `out` outside it is written, even for a moment.
void SwapRedAndBlue(const uint8_t* in, size_t from, size_t to, uint8_t* out);
