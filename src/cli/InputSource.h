// One INPUT of a command: a named file, or standard input when the name is "-". Opening it
// is the first thing a command does, so a missing or unreadable file says so, with the
// system's reason, before any format is probed.
#pragma once

#include "io/Streams.h"

#include <memory>
#include <string>

class TUniBitmap;

class TInputSource {
public:
  // `format` is --format's canonical name, or empty for the window's rule.
  TInputSource(const std::string& name, const std::string& format);
  ~TInputSource();

  const std::string& Name() const { return name_; }
  bool IsStandardInput() const { return name_ == "-"; }
  // Whether the format core reads it itself, piece by piece: a BMP or BLZ file by the
  // window's extension rule, or standard input whose content is BMP or BLZ.
  bool Direct() const { return direct_; }
  // The bytes, seekable; the position is wherever the last reader left it.
  TStream& Stream() { return *stream_; }
  int64_t Size() { return stream_->Size(); }
  // The whole picture, as the window reads it (or with --format's reader alone).
  void Read(TUniBitmap& target);

private:
  void ReadPicture(TUniBitmap& target);

  std::string name_, format_;
  std::unique_ptr<TStream> stream_;
  bool direct_ = false;
};
