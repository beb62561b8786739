// gdk-pixbuf loader module: BLZ files (both layouts), clipboard files and LBM pictures for GTK
// programs and GNOME's thumbnailer. It links only the Qt-free format core. gdk-pixbuf feeds
// the file in pieces; the formats need the whole file, so the pieces are gathered and decoded
// when the load stops.
#define GDK_PIXBUF_ENABLE_BACKEND
#include <gdk-pixbuf/gdk-pixbuf-io.h>
#undef GDK_PIXBUF_ENABLE_BACKEND

#include "PluginCore.h"
#include "bmp/PixelRows.h"
#include "formats/FormatTable.h"

#include <deque>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

struct LoadContext {
  GdkPixbufModuleSizeFunc sizeFunc;
  GdkPixbufModulePreparedFunc preparedFunc;
  GdkPixbufModuleUpdatedFunc updatedFunc;
  gpointer userData;
  std::vector<uint8_t> file;
};

GdkPixbufError ErrorCode(TDecodeFailure failure) {
  switch (failure) {
  case TDecodeFailure::NotThisFormat:
    return GDK_PIXBUF_ERROR_UNKNOWN_TYPE;
  case TDecodeFailure::OutOfMemory:
    return GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY;
  case TDecodeFailure::Corrupt:
    break;
  }
  return GDK_PIXBUF_ERROR_CORRUPT_IMAGE;
}

void SetError(GError** error, const std::exception& failure) {
  g_set_error_literal(error, GDK_PIXBUF_ERROR, ErrorCode(ClassifyFailure(failure)), failure.what());
}

void SetOutOfMemory(GError** error) {
  g_set_error_literal(error, GDK_PIXBUF_ERROR, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
                      "Not enough memory to load the image");
}

GdkPixbuf* ToPixbuf(const TBitmap& bitmap) {
  const bool alpha = KeepsAlpha(bitmap);
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, bitmap.Width(), bitmap.Height());
  if (!pixbuf) throw std::bad_alloc();
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < bitmap.Height(); ++y)
    ConvertRow(bitmap, y, alpha ? TRowLayout::Rgba : TRowLayout::Rgb,
               pixels + static_cast<size_t>(y) * stride);
  return pixbuf;
}

gpointer BeginLoad(GdkPixbufModuleSizeFunc sizeFunc, GdkPixbufModulePreparedFunc preparedFunc,
                   GdkPixbufModuleUpdatedFunc updatedFunc, gpointer userData, GError** error) {
  try {
    return new LoadContext{sizeFunc, preparedFunc, updatedFunc, userData, {}};
  } catch (const std::exception&) {
    SetOutOfMemory(error);
    return nullptr;
  }
}

gboolean LoadIncrement(gpointer data, const guchar* buffer, guint size, GError** error) {
  try {
    auto* context = static_cast<LoadContext*>(data);
    context->file.insert(context->file.end(), buffer, buffer + size);
    return TRUE;
  } catch (const std::exception&) {
    SetOutOfMemory(error);
    return FALSE;
  }
}

gboolean StopLoad(gpointer data, GError** error) {
  std::unique_ptr<LoadContext> context(static_cast<LoadContext*>(data));
  try {
    TBitmap bitmap;
    DecodeImage(context->file, bitmap);
    context->file = {};
    int width = bitmap.Width(), height = bitmap.Height();
    if (context->sizeFunc) {
      context->sizeFunc(&width, &height, context->userData);
      // A caller that asks for no pixels only wanted the size.
      if (width == 0 || height == 0) return TRUE;
    }
    GdkPixbuf* pixbuf = ToPixbuf(bitmap);
    if (context->preparedFunc) context->preparedFunc(pixbuf, nullptr, context->userData);
    if (context->updatedFunc)
      context->updatedFunc(pixbuf, 0, 0, bitmap.Width(), bitmap.Height(), context->userData);
    g_object_unref(pixbuf);
    return TRUE;
  } catch (const std::exception& failure) {
    SetError(error, failure);
    return FALSE;
  }
}

// What fill_info tells gdk-pixbuf, made from the format table's rows for this host: a pattern
// per signature (mask ' ' must match, 'x' any byte), the MIME types and the extensions. The
// pointers point into `texts`, which never grows after they are taken.
struct TPixbufFormatInfo {
  std::deque<std::string> texts;
  std::vector<GdkPixbufModulePattern> patterns;
  std::vector<const gchar*> mimeTypes, extensions;
};

char* Keep(std::deque<std::string>& texts, std::string text) {
  return texts.emplace_back(std::move(text)).data();
}

TPixbufFormatInfo PixbufFormatInfo() {
  TPixbufFormatInfo info;
  for (const TInputFormat& format : InputFormats()) {
    if (!(format.hosts & hostGdkPixbuf)) continue;
    for (const TSignature& signature : format.signatures) {
      std::string prefix, mask;
      size_t told = 0; // bytes the pattern checks
      for (const TSignaturePart& part : signature.parts) {
        if (prefix.size() < part.offset) {
          mask.resize(part.offset, 'x');
          prefix.resize(part.offset, 'x');
        }
        prefix.replace(part.offset, part.bytes.size(), part.bytes);
        mask.replace(part.offset, part.bytes.size(), std::string(part.bytes.size(), ' '));
        told += part.bytes.size();
      }
      // A two-byte signature begins other files by chance more often than a four-byte one.
      const int relevance = told >= 4 ? 100 : 80;
      const bool masked = mask.find('x') != std::string::npos;
      info.patterns.push_back(
          {Keep(info.texts, prefix), masked ? Keep(info.texts, mask) : nullptr, relevance});
    }
    info.mimeTypes.push_back(Keep(info.texts, std::string(format.mimeType)));
    for (const TExtension& extension : format.extensions)
      if (extension.hosts & hostGdkPixbuf)
        info.extensions.push_back(Keep(info.texts, std::string(extension.name)));
  }
  info.patterns.push_back({nullptr, nullptr, 0});
  info.mimeTypes.push_back(nullptr);
  info.extensions.push_back(nullptr);
  return info;
}

} // namespace

extern "C" {

G_MODULE_EXPORT void fill_vtable(GdkPixbufModule* module) {
  module->begin_load = BeginLoad;
  module->stop_load = StopLoad;
  module->load_increment = LoadIncrement;
}

G_MODULE_EXPORT void fill_info(GdkPixbufFormat* info) {
  static const TPixbufFormatInfo formats = PixbufFormatInfo();
  info->name = const_cast<gchar*>("vantrel");
  info->signature = const_cast<GdkPixbufModulePattern*>(formats.patterns.data());
  info->description = const_cast<gchar*>("BLZ, clipboard file and LBM");
  info->mime_types = const_cast<gchar**>(formats.mimeTypes.data());
  info->extensions = const_cast<gchar**>(formats.extensions.data());
  info->flags = 0;
  info->license = const_cast<gchar*>("Other");
}

} // extern "C"
