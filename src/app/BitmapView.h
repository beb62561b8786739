// TBitmapView: the picture view. Shows a bitmap at one image pixel per screen pixel and
// converts only the part that a paint needs, so a picture of tens of megapixels takes no
// display copy of its own: showing it costs no more than the few rows on screen. Assistive
// technology sees a graphic named and described by the window (the file, the picture's size).
#pragma once

#include "bmp/Bitmap.h"

#include <QWidget>

#include <memory>

class TBitmapView : public QWidget {
  Q_OBJECT

public:
  explicit TBitmapView(QWidget* parent = nullptr);

  // Shares the bitmap until the next call; null shows nothing. The caller sizes the view.
  void SetBitmap(std::shared_ptr<const TBitmap> bitmap);
  const TBitmap* Bitmap() const { return bitmap_.get(); }
  // The view's size for the bitmap: its pixels at the screen's device pixel ratio.
  QSize BitmapSize() const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::shared_ptr<const TBitmap> bitmap_;
};
