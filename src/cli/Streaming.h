// The command line's way through big files: BMP rows and BLZ records go from the input file
// to the output piece by piece, on every core, through a few buffers per thread, so that
// memory does not grow with the picture. Each command gives the bytes and the messages of the
// whole-picture path; a file that the piecewise path cannot take exactly (an input that must
// be decoded or converted, a damaged file) is left to that path.
#pragma once

#include "blz/UniBmp.h"

#include <optional>
#include <string>

// Whether the command line reads `fileName` with `format` as a BMP or BLZ file of its own
// (the window's extension rule, no --format), the only inputs streamed.
bool ReadsDirectly(const std::string& fileName, const std::string& format);

// pack of a plain BMP file into `layout`; false when `input` is something else.
bool StreamPack(const std::string& input, TBmpLayout layout, const std::string& output);

// unpack of a BLZ or plain BMP file into a BMP file; false when the whole-picture path must
// do it (it then also gives the error of a damaged file).
bool StreamUnpack(const std::string& input, const std::string& output);

// verify's line for a BLZ or plain BMP file; nullopt when the whole-picture path must say it.
std::optional<std::string> StreamVerify(const std::string& file);

// info's line from the headers and the record frames alone; nullopt for a file whose
// headers are not the BMP writer's (info then reads the picture).
std::optional<std::string> HeaderInfo(const std::string& file);
