#include "python/ChannelOrder.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VANTREL_SHUFFLE_BYTES 1
#endif

namespace {

size_t Swapped(size_t at) {
  return at - at % 3 + 2 - at % 3;
}

// Whole pixels from `at` (a pixel's first byte) on; returns where they stopped.
size_t SwapPixels(const uint8_t* in, size_t at, size_t to, uint8_t* out) {
  for (; at + 3 <= to; at += 3, in += 3) {
    out[at] = in[2];
    out[at + 1] = in[1];
    out[at + 2] = in[0];
  }
  return at;
}

#ifdef VANTREL_SHUFFLE_BYTES
// Five pixels a step: 16 bytes in, 15 out. The 16th byte stored is the next pixel's, which the
// next step (or the last whole pixels) stores again; the step runs only while that pixel lies
// inside the range, so the byte is this range's to write.
__attribute__((target("ssse3"))) size_t ShufflePixels(const uint8_t* in, size_t at, size_t to,
                                                      uint8_t* out) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  for (; at + 18 <= to; at += 15, in += 15) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), _mm_shuffle_epi8(pixels, order));
  }
  return SwapPixels(in, at, to, out);
}

bool Shuffles() {
  static const bool shuffles = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
  return shuffles;
}
#endif

} // namespace

void SwapRedAndBlue(const uint8_t* in, size_t from, size_t to, uint8_t* out) {
  size_t at = from;
  for (; at < to && at % 3; ++at)
    out[Swapped(at)] = *in++;
#ifdef VANTREL_SHUFFLE_BYTES
  const size_t whole = Shuffles() ? ShufflePixels(in, at, to, out) : SwapPixels(in, at, to, out);
#else
  const size_t whole = SwapPixels(in, at, to, out);
#endif
  in += whole - at;
  for (at = whole; at < to; ++at)
    out[Swapped(at)] = *in++;
}
