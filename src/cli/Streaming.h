// The command line's way through big files: BMP rows and BLZ records go from the input to the
// output piece by piece, on every core, through a few buffers per thread, so that memory does
// not grow with the picture. Each command gives the bytes and the messages of the
// whole-picture path; a file that the piecewise path cannot take exactly (an input that must
// be decoded or converted, a damaged file) is left to that path, which each function tells by
// returning TPath::Whole or nullopt, possibly after reading half of the input.
//
// The readers take any seekable stream: a file, standard input, or memory.
#pragma once

#include "blz/UniBmp.h"
#include "cli/InfoLine.h"

#include <optional>
#include <string>

enum class TPath { Streamed, Whole };

// Whether the command line reads `fileName` with `format` as a BMP or BLZ file of its own
// (the window's extension rule, no --format), the only inputs streamed.
bool ReadsDirectly(const std::string& fileName, const std::string& format);

// pack of a plain BMP image into `layout`, written to OUTPUT (a file, or "-").
TPath StreamPack(TStream& input, TBmpLayout layout, const std::string& output);

// unpack of a BLZ or plain BMP image into a BMP image. `out` may have been written to when
// the answer is Whole.
TPath StreamUnpack(TStream& input, TStream& out);
// To OUTPUT: a named file is left untouched when the answer is Whole; standard output gets
// the whole picture's bytes after what went out when that cannot be taken back.
TPath StreamUnpack(TStream& input, const std::string& output);

// verify's line for a BLZ image, or a plain BMP image when `plainToo`; `name` starts the line.
std::optional<std::string> StreamVerify(TStream& input, const std::string& name, bool plainToo);

// info's figures from the headers and the record frames alone; nullopt for an image whose
// headers are not the BMP writer's (info then reads the picture).
std::optional<TInfoFigures> HeaderInfo(TStream& input);
