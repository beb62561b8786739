#include "qt/JPEGImage.h"

#include "io/Limits.h"
#include "io/Streams.h"

#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace {

// A progressive file may hold any number of scans, each a pass over the whole image; a
// hostile file uses that to make decoding take forever.
constexpr int kMaxScans = 1000;

// A file that ends early decodes (as libjpeg's own tools show it) while its picture holds at
// most this many pixels per byte of the file: far more than any real picture that was cut
// short, and it keeps a few hundred bytes declaring 16000 × 16000 pixels from costing a minute.
constexpr uint64_t kMaxPixelsPerByteWhenCut = 4096;

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  uint64_t inputBytes;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  longjmp(errors->jump, 1);
}

// Warnings (a file that ends early, corrupt data, extraneous bytes) are not errors: the
// picture shows what libjpeg decodes, as its own tools do. Only its errors refuse a file.
// Trace messages come here too; none of them has the code of a file that ends early.
void EmitMessage(j_common_ptr cinfo, int /*level*/) {
  if (cinfo->err->msg_code == JWRN_JPEG_EOF && cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    const uint64_t pixels = uint64_t{d->image_width} * d->image_height;
    if (pixels > kMaxPixelsPerByteWhenCut * reinterpret_cast<ErrorManager*>(cinfo->err)->inputBytes)
      ErrorExit(cinfo);
  }
}

void CheckScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans) {
      auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
      std::snprintf(errors->message, sizeof errors->message, "JPEG file has more than %d scans",
                    kMaxScans);
      longjmp(errors->jump, 1);
    }
  }
}

uint8_t Clamp255(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Writes one decoded row as B,G,R. `components` is 1 (grey), 3 (RGB) or 4 (CMYK).
void StoreRow(const uint8_t* in, uint8_t* out, int width, int components) {
  for (int x = 0; x < width; ++x, out += 3) {
    if (components == 1) {
      out[0] = out[1] = out[2] = in[x];
    } else if (components == 3) {
      out[0] = in[3 * x + 2];
      out[1] = in[3 * x + 1];
      out[2] = in[3 * x];
    } else {
      int c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
      // Inverted values (255 means no ink) as Adobe writes them, with or without its marker,
      // as libjpeg's own tools read them: each channel is what is left times black's rest.
      out[0] = Clamp255((y * k + 127) / 255);
      out[1] = Clamp255((m * k + 127) / 255);
      out[2] = Clamp255((c * k + 127) / 255);
    }
  }
}

} // namespace

// Frees libjpeg's state on every path; destroying a never-created decompressor is harmless.
struct Decompressor {
  jpeg_decompress_struct cinfo{};
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
};

void DecodeJpeg(std::span<const uint8_t> bytes, TBitmap& target) {
  Decompressor d;
  jpeg_decompress_struct& cinfo = d.cinfo;
  ErrorManager errors{};
  errors.inputBytes = bytes.size();
  jpeg_progress_mgr progress{};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = ErrorExit;
  errors.pub.emit_message = EmitMessage;
  progress.progress_monitor = CheckScans;

  // libjpeg leaves by longjmp only from its own C frames, so no destructor is skipped; the
  // result is filled only after the last call that can fail before its rows.
  TBitmap result;
  if (setjmp(errors.jump)) throw EJPEG(errors.message);
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress;
  if (bytes.empty()) ERREXIT(&cinfo, JERR_INPUT_EMPTY);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);

  // Checked before libjpeg allocates anything for the image: the output bitmap, and for
  // progressive files the coefficients of every component held whole in memory.
  limits::CheckBitmapLimits(cinfo.image_width, cinfo.image_height, 24, "JPEG image");
  if (cinfo.progressive_mode)
    limits::CheckBitmapLimits(cinfo.image_width, cinfo.image_height, 16 * cinfo.num_components,
                              "JPEG image");

  switch (cinfo.jpeg_color_space) {
  case JCS_GRAYSCALE:
    cinfo.out_color_space = JCS_GRAYSCALE;
    break;
  case JCS_CMYK:
  case JCS_YCCK:
    cinfo.out_color_space = JCS_CMYK;
    break;
  default:
    cinfo.out_color_space = JCS_RGB;
    break;
  }
  jpeg_start_decompress(&cinfo);
  const int components = cinfo.output_components;
  const int width = static_cast<int>(cinfo.output_width);
  result.Allocate(width, static_cast<int>(cinfo.output_height), TPixelFormat::pf24bit);
  JSAMPARRAY row =
      (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                 cinfo.output_width * static_cast<JDIMENSION>(components), 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, row, 1);
    StoreRow(row[0], result.ScanLine(y), width, components);
  }
  jpeg_finish_decompress(&cinfo);
  result.ClearRowPadding();
  target = std::move(result);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  TMemoryStream contents;
  // CopyFrom with a count of 0 would copy the whole stream; an empty rest stays empty.
  if (int64_t rest = stream.Size() - stream.Position(); rest > 0) contents.CopyFrom(stream, rest);
  TBitmap decoded;
  DecodeJpeg(contents.Bytes(), decoded);
  data_.assign(contents.Bytes().begin(), contents.Bytes().end());
  bitmap_ = std::move(decoded);
  Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) const {
  stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TJPEGImage::Draw(TDrawTarget& target, const TRect& rect) const {
  bitmap_.Draw(target, rect);
}
