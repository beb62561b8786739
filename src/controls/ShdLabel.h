// TShadowedLabel: an opaque text label whose caption carries a drop shadow, either one copy of
// the text in the shadow colour or a solid extrusion from the shadow to the text.
#pragma once

#include "bmp/Color.h"
#include "bmp/Graphic.h"
#include "controls/ControlTypes.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <vector>

class TDocking;

// One draw of the caption: the box it is clipped to and the colour it is drawn in.
struct TTextDraw {
  TRect Box;
  TColor Color = clBlack;
  friend bool operator==(const TTextDraw&, const TTextDraw&) = default;
};

class TShadowedLabel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(TShadowType ShadowType READ ShadowType WRITE SetShadowType)
  Q_PROPERTY(bool SolidShadow READ SolidShadow WRITE SetSolidShadow)
  Q_PROPERTY(TColor ShadowColor READ ShadowColor WRITE SetShadowColor)
  Q_PROPERTY(uint16_t ShadowDown READ ShadowDown WRITE SetShadowDown)
  Q_PROPERTY(uint16_t ShadowLeft READ ShadowLeft WRITE SetShadowLeft)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(ControlTypes::TAlign Align READ Align WRITE SetAlign)
  Q_PROPERTY(ControlTypes::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TColor FontColor READ FontColor WRITE SetFontColor)
  Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE SetFocusControl)
  Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
  Q_PROPERTY(uint16_t TxtHeight READ TxtHeight)
  Q_PROPERTY(uint16_t TxtWidth READ TxtWidth)

public:
  enum TShadowType { shdULeft, shdDLeft, shdURight, shdDRight };
  Q_ENUM(TShadowType)

  explicit TShadowedLabel(QWidget* owner = nullptr);

  TShadowType ShadowType() const { return shadowType_; }
  void SetShadowType(TShadowType value);
  bool SolidShadow() const { return solidShadow_; }
  void SetSolidShadow(bool value);
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor value);
  uint16_t ShadowDown() const { return shadowDown_; }
  void SetShadowDown(uint16_t value);
  uint16_t ShadowLeft() const { return shadowLeft_; }
  void SetShadowLeft(uint16_t value);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value);
  TAlign Align() const;
  void SetAlign(TAlign value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // The font's colour lives in the palette's window-text role.
  TColor FontColor() const;
  void SetFontColor(TColor value);
  // The caption's accelerator moves the focus to this widget.
  QWidget* FocusControl() const { return focusControl_; }
  void SetFocusControl(QWidget* control) { focusControl_ = control; }
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);

  // Text size of the last paint.
  uint16_t TxtHeight() const { return txtHeight_; }
  uint16_t TxtWidth() const { return txtWidth_; }

  // The draws a paint makes, in order, for the current size: shadow copies, then the text.
  std::vector<TTextDraw> PlanDraws() const;

signals:
  void clicked();

protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  struct TAnchor {
    int X = 0, Y = 0;
    uint16_t Width = 0, Height = 0;
  };
  TAnchor ComputeAnchor() const;
  // What the label without its shadow would size itself to when its caption or font changes.
  void AdjustBounds();
  void ApplyAutoSize(const TAnchor& anchor);
  void UpdateShortcut();

  TShadowType shadowType_ = shdDLeft;
  bool solidShadow_ = true;
  TColor shadowColor_ = clWhite;
  uint16_t shadowDown_ = 2;
  uint16_t shadowLeft_ = 2;
  QString caption_;
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  TColor color_ = clBtnFace;
  QPointer<QWidget> focusControl_;
  bool showAccelChar_ = true;
  uint16_t txtHeight_ = 0;
  uint16_t txtWidth_ = 0;
  TDocking* docking_;
  int shortcut_ = 0;
  bool leftPressed_ = false;
};
