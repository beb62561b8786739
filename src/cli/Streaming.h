// The command line's way through big files: BMP rows and BLZ records go from the input to the
// output piece by piece, on every core, through a few buffers per thread, so that memory does
// not grow with the picture. Each command gives the bytes and the messages of the
// whole-picture path; a file that the piecewise path cannot take exactly (an input that must
// be decoded or converted, a damaged file) is left to that path, which each function tells by
// returning TPath::Whole or nullopt, possibly after reading half of the input.
//
// The readers take any seekable stream (a file or memory); the file-name forms open the file.
#pragma once

#include "blz/UniBmp.h"

#include <optional>
#include <string>

enum class TPath { Streamed, Whole };

// Whether the command line reads `fileName` with `format` as a BMP or BLZ file of its own
// (the window's extension rule, no --format), the only inputs streamed.
bool ReadsDirectly(const std::string& fileName, const std::string& format);

// pack of a plain BMP file into `layout`.
TPath StreamPack(const std::string& input, TBmpLayout layout, const std::string& output);

// unpack of a BLZ or plain BMP image into a BMP image. `out` may have been written to when
// the answer is Whole.
TPath StreamUnpack(TStream& input, TStream& out);
// The file form leaves `output` untouched when the answer is Whole.
TPath StreamUnpack(const std::string& input, const std::string& output);

// verify's line for a BLZ image, or a plain BMP image when `plainToo`; `name` starts the line.
std::optional<std::string> StreamVerify(TStream& input, const std::string& name, bool plainToo);
std::optional<std::string> StreamVerify(const std::string& file);

// info's line from the headers and the record frames alone; nullopt for an image whose
// headers are not the BMP writer's (info then reads the picture).
std::optional<std::string> HeaderInfo(TStream& input, const std::string& name);
std::optional<std::string> HeaderInfo(const std::string& file);
