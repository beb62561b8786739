// info --json: a JSON array with one object per file, for scripts.
#pragma once

#include "cli/InfoLine.h"

#include <memory>
#include <string>

class TInfoJson {
public:
  TInfoJson();
  ~TInfoJson();
  void Add(const std::string& file, const TInfoFigures& figures);
  void AddError(const std::string& file, const std::string& message);
  // The array, indented; names that are not UTF-8 get replacement characters.
  std::string Text() const;

private:
  struct TArray;
  std::unique_ptr<TArray> array_;
};
