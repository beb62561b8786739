// The core's bitmap classes name a few Qt-bound members in their virtual tables: drawing,
// copying from pictures and handles, and the program's embedded resources. An image plugin
// and the command-line program's BMP and BLZ work have no painter, no picture registry and
// no resources, so here they refuse plainly instead of pulling the Qt 6 library in.
#include "bitmap/UniBmp.h"
#include "graphics/Exceptions.h"
#include "graphics/Handles.h"
#include "graphics/Resources.h"

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
TBitmap& TUniBitmap::BitmapFromBitmapResName(const HINSTANCE&, const std::string&) {
  Unavailable("A bitmap resource");
}
TBitmap& TUniBitmap::BitmapFromBitmapResID(const HINSTANCE&, int32_t) {
  Unavailable("A bitmap resource");
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

std::string ResourceIdName(int32_t id) {
  return "#" + std::to_string(id);
}
TResourceStream::TResourceStream(const HINSTANCE&, const std::string& name, TResourceType) {
  throw EResNotFound("Resource " + name + " not found");
}
TResourceStream::TResourceStream(const HINSTANCE& instance, int32_t id, TResourceType type)
    : TResourceStream(instance, ResourceIdName(id), type) {}
int64_t TResourceStream::Write(const void*, int64_t) {
  throw EWriteError("Cannot write to a resource");
}
