// What each command does to one INPUT (a file or "-"). Each throws the file's error.
#pragma once

#include "cli/InfoLine.h"
#include "cli/Options.h"

#include <cstdint>
#include <string>

// pack, unpack and convert write OUTPUT, a file or "-".
void Pack(const TOptions& options, const std::string& input, const std::string& output);
void Unpack(const TOptions& options, const std::string& input, const std::string& output);
void Convert(const TOptions& options, TOutputFormat format, const std::string& input,
             const std::string& output);

// The format convert writes OUTPUT in: --to, else what its extension names; a usage error
// when neither says.
TOutputFormat ConvertFormat(const TOptions& options, const std::string& output);

// Refuses an OUTPUT whose extension names a format other than the command's own (a usage
// error): pack writes BLZ (also named .bmp, as the packed bitmap is one), unpack BMP.
void CheckOutputName(const std::string& command, const std::string& output);

TInfoFigures Info(const std::string& file);
std::string Verify(const std::string& file);
void Thumbnail(const std::string& input, const std::string& output, const std::string& size);
