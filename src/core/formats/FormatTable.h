// The picture formats the program reads, one row each: the name --format takes, the other
// names people use for it, and the file extensions the image loader knows it by. The command
// line's options, its help and its folder walk, and the loader's --format reader, share it.
#pragma once

#include <span>
#include <string>
#include <string_view>

struct TInputFormat {
  std::string_view name;       // lower case, as --format takes it
  std::string_view aliases;    // other accepted names, space-separated
  std::string_view extensions; // lower case, without the dot, space-separated
};

std::span<const TInputFormat> InputFormats();

// The row whose name or alias is `name`, in any case; nullptr when none is.
const TInputFormat* FindInputFormat(std::string_view name);

// Whether `fileName`'s extension (any case) is one the loader knows.
bool HasKnownExtension(const std::string& fileName);

// "bmp, blz, gif, ..." with the aliases in brackets, for messages and the help.
std::string InputFormatList();
