// TUniBitmap: the program's bitmap. A TBitmap that recognises, from the bytes at offset 0 of a
// stream, a plain BMP image or either BLZ layout, and saves in either BLZ layout.
//
// The layouts are described in BlzContainer.h.
#pragma once

#include "blz/BlzContainer.h"
#include "bmp/Bitmap.h"
#include "io/Resources.h"

#include <string>
#include <vector>

class TPicture;
struct HBITMAP;
struct HICON;

class TMemoryStream;

// What RestoreBmpImage found in a file.
struct TBlzContents {
  TBmpLayout layout = TBmpLayout::Plain;
  int64_t storedSize = 0; // S as the header gives it (0 for a plain image)
  size_t records = 0;     // block records read
  bool restored = false;  // false: a packed bitmap that the readers leave unloaded
};

// Restores the BMP image held in `file` (any layout; a plain image is copied) into `image`,
// exactly as the loaders do. Throws EInvalidGraphic on damaged records.
TBlzContents RestoreBmpImage(std::span<const uint8_t> file, TMemoryStream& image);

class TUniBitmap : public TBitmap {
public:
  using TBitmap::TBitmap;

  // Recognises the layout from offset 0 of the stream, whatever its position.
  void LoadFromStream(TStream& stream) override;

  virtual void LoadFromBLZFile(const std::string& fileName);
  virtual void SaveToBLZStream(TStream& stream) const;
  virtual void SaveToBLZFile(const std::string& fileName) const;
  virtual void LoadFromPackedBmpFile(const std::string& fileName);
  virtual void SaveToPackedBmpFile(const std::string& fileName) const;
  virtual void SaveToPackedBmpStream(TStream& stream) const;
  virtual void LoadFromBLZStream(TStream& stream);
  virtual void LoadFromPackedBmpStream(TStream& stream);
  virtual void LoadPackedBmpResName(const HINSTANCE& instance, const std::string& resName);
  virtual void LoadPackedBmpResID(const HINSTANCE& instance, int32_t resId);
  virtual void LoadBLZResName(const HINSTANCE& instance, const std::string& resName);
  virtual void LoadBLZResID(const HINSTANCE& instance, int32_t resId);
  virtual void LoadFromResName(const HINSTANCE& instance, const std::string& resName);
  virtual void LoadFromResID(const HINSTANCE& instance, int32_t resId);

  // Copying: the size is set to the source's, then the source is drawn one to one onto a
  // new white bitmap. Handles stay owned by the caller.
  virtual void AssignIconHandle(HICON icon);
  virtual void AssignBitmapHandle(HBITMAP bitmap);
  virtual void AssignPicture(const TPicture& picture);

  virtual TBitmap& BitmapFromFile(const std::string& fileName);
  virtual TBitmap& BitmapFromStream(TStream& stream);
  virtual TBitmap& BitmapFromPackedBmpResName(const HINSTANCE& instance,
                                              const std::string& resName);
  virtual TBitmap& BitmapFromPackedBmpResID(const HINSTANCE& instance, int32_t resId);
  virtual TBitmap& BitmapFromBLZResName(const HINSTANCE& instance, const std::string& resName);
  virtual TBitmap& BitmapFromBLZResID(const HINSTANCE& instance, int32_t resId);
  virtual TBitmap& BitmapFromResName(const HINSTANCE& instance, const std::string& resName);
  virtual TBitmap& BitmapFromResID(const HINSTANCE& instance, int32_t resId);

  // Standard bitmap resources (RT_BITMAP), and the copying operations, returning *this.
  virtual TBitmap& BitmapFromBitmapResName(const HINSTANCE& instance, const std::string& resName);
  virtual TBitmap& BitmapFromBitmapResID(const HINSTANCE& instance, int32_t resId);
  virtual TBitmap& BitmapFromBitmapHandle(HBITMAP bitmap);
  virtual TBitmap& BitmapFromIconHandle(HICON icon);
  virtual TBitmap& BitmapFromPicture(const TPicture& picture);

  TBitmap& AsBitmap() { return *this; }

  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TUniBitmap>(*this); }

private:
  void LoadPlainBmp(TStream& stream) { TBitmap::LoadFromStream(stream); }
};

// The unit-wide instance; exists between UniBmpStartup and UniBmpShutdown.
extern TUniBitmap* DefaultUniBitmap;
void UniBmpStartup();
void UniBmpShutdown();
