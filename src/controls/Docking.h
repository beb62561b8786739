// The Align property of a control: docked to the top, bottom, left or right edge of its
// parent (keeping its own height or width), filling the parent, or placed freely.
#pragma once

#include "controls/ControlTypes.h"

#include <QObject>
#include <QSize>

class QWidget;

// The size AutoSize gives a control docked by `align`: a free control takes both wanted
// dimensions, one docked to the top or bottom only the height, to a side only the width, and a
// filling control keeps its size.
QSize AutoSizeFor(TAlign align, QSize current, QSize wanted);

class TDocking : public QObject {
public:
  explicit TDocking(QWidget* control);

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  // Moves and sizes the control to its place in the parent's client area.
  void Apply();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void WatchParent();

  QWidget* control_;
  QWidget* watchedParent_ = nullptr;
  TAlign align_ = alNone;
};
