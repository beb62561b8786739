// pack of a plain BMP file, piece by piece.
#include "cli/Streaming.h"

#include "blz/BlockPool.h"
#include "cli/OutputTarget.h"
#include "cli/PlainImage.h"
#include "formats/WindowRule.h"

using namespace streaming;

bool ReadsDirectly(const std::string& fileName, const std::string& format) {
  return format.empty() && ReadByBitmapItself(fileName);
}

TPath StreamPack(TStream& input, TBmpLayout layout, const std::string& output) {
  std::optional<TPlainBmpRows> rows = PlainRows(input);
  if (!rows) return TPath::Whole;
  TPlainImage image(input, std::move(*rows));
  WriteOutput(output, [&](TStream& out) {
    const auto header =
        blz::LayoutHeader(layout, image.Head(), static_cast<uint32_t>(image.Size()));
    out.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    const uint64_t base = blz::PayloadStart(layout);
    blocks::WriteRecords(
        image.Size() - base,
        [&](uint8_t* to, uint64_t offset, size_t count) { image.Fill(to, base + offset, count); },
        out);
  });
  return TPath::Streamed;
}
