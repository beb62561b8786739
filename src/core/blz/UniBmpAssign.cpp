// TUniBitmap's copying operations: a picture, an icon handle or a bitmap handle drawn one to
// one into the bitmap.
#include "blz/UniBmp.h"

#include "bmp/Handles.h"
#include "bmp/Picture.h"

void TUniBitmap::AssignPicture(const TPicture& picture) {
  // Drawn onto a fresh white bitmap rather than over the old pixels: transparent parts of an
  // icon or an unpainted metafile background must not show the previous image, and the
  // picture may be a copy of this very bitmap.
  TBitmap result;
  if (const TGraphic* graphic = picture.Graphic()) result = graphic->RenderOnWhite();
  static_cast<TBitmap&>(*this) = std::move(result);
  Modified();
}

void TUniBitmap::AssignIconHandle(HICON icon) {
  TPicture temporary;
  temporary.SetIcon(icon);
  AssignPicture(temporary);
}

void TUniBitmap::AssignBitmapHandle(HBITMAP bitmap) {
  TPicture temporary;
  temporary.SetBitmap(bitmap);
  AssignPicture(temporary);
}

TBitmap& TUniBitmap::BitmapFromBitmapHandle(HBITMAP bitmap) {
  AssignBitmapHandle(bitmap);
  return AsBitmap();
}

TBitmap& TUniBitmap::BitmapFromIconHandle(HICON icon) {
  AssignIconHandle(icon);
  return AsBitmap();
}

TBitmap& TUniBitmap::BitmapFromPicture(const TPicture& picture) {
  AssignPicture(picture);
  return AsBitmap();
}
