// The core's bitmap classes name a few Qt-bound members in their virtual tables: drawing,
// copying from pictures and handles, and the program's embedded resources. An image plugin
// and the command-line program's BMP and BLZ work have no painter, no picture registry and
// no resources, so here they refuse plainly instead of pulling the Qt 6 library in.
#include "blz/UniBmp.h"
#include "bmp/Handles.h"
#include "io/Exceptions.h"

namespace {
[[noreturn]] void Unavailable(const char* what) {
  throw EInvalidGraphic(std::string(what) + " is not available without Qt");
}
} // namespace

void TBitmap::Draw(QPainter&, const TRect&) const {
  Unavailable("Drawing");
}

void TUniBitmap::AssignPicture(const TPicture&) {
  Unavailable("Copying a picture");
}
void TUniBitmap::AssignIconHandle(HICON) {
  Unavailable("Copying an icon");
}
void TUniBitmap::AssignBitmapHandle(HBITMAP) {
  Unavailable("Copying a bitmap handle");
}
TBitmap& TUniBitmap::BitmapFromBitmapHandle(HBITMAP) {
  Unavailable("Copying a bitmap handle");
}
TBitmap& TUniBitmap::BitmapFromIconHandle(HICON) {
  Unavailable("Copying an icon");
}
TBitmap& TUniBitmap::BitmapFromPicture(const TPicture&) {
  Unavailable("Copying a picture");
}
