#include "bitmap/UniBmp.h"
#include "graphics/Streams.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Hex;

namespace {

const std::vector<uint8_t> kWhite2x2 =
    Hex("42 4D 46 00 00 00 00 00 00 00 36 00 00 00 28 00 00 00 02 00 00 00 02 00 00 00 01 00 "
        "18 00 00 00 00 00 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
        "FF FF FF FF FF FF 00 00 FF FF FF FF FF FF 00 00");

TEST(BlzWorkedPair, WritesBothLayouts) {
  TUniBitmap bitmap;
  bitmap.SetSize(2, 2);
  TMemoryStream plain, stream, packed;
  bitmap.SaveToStream(plain);
  EXPECT_EQ(std::vector<uint8_t>(plain.Bytes().begin(), plain.Bytes().end()), kWhite2x2);
  bitmap.SaveToBLZStream(stream);
  EXPECT_EQ(std::vector<uint8_t>(stream.Bytes().begin(), stream.Bytes().end()),
            Hex("4C 5A 52 57 46 00 00 00 2A 00 40 0A A2 42 4D 46 00 00 13 36 00 70 28 00 40 02 "
                "00 44 01 00 18 00 A0 00 29 00 00 10 00 00 03 00 FF 00 12 00 00 00 72 FF 00 00"));
  bitmap.SaveToPackedBmpStream(packed);
  EXPECT_EQ(std::vector<uint8_t>(packed.Bytes().begin(), packed.Bytes().end()),
            Hex("42 4D 46 00 00 00 46 00 00 00 36 00 00 00 28 00 00 00 02 00 00 00 02 00 00 00 "
                "01 00 18 00 4C 5A 52 57 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                "00 00 00 00 00 00 0D 00 40 48 00 FF 00 12 00 00 00 72 FF 00 00"));
}

} // namespace
