// TUniPanel: a container with an outer and an inner bevel in chosen colours and a caption that
// sits at one of nine places, on its own background, over several lines, optionally sizing the
// panel to fit. The caption's accelerator can move the focus to another widget and click it,
// and a click on the panel can be passed on to that widget.
#pragma once

#include "bmp/Color.h"
#include "bmp/Graphic.h"
#include "controls/ControlTypes.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>

class TDocking;

// What the last paint computed; the caption is drawn into `Text`.
struct TPanelLayout {
  int Inset = 0;
  TRect Inner;
  TRect Text;
  uint16_t TextHeight = 0;
  uint16_t TextWidth = 0;
};

class TUniPanel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QWidget* FocusHandle READ FocusHandle WRITE SetFocusHandle)
  Q_PROPERTY(ControlTypes::TAlignment Alignment READ Alignment WRITE SetAlignment)
  Q_PROPERTY(TAlignmentV AlignmentVert READ AlignmentVert WRITE SetAlignmentVert)
  Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
  Q_PROPERTY(bool CaptnColorDiff READ CaptnColorDiff WRITE SetCaptnColorDiff)
  Q_PROPERTY(TColor CaptnTxtColor READ CaptnTxtColor WRITE SetCaptnTxtColor)
  Q_PROPERTY(TColor CaptnBckColor READ CaptnBckColor WRITE SetCaptnBckColor)
  Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE SetFocusControl)
  Q_PROPERTY(bool UseAltKey READ UseAltKey WRITE SetUseAltKey)
  Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE SetShowAccelChar)
  Q_PROPERTY(bool FocusClickCascade READ FocusClickCascade WRITE SetFocusClickCascade)
  Q_PROPERTY(bool FocusClickEmulation READ FocusClickEmulation WRITE SetFocusClickEmulation)
  Q_PROPERTY(bool SelfClickEmulation READ SelfClickEmulation WRITE SetSelfClickEmulation)
  Q_PROPERTY(TColor HighLight READ HighLight WRITE SetHighLight)
  Q_PROPERTY(TColor Shadow READ Shadow WRITE SetShadow)
  Q_PROPERTY(TfrColor FrameColor READ FrameColor WRITE SetFrameColor)
  Q_PROPERTY(TPanelIBevel BevelInner READ BevelInner WRITE SetBevelInner)
  Q_PROPERTY(TPanelOBevel BevelOuter READ BevelOuter WRITE SetBevelOuter)
  Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
  Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
  Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TColor FontColor READ FontColor WRITE SetFontColor)
  Q_PROPERTY(ControlTypes::TAlign Align READ Align WRITE SetAlign)

public:
  enum TAlignmentV { vertTop, vertBottom, vertCenter };
  Q_ENUM(TAlignmentV)
  enum TfrColor { frDefault, frGreen, frYellow, frBlue, frRed, frPurple, frUser };
  Q_ENUM(TfrColor)
  enum TPanelIBevel { bvINone, bvILowered, bvIRaised };
  Q_ENUM(TPanelIBevel)
  enum TPanelOBevel { bvONone, bvOLowered, bvORaised };
  Q_ENUM(TPanelOBevel)

  explicit TUniPanel(QWidget* owner = nullptr);

  QWidget* FocusHandle() const { return focusHandle_; }
  // Accepted only for an existing, enabled widget; anything else keeps the old target.
  void SetFocusHandle(QWidget* handle);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TAlignmentV AlignmentVert() const { return alignmentVert_; }
  void SetAlignmentVert(TAlignmentV value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool CaptnColorDiff() const { return captnColorDiff_; }
  void SetCaptnColorDiff(bool value);
  TColor CaptnTxtColor() const { return captnTxtColor_; }
  void SetCaptnTxtColor(TColor value);
  TColor CaptnBckColor() const { return captnBckColor_; }
  void SetCaptnBckColor(TColor value);
  QWidget* FocusControl() const { return focusControl_; }
  void SetFocusControl(QWidget* control);
  bool UseAltKey() const { return useAltKey_; }
  void SetUseAltKey(bool value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  bool FocusClickCascade() const { return focusClickCascade_; }
  void SetFocusClickCascade(bool value) { focusClickCascade_ = value; }
  bool FocusClickEmulation() const { return focusClickEmulation_; }
  void SetFocusClickEmulation(bool value) { focusClickEmulation_ = value; }
  bool SelfClickEmulation() const { return selfClickEmulation_; }
  void SetSelfClickEmulation(bool value) { selfClickEmulation_ = value; }
  TColor HighLight() const { return highLight_; }
  void SetHighLight(TColor value);
  TColor Shadow() const { return shadow_; }
  void SetShadow(TColor value);
  TfrColor FrameColor() const { return frameColor_; }
  void SetFrameColor(TfrColor value);
  TPanelIBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelIBevel value);
  TPanelOBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelOBevel value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& value);
  TColor Color() const { return color_; }
  void SetColor(TColor value);
  // The font's colour lives in the palette's window-text role.
  TColor FontColor() const;
  void SetFontColor(TColor value);
  TAlign Align() const;
  void SetAlign(TAlign value);

  // The accelerator notification: `ch` typed, with or without Alt held. True when handled.
  bool DialogChar(QChar ch, bool altHeld);
  const TPanelLayout& Layout() const { return layout_; }

signals:
  void clicked();

protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  bool TargetUsable() const;
  bool IsAccelerator(QChar ch) const;
  void UpdateShortcuts();
  TPanelLayout ComputeLayout(int clientWidth, int clientHeight) const;
  void ApplyAutoSize(const TPanelLayout& layout);

  QPointer<QWidget> focusHandle_;
  QPointer<QWidget> focusControl_;
  TAlignment alignment_ = taCenter;
  TAlignmentV alignmentVert_ = vertCenter;
  bool autoSize_ = false;
  bool captnColorDiff_ = false;
  TColor captnTxtColor_ = clBlack;
  TColor captnBckColor_ = clBtnFace;
  bool useAltKey_ = true;
  bool showAccelChar_ = true;
  bool focusClickCascade_ = false;
  bool focusClickEmulation_ = false;
  bool selfClickEmulation_ = false;
  TColor highLight_ = clBtnHighlight;
  TColor shadow_ = clBtnShadow;
  TfrColor frameColor_ = frDefault;
  TPanelIBevel bevelInner_ = bvINone;
  TPanelOBevel bevelOuter_ = bvONone;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  QString caption_;
  TColor color_ = clBtnFace;
  uint8_t tabWidth_ = 8;
  TPanelLayout layout_;
  TDocking* docking_;
  bool leftPressed_ = false;
  int altShortcut_ = 0;
  int plainShortcut_ = 0;
};
