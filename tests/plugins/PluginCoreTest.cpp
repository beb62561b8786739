// The plugins' Qt-free part: what a file is, and what a failure means to a host.
#include "PluginCore.h"
#include "blz/BlzErrors.h"
#include "io/ByteReader.h"
#include "io/Streams.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> StreamPicture(int width, int height) {
  TUniBitmap bitmap;
  bitmap.Allocate(width, height, TPixelFormat::pf24bit, true);
  TMemoryStream out;
  bitmap.SaveToBLZStream(out);
  return {out.Bytes().begin(), out.Bytes().end()};
}

// What the host is told of the failure `action` throws.
template <class F> TDecodeFailure FailureOf(F action) {
  try {
    action();
  } catch (const std::exception& failure) {
    return ClassifyFailure(failure);
  }
  ADD_FAILURE() << "no failure";
  return TDecodeFailure::Corrupt;
}

// A file is ours by its first bytes alone: the signatures at their offsets, and nothing when
// a head is too short to hold one.
TEST(PluginCoreTest, SniffFindsEachSignatureAtItsPlace) {
  using namespace std::string_literals;
  auto head = [](const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
  };
  const std::string bmp = "BM" + std::string(28, '\0');
  const std::pair<std::vector<uint8_t>, TPluginFormat> cases[] = {
      {head("LZRW"s), TPluginFormat::Blz},
      {head("WRZL"s), TPluginFormat::Blz},
      {head("LZR"s), TPluginFormat::None},
      {head(bmp + "LZRW"s), TPluginFormat::Blz},
      {head(bmp + "WRZL"s), TPluginFormat::Blz},
      {head(bmp + "\1\0\0\0"s), TPluginFormat::None},
      {head("\x50\xC3"s), TPluginFormat::Clipboard},
      {head("\x50"s), TPluginFormat::None},
      {head("FORM\0\0\0\0ILBM"s), TPluginFormat::Lbm},
      {head("FORM\0\0\0\0PBM "s), TPluginFormat::Lbm},
      {head("FORM\0\0\0\08SVX"s), TPluginFormat::None},
      {head("FORM\0\0\0\0IL"s), TPluginFormat::None},
  };
  for (const auto& [bytes, format] : cases)
    EXPECT_EQ(SniffFormat(bytes), format) << std::string(bytes.begin(), bytes.end());
}

TEST(PluginCoreTest, FailuresAreToldApartForTheHost) {
  std::vector<uint8_t> truncated = StreamPicture(5, 5), unknown = {'h', 'e', 'l', 'l', 'o'};
  truncated.resize(truncated.size() - 3);
  std::vector<uint8_t> noImage(58, 0);
  noImage[0] = 'B', noImage[1] = 'M';
  StoreU32LE(&noImage[30], kLzrwMagic); // a stored size of 0
  TBitmap bitmap;
  for (const auto& [file, expected] : {std::pair{unknown, TDecodeFailure::NotThisFormat},
                                       {truncated, TDecodeFailure::Corrupt},
                                       {noImage, TDecodeFailure::Corrupt}})
    EXPECT_EQ(FailureOf([&] { DecodeImage(file, bitmap); }), expected) << file.size() << " bytes";
  EXPECT_EQ(FailureOf([] { throw std::bad_alloc(); }), TDecodeFailure::OutOfMemory);
  EXPECT_EQ(FailureOf([] { throw EOutOfResources("no room"); }), TDecodeFailure::OutOfMemory);
  EXPECT_EQ(FailureOf([] { ThrowBlzError(TBlzError::TooLarge); }), TDecodeFailure::OutOfMemory);
  EXPECT_EQ(FailureOf([] { ThrowBlzError(TBlzError::RecordTooLong); }), TDecodeFailure::Corrupt);
}

} // namespace
