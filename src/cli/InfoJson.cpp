#include "cli/InfoJson.h"

#include <nlohmann/json.hpp>

struct TInfoJson::TArray {
  nlohmann::ordered_json items = nlohmann::ordered_json::array();
};

TInfoJson::TInfoJson() : array_(std::make_unique<TArray>()) {}
TInfoJson::~TInfoJson() = default;

void TInfoJson::Add(const std::string& file, const TInfoFigures& f) {
  nlohmann::ordered_json item;
  item["file"] = file;
  item["layout"] = f.layout == TBmpLayout::PackedBitmap ? "packed"
                   : f.layout == TBmpLayout::BLZStream  ? "stream"
                   : f.picture                          ? "picture"
                                                        : "bmp";
  item["width"] = f.width;
  item["height"] = f.height;
  item["bpp"] = f.bitsPerPixel;
  if (f.layout != TBmpLayout::Plain) {
    item["image_bytes"] = f.imageSize;
    item["stored_size"] = f.storedSize;
    item["records"] = f.records;
  }
  item["disk_bytes"] = f.onDisk;
  array_->items.push_back(std::move(item));
}

void TInfoJson::AddError(const std::string& file, const std::string& message) {
  array_->items.push_back({{"file", file}, {"error", message}});
}

std::string TInfoJson::Text() const {
  return array_->items.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
