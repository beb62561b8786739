// TMetafile: a Windows metafile, WMF (with or without the 22-byte placeable header) or EMF,
// played onto a QPainter by players of our own (WmfPlayer.cpp, EmfPlayer.cpp over GdiPlayer).
//
// Size in screen pixels at 96 per inch: a placeable WMF's bounding box divided by its units
// per inch; a WMF without that header takes its window extent (and is refused without one);
// an EMF its frame in 0.01 mm (its bounds in device pixels when the frame is empty).
#pragma once

#include "bmp/Graphic.h"
#include "io/Exceptions.h"

#include <cstdint>
#include <span>
#include <vector>

class QPainter;
class QRectF;

struct TMetafileHeader {
  bool enhanced = false;
  int width = 0, height = 0;
};

// Reads the header and the size; raises EInvalidGraphic when the bytes are no metafile.
TMetafileHeader ReadMetafileHeader(std::span<const uint8_t> bytes);
// Play every record onto `painter`, the picture stretched into `target`. Unknown records are
// skipped; a malformed one raises EInvalidGraphic after what came before it was drawn.
void PlayWmf(std::span<const uint8_t> bytes, QPainter& painter, const QRectF& target);
void PlayEmf(std::span<const uint8_t> bytes, QPainter& painter, const QRectF& target);

class TMetafile : public TGraphic {
public:
  int Width() const override { return header_.width; }
  int Height() const override { return header_.height; }
  bool Enhanced() const { return header_.enhanced; }

  // Reads the whole metafile and plays it once, so a damaged file fails here, not later
  // while it is being drawn.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  // Plays the metafile; playback stops quietly at a damaged record.
  void Draw(TDrawTarget& target, const TRect& rect) const override;
  TBitmap RenderOnWhite() const override;
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TMetafile>(*this); }

private:
  std::vector<uint8_t> data_;
  TMetafileHeader header_;
};
