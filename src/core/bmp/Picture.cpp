#include "bmp/Picture.h"

#include "bmp/Bitmap.h"
#include "io/Exceptions.h"

#include <algorithm>
#include <cctype>

namespace {

std::vector<TFileFormat>& Registry() {
  static std::vector<TFileFormat> rows;
  return rows;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

} // namespace

std::string PictureFileExtension(const std::string& fileName) {
  size_t nameStart = fileName.find_last_of('/');
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  return Lower(fileName.substr(dot + 1));
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicFactory factory) {
  Registry().push_back({Lower(extension), description, std::move(factory)});
}

const std::vector<TFileFormat>& TPicture::FileFormats() {
  return Registry();
}

const TFileFormat* TPicture::FindFileFormat(const std::string& extension) {
  const std::string wanted = Lower(extension);
  const auto& rows = Registry();
  for (auto row = rows.rbegin(); row != rows.rend(); ++row)
    if (row->extension == wanted) return &*row;
  return nullptr;
}

void TPicture::Take(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->SetOnChange([this] { Changed(); });
  Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  Take(graphic ? graphic->Clone() : nullptr);
}

void TPicture::SetBitmap(HBITMAP bitmap) {
  SetGraphic(bitmap.bitmap);
}

void TPicture::SetIcon(HICON icon) {
  SetGraphic(icon.icon);
}

void TPicture::LoadFromFile(const std::string& fileName) {
  const std::string extension = PictureFileExtension(fileName);
  const TFileFormat* format = FindFileFormat(extension);
  if (!format) throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
  std::unique_ptr<TGraphic> graphic = format->factory();
  graphic->LoadFromFile(fileName);
  Take(std::move(graphic));
}
