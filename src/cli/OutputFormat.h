// The formats the command line writes, and how OUTPUT's name or --to picks one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class TOutputFormat { Blz, Bmp, Png, Pam, Ppm, Pgm };

// The format by its name (any case): blz, bmp, png, pam, ppm, pgm.
std::optional<TOutputFormat> OutputFormatNamed(std::string_view name);
// The format `fileName`'s extension names, if it names one the command line writes.
std::optional<TOutputFormat> OutputFormatOf(const std::string& fileName);
// Whether `fileName`'s extension names any picture format, read or written.
bool NamesPictureFormat(const std::string& fileName);
// Lower case, also the extension a batch gives its outputs ("BLZ" for pack, as quick save).
std::string_view OutputFormatName(TOutputFormat format);
// "blz, bmp, png, pam, ppm, pgm".
std::string OutputFormatList();
