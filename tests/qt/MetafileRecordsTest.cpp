// The record loops of the metafile players: where a file's records end, and which sizes are
// refused. Each file fills its picture red with its last record, so a test sees whether that
// record was played.
#include "MetafileWriters.h"
#include "qt/Metafile.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

// An 88-byte header of a 100 × 50 pixel frame, then a red brush, the null pen and a
// rectangle over the whole frame; no EOF record.
Bytes RedEmf() {
  EmfWriter e;
  Bytes& out = e.records;
  Put(out, 1), Put(out, 88);
  for (uint32_t v : {0, 0, 99, 49, 0, 0, 2646, 1323})
    Put(out, v);
  Put(out, 0x464D4520), Put(out, 0x10000), Put(out, 0), Put(out, 0), Put(out, 2);
  for (uint32_t v : {0, 0, 0, 960, 960, 254, 254})
    Put(out, v);
  e.Rec(39, {1, 0, 0xFF, 0}).Rec(37, {1}).Rec(37, {0x80000008}).Rec(43, {0, 0, 100, 50});
  return out;
}
constexpr size_t kEmfLastRecordAt = 136;

// An 18-byte header, a window of 100 × 50, a red brush, a null pen and a rectangle over the
// whole window; no end record.
Bytes RedWmf() {
  WmfWriter w;
  Bytes& out = w.records;
  // Two objects; the largest record's size (65536 words) has a low half of 0, which must not
  // be taken for the object count.
  Put(out, 1, 2), Put(out, 9, 2), Put(out, 0x0300, 2), Put(out, 0), Put(out, 2, 2),
      Put(out, 0x10000), Put(out, 0, 2);
  w.Rec(0x020C, {50, 100}).Rec(0x02FC, {0, 0xFF, 0, 0}).Rec(0x012D, {0});
  w.Rec(0x02FA, {5, 0, 0, 0, 0}).Rec(0x012D, {1}).Rec(0x041B, {50, 100, 0, 0});
  return out;
}
constexpr size_t kWmfLastRecordAt = 74;

struct Played {
  bool red = false;
  std::optional<std::string> error;
};

Played Play(const Bytes& bytes, bool emf) {
  QImage image(100, 50, QImage::Format_RGB32);
  image.fill(Qt::white);
  Played played;
  {
    QPainter painter(&image);
    try {
      (emf ? PlayEmf : PlayWmf)(bytes, painter, QRectF(0, 0, 100, 50));
    } catch (const EInvalidGraphic& e) {
      played.error = e.what();
    }
  }
  played.red = image.pixel(50, 25) == qRgb(255, 0, 0);
  return played;
}

Bytes With(Bytes bytes, const Bytes& tail, std::optional<size_t> at = std::nullopt) {
  bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(at.value_or(bytes.size())), tail.begin(),
               tail.end());
  return bytes;
}

Bytes WithWord(Bytes bytes, size_t at, uint32_t value, int size = 4) {
  for (int i = 0; i < size; ++i)
    bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  return bytes;
}

struct LoopCase {
  const char* name;
  Bytes bytes;
  bool red;
  const char* error; // the text's end, or null for none
};

std::string WrongSizeAt(size_t offset) {
  return "record at offset " + std::to_string(offset) + " has a wrong size";
}

void Check(const std::vector<LoopCase>& cases, bool emf) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Played played = Play(c.bytes, emf);
    EXPECT_EQ(played.red, c.red);
    if (!c.error) {
      EXPECT_FALSE(played.error) << *played.error;
    } else {
      ASSERT_TRUE(played.error);
      EXPECT_EQ(*played.error, std::string("Invalid metafile: ") + c.error);
    }
  }
}

TEST(MetafileRecords, EmfRecordsEndAtTheFileOrAtEof) {
  const Bytes red = RedEmf();
  const size_t end = red.size();
  const std::string atEnd = WrongSizeAt(end), atLast = WrongSizeAt(kEmfLastRecordAt);
  Check(
      {
          {"the last record reaches the end", red, true, nullptr},
          {"an EOF record stops", With(red, EmfWriter().Rec(14, {0, 16, 20}).records, 88), false,
           nullptr},
          {"7 stray bytes are no record", With(red, Bytes(7, 0xFF)), true, nullptr},
          {"8 stray bytes are a record", With(red, {1, 0, 0, 0, 4, 0, 0, 0}), true, atEnd.c_str()},
          {"a record of size 0", With(red, {1, 0, 0, 0, 0, 0, 0, 0}), true, atEnd.c_str()},
          {"the last record one word too long", WithWord(red, kEmfLastRecordAt + 4, 28), false,
           atLast.c_str()},
          {"a size not a multiple of 4", WithWord(red, kEmfLastRecordAt + 4, 22), false,
           atLast.c_str()},
          {"a header of 84 bytes", WithWord(red, 4, 84), false, "EMF header has a wrong size"},
          {"a header beyond the file", WithWord(red, 4, static_cast<uint32_t>(end + 4)), false,
           "EMF header has a wrong size"},
          {"a header of the whole file", WithWord(red, 4, static_cast<uint32_t>(end)), false,
           nullptr},
      },
      true);
}

TEST(MetafileRecords, WmfRecordsEndAtTheFileOrAtTheEndRecord) {
  const Bytes red = RedWmf();
  const size_t end = red.size();
  const std::string atEnd = WrongSizeAt(end), atLast = WrongSizeAt(kWmfLastRecordAt);
  Check(
      {
          {"the last record reaches the end", red, true, nullptr},
          {"an end record stops", WithWord(red, kWmfLastRecordAt + 4, 0, 2), false, nullptr},
          {"5 stray bytes are no record", With(red, Bytes(5, 0xFF)), true, nullptr},
          {"6 stray bytes are a record", With(red, {2, 0, 0, 0, 1, 1}), true, atEnd.c_str()},
          {"the last record one word too long", WithWord(red, kWmfLastRecordAt, 8), false,
           atLast.c_str()},
      },
      false);
}

} // namespace
