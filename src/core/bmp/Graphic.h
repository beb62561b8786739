// TGraphic: what every picture class offers: a size, loading and saving through streams and
// files, drawing onto a draw target, rendering onto white, and a change listener.
#pragma once

#include <functional>
#include <memory>
#include <string>

class TStream;
class TBitmap;
class TDrawTarget;

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};

class TGraphic {
public:
  virtual ~TGraphic() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() == 0 || Height() == 0; }

  // Reads the graphic from the stream's current position.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) const = 0;
  // Reads the whole file into memory and calls LoadFromStream on it.
  virtual void LoadFromFile(const std::string& fileName);
  // Writes through a temporary file, so a failure never destroys an existing file.
  virtual void SaveToFile(const std::string& fileName) const;

  // Draws the graphic stretched into `rect` of the target's device.
  virtual void Draw(TDrawTarget& target, const TRect& rect) const = 0;
  // A new white 24-bit bitmap of the graphic's own size with the graphic drawn one to one
  // onto it: what copying the graphic into a bitmap makes of it. A graphic without a size
  // gives an empty bitmap.
  virtual TBitmap RenderOnWhite() const = 0;
  virtual std::unique_ptr<TGraphic> Clone() const = 0;

  void SetOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

protected:
  void Changed() const {
    if (onChange_) onChange_();
  }

private:
  std::function<void()> onChange_;
};
