#include "codec/LZRW1KH.h"
#include "Lzrw1khReference.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <random>

using testsupport::Hex;

namespace {

using Bytes = std::vector<uint8_t>;

// Compresses `input` with `coder` from a buffer that ends exactly 2 bytes past it (the most
// the coder may read), filled with `tail`.
Bytes Compress(const Bytes& input, uint8_t tail = 0,
               uint16_t (*coder)(const uint8_t*, uint8_t*, uint16_t) = CompressBlock) {
  Bytes source(input);
  source.resize(input.size() + 2, tail);
  Bytes block(input.size() + 6);
  block.resize(coder(source.data(), block.data(), static_cast<uint16_t>(input.size())));
  return block;
}

Bytes Reference(const Bytes& input) {
  return Compress(input, 0, lzrw1kh_reference::Compress);
}

Bytes Decompress(const Bytes& block, size_t capacity = lzrw1kh::kMaxBlockInput,
                 size_t (*decoder)(const uint8_t*, uint8_t*, size_t, size_t) = DecompressBlock) {
  Bytes out(capacity);
  out.resize(decoder(block.data(), out.data(), block.size(), capacity));
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Noise: 3-byte sequences practically never repeat.
Bytes Incompressible(size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  Bytes bytes(size);
  for (uint8_t& byte : bytes)
    byte = static_cast<uint8_t>(random());
  return bytes;
}

TEST(Lzrw1khBlocks, ExactBytes) {
  Bytes seventeenRuns, sixteenItems = Hex("40 FF FF");
  for (int i = 0; i < 17; ++i)
    seventeenRuns.insert(seventeenRuns.end(), 16, uint8_t(i));
  const Bytes sixteenRuns(seventeenRuns.begin(), seventeenRuns.end() - 16);
  for (uint8_t i = 0; i < 16; ++i)
    sixteenItems.insert(sixteenItems.end(), {0, 0, 0, i});
  Bytes seventeenItems = sixteenItems;
  seventeenItems.insert(seventeenItems.end(), {0x80, 0x00, 0, 0, 0, 16});

  const struct {
    const char* name;
    Bytes input, block;
  } cases[] = {
      {"empty", {}, Hex("80")},
      {"one byte", Hex("07"), Hex("80 07")},
      {"two equal bytes", Hex("07 07"), Hex("80 07 07")},
      {"overlapping copy", Concat({Hex("01"), Bytes(10, 2)}), Hex("40 20 00 01 02 00 16")},
      {"run of 16", Bytes(16, 5), Hex("40 80 00 00 00 00 05")},
      {"run of 15 is a copy", Concat({Bytes(15, 5), Hex("09")}), Hex("40 40 00 05 00 1B 09")},
      {"exactly 16 items", sixteenRuns, sixteenItems},
      {"17th item opens a control word", seventeenRuns, seventeenItems},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Compress(c.input), c.block);
    EXPECT_EQ(Decompress(c.block), c.input);
  }
}

TEST(Lzrw1khBlocks, BytesPastTheEndNeverChangeTheBlock) {
  // The last two positions hash bytes beyond the input; make those bytes tempting matches.
  const Bytes inputs[] = {Hex("01 02 03 04 05 01 02"), Concat({Incompressible(200), Hex("00 07")}),
                          Concat({Bytes(14, 9), Hex("01 02 03 01 02")})};
  for (const Bytes& input : inputs) {
    Bytes expected = Reference(input);
    for (int tail : {0x00, 0x03, 0x07, 0x09, 0xFF}) {
      EXPECT_EQ(Compress(input, static_cast<uint8_t>(tail)), expected) << "tail " << tail;
    }
  }
}

// A random mixture of runs, repeats at many distances, small-alphabet text and noise.
Bytes Generated(std::mt19937& random) {
  // Sizes around the items of a control word, the window and the piece come up often.
  static const size_t kEdges[] = {0, 1, 2, 15, 16, 17, 4095, 4096, 4097, 32767, 32768};
  std::uniform_int_distribution<int> pick(0, 99);
  const int p = pick(random);
  const size_t size = p < 15   ? kEdges[random() % std::size(kEdges)]
                      : p < 40 ? random() % 300
                               : random() % 32769;
  Bytes bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    const size_t length = 1 + random() % (pick(random) < 10 ? 5000 : 60);
    const int kind = pick(random);
    if (kind < 25) {
      bytes.insert(bytes.end(), length, static_cast<uint8_t>(random()));
    } else if (kind < 60 && !bytes.empty()) {
      const size_t distance =
          1 + random() % std::min<size_t>(bytes.size(), pick(random) < 50 ? 24 : 4200);
      for (size_t k = 0; k < length; ++k)
        bytes.push_back(bytes[bytes.size() - distance]);
    } else if (kind < 80) {
      for (size_t k = 0; k < length; ++k)
        bytes.push_back(static_cast<uint8_t>('a' + random() % 4));
    } else {
      for (size_t k = 0; k < length; ++k)
        bytes.push_back(static_cast<uint8_t>(random()));
    }
  }
  bytes.resize(size);
  return bytes;
}

// Pieces of 24-bit and 32-bit pixel rows: flat colours (which repeat every 3 or 4 bytes),
// gradients, noisy photo-like spans and short runs, cut at any size.
Bytes PixelLike(std::mt19937& random) {
  const size_t size = random() % 2 ? random() % 32769 : random() % 200;
  const unsigned pixel = random() % 4 == 0 ? 4 : 3;
  Bytes bytes;
  bytes.reserve(size + 64);
  while (bytes.size() < size) {
    const size_t pixels = 1 + random() % (random() % 8 == 0 ? 3000 : 40);
    uint8_t color[4] = {uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
    const unsigned kind = random() % 4;
    const int noise = 1 + static_cast<int>(random() % 31);
    for (size_t i = 0; i < pixels; ++i)
      for (unsigned c = 0; c < pixel; ++c) {
        int value = color[c];
        if (kind == 1) value += static_cast<int>(i / 5);
        if (kind == 2) value += static_cast<int>(random() % noise) - noise / 2;
        bytes.push_back(static_cast<uint8_t>(kind == 3 ? color[0] : value));
      }
  }
  bytes.resize(size);
  return bytes;
}

TEST(Lzrw1khRoundTrip, InputsMatchTheOracle) {
  struct {
    Bytes (*make)(std::mt19937&);
    unsigned seed;
    int count;
  } const kinds[] = {{Generated, 20240611, 1500}, {PixelLike, 31337, 400}};
  for (const auto& kind : kinds) {
    std::mt19937 random(kind.seed);
    for (int i = 0; i < kind.count; ++i) {
      Bytes input = kind.make(random);
      Bytes block = Compress(input, static_cast<uint8_t>(random()));
      ASSERT_EQ(block, Reference(input)) << "input " << i << ", " << input.size() << " bytes";
      ASSERT_LE(block.size(), input.size() + 1);
      ASSERT_EQ(Decompress(block, input.size() + 32, lzrw1kh_reference::Decompress), input);
      ASSERT_EQ(Decompress(block, input.size()), input) << "input " << i;
    }
  }
}

TEST(Lzrw1khDamage, DecoderStopsWhereTheOracleStops) {
  // Mutated and cut blocks, decoded into buffers sized exactly: the fast paths must stop at
  // the same item as the byte-by-byte decoder and stay inside both buffers.
  std::mt19937 random(77);
  for (int i = 0; i < 3000; ++i) {
    Bytes block = Compress(Generated(random));
    if (block.empty()) continue;
    for (int flips = random() % 4; flips > 0; --flips)
      block[random() % block.size()] ^= 1 << (random() % 8);
    if (random() % 2) block.resize(random() % (block.size() + 1));
    const size_t capacity = random() % 3 == 0 ? random() % 2000 : lzrw1kh::kMaxBlockInput;
    ASSERT_EQ(Decompress(block, capacity),
              Decompress(block, capacity, lzrw1kh_reference::Decompress))
        << "block " << i;
  }
}

TEST(Lzrw1khDamage, HandMadeDamage) {
  const struct {
    const char* name;
    Bytes block;
    size_t capacity;
    Bytes output;
  } cases[] = {
      {"empty block", {}, 100, {}},
      {"marker neither stored nor usual", Hex("00 80 00 00 00 00 05"), 100, Bytes(16, 5)},
      {"offset before the output", Hex("40 40 00 41 00 22"), 100, Hex("41")},
      {"run beyond the buffer", Hex("40 80 00 00 00 10 07"), 20, {}},
      {"literals beyond the buffer", Hex("40 00 00 01 02 03 04"), 2, Hex("01 02")},
      {"copy cut off", Hex("40 40 00 41 00"), 100, Hex("41")},
      {"run cut off", Hex("40 80 00 00 00 10"), 100, {}},
      {"control word cut off", Hex("40 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 00"),
       100, Hex("01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10")},
      {"stored beyond the buffer", Hex("80 01 02 03"), 2, Hex("01 02")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Decompress(c.block, c.capacity), c.output);
  }
}

} // namespace
