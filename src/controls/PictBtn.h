// TPictButton: shows a picture at its natural size on a control of that size. Pixels of the
// picture's transparent colour (its bottom-left pixel) show the parent's colour and are holes
// for the mouse (see THitColorControl).
#pragma once

#include "bmp/Graphic.h"
#include "controls/HitColorControl.h"

#include <QImage>

#include <memory>

class TPictButton : public THitColorControl {
  Q_OBJECT
  Q_PROPERTY(QImage Picture READ PictureImage WRITE SetPictureImage)

public:
  explicit TPictButton(QWidget* owner = nullptr);
  ~TPictButton() override;

  const TGraphic* Picture() const { return picture_.get(); }
  // Keeps a copy of `graphic`; null empties the picture. The control takes the picture's size.
  void SetPicture(const TGraphic* graphic);
  QImage PictureImage() const;
  void SetPictureImage(const QImage& image);

  // The colour the control shows under its holes: always its parent's.
  TColor Color() const;
  // Whether Qt may skip erasing the background: the picture is a bitmap covering the control.
  bool IsOpaque() const { return testAttribute(Qt::WA_OpaquePaintEvent); }

protected:
  TColor ShownPixel(const QPoint& point) const override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  void PictureChanged();

  std::unique_ptr<TGraphic> picture_;
  QImage work_;  // the picture drawn at its own size
  QImage shown_; // what the last paint put on the screen
};
