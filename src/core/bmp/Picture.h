// TPicture: a container for one graphic of any class, and the file-format registry that picks
// the class for a file by its extension.
//
// The registry is a list of (extension, description, factory) rows, extensions lower case
// without the dot, searched from the newest row back so that a later row for the same
// extension shadows an earlier one. It starts empty: the units add their rows at start-up,
// the graphics layer's own four ("wmf", "emf", "ico", "bmp") first.
#pragma once

#include "bmp/Graphic.h"
#include "bmp/Handles.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

struct TFileFormat {
  std::string extension;
  std::string description;
  TGraphicFactory factory;
};

class TPicture {
public:
  TPicture() = default;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // 0 × 0 when the picture holds no graphic.
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  const TGraphic* Graphic() const { return graphic_.get(); }
  TGraphic* Graphic() { return graphic_.get(); }

  // Stores a copy of `graphic` (nullptr empties the picture) and reports the change.
  void SetGraphic(const TGraphic* graphic);
  void SetGraphic(const TGraphic& graphic) { SetGraphic(&graphic); }
  // Wraps a handle's object: the picture then holds a copy of that bitmap or icon.
  void SetBitmap(HBITMAP bitmap);
  void SetIcon(HICON icon);

  // Creates the class registered for the file's extension and has it load the file. Raises
  // EInvalidGraphic "Unknown picture file extension (.ext)" when no row matches; on any
  // failure the picture keeps what it held.
  void LoadFromFile(const std::string& fileName);

  // Called after every change of the graphic, also changes the graphic reports itself.
  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                 TGraphicFactory factory);
  // The rows in the order they were added.
  static const std::vector<TFileFormat>& FileFormats();
  // The newest row for `extension` (any case, without the dot), or nullptr.
  static const TFileFormat* FindFileFormat(const std::string& extension);

private:
  void Take(std::unique_ptr<TGraphic> graphic);
  void Changed() const {
    if (onChange_) onChange_();
  }

  std::unique_ptr<TGraphic> graphic_;
  std::function<void()> onChange_;
};

// The extension of a file name: the text after the last dot of the name part (path
// excluded), lower-cased; empty when the name part has no dot.
std::string PictureFileExtension(const std::string& fileName);
