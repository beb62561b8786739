// The extension module vantrel._vantrel: the picture type and the calls the package's Python
// code wraps (vantrel/__init__.py turns every kind of source into a path or bytes). The GIL
// is released while a picture is decoded or encoded.
#include "blz/BlockPool.h"
#include "cli/BatchPlan.h"
#include "cli/Commands.h"
#include "cli/InfoJson.h"
#include "cli/Input.h"
#include "python/Decoding.h"
#include "python/Encoding.h"
#include "python/Errors.h"
#include "python/Files.h"
#include "python/Picture.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cerrno>
#include <optional>

namespace py = pybind11;

namespace {

PyObject* errorClasses[4] = {};

PyObject* ErrorClass(TErrorClass kind) {
  return errorClasses[static_cast<int>(kind)];
}

void AddErrorClass(py::module_& m, TErrorClass kind, const char* name, const char* doc) {
  PyObject* base = kind == TErrorClass::Other ? nullptr : ErrorClass(TErrorClass::Other);
  PyObject* type =
      PyErr_NewExceptionWithDoc((std::string("vantrel.") + name).c_str(), doc, base, nullptr);
  if (!type) throw py::error_already_set();
  errorClasses[static_cast<int>(kind)] = type;
  m.add_object(name, py::handle(type));
}

void TranslateError(std::exception_ptr failure) {
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const ESystemError& error) {
    errno = error.Error();
    PyErr_SetFromErrnoWithFilename(PyExc_OSError, error.FileName().c_str());
  } catch (const Exception& error) {
    PyErr_SetString(ErrorClass(ErrorClassOf(error)), error.what());
  } catch (const std::bad_alloc&) {
    PyErr_SetString(ErrorClass(TErrorClass::TooLarge), "not enough memory for the picture");
  }
}

std::string FormatName(const std::optional<std::string>& format) {
  return format.value_or("");
}

TPythonPicture OpenPath(const std::string& fileName, const std::optional<std::string>& format) {
  py::gil_scoped_release unlocked;
  const TFileBytes file = ReadWholeFile(fileName);
  return DecodePicture(file.Bytes(), fileName, FormatName(format));
}

TPythonPicture OpenBytes(const py::buffer& source, const std::optional<std::string>& format) {
  const py::buffer_info view = source.request();
  // Held until the decoder is done: an exporter cannot resize a buffer while it is viewed.
  const std::span<const uint8_t> bytes(static_cast<const uint8_t*>(view.ptr),
                                       size_t(view.size * view.itemsize));
  py::gil_scoped_release unlocked;
  return DecodePicture(bytes, "", FormatName(format));
}

TSaveFormat SaveFormatNamed(const std::string& format) {
  if (format == "blz" || format == "blz-packed") return TSaveFormat::BlzPacked;
  if (format == "blz-stream") return TSaveFormat::BlzStream;
  if (format == "bmp") return TSaveFormat::Bmp;
  if (format == "png") return TSaveFormat::Png;
  throw py::value_error("vantrel writes blz, bmp and png, not " + format);
}

py::bytes Encode(const TPythonPicture& picture, const std::string& format) {
  const TSaveFormat kind = SaveFormatNamed(format);
  TMemoryStream out;
  {
    py::gil_scoped_release unlocked;
    EncodePicture(picture, kind, out);
  }
  return py::bytes(reinterpret_cast<const char*>(out.Memory()), size_t(out.Size()));
}

TPictureMode ModeNamed(const std::string& name) {
  for (TPictureMode mode :
       {TPictureMode::P, TPictureMode::L, TPictureMode::Rgb, TPictureMode::Rgba})
    if (name == ModeName(mode)) return mode;
  throw py::value_error("mode must be P, L, RGB or RGBA, not " + name);
}

TPythonPicture FromArray(const py::array_t<uint8_t, py::array::c_style>& pixels,
                         const std::string& modeName,
                         const std::optional<py::array_t<uint8_t, py::array::c_style>>& palette) {
  const TPictureMode mode = ModeNamed(modeName);
  const int channels = ChannelsOf(mode);
  const bool flat = pixels.ndim() == 2 && channels == 1;
  if (!flat && !(pixels.ndim() == 3 && pixels.shape(2) == channels))
    throw py::value_error("the array's shape does not fit mode " + modeName);
  if (pixels.shape(0) <= 0 || pixels.shape(1) <= 0 || pixels.shape(0) > 65535 ||
      pixels.shape(1) > 65535)
    throw py::value_error("a picture is 1 to 65535 pixels wide and high");
  std::vector<TPythonPicture::TColour> colours;
  if (mode == TPictureMode::P) {
    if (!palette || palette->ndim() != 2 || palette->shape(1) != 3 || palette->shape(0) < 1 ||
        palette->shape(0) > 256)
      throw py::value_error("a palette is an N×3 uint8 array of 1 to 256 colours");
    for (py::ssize_t i = 0; i < palette->shape(0); ++i)
      colours.push_back({palette->at(i, 0), palette->at(i, 1), palette->at(i, 2)});
  }
  return TPythonPicture(mode, int(pixels.shape(1)), int(pixels.shape(0)), pixels.data(),
                        std::move(colours));
}

// One file of a batch: read, decoded and written to `output` without the picture ever taking
// Python's layout. Returns the bytes read and written.
py::tuple ConvertFile(const std::string& input, const std::string& output,
                      const std::string& format) {
  const TSaveFormat kind = SaveFormatNamed(format);
  size_t read = 0, written = 0;
  {
    py::gil_scoped_release unlocked;
    TFileBytes file = ReadWholeFile(input);
    read = file.Size();
    TDecodedBitmap decoded = DecodeFile(file.Bytes(), input, "");
    // Its memory goes back to the system before the encoder asks for more.
    file.Free();
    if (decoded.bitmap.Empty()) throw EInvalidGraphic("The file holds an empty picture");
    TMemoryStream out;
    EncodeBitmap(std::move(decoded.bitmap), kind, out);
    written = size_t(out.Size());
    WriteWholeFile(output, out.Bytes());
  }
  return py::make_tuple(read, written);
}

// Info and Verify take a name; bytes are given one for the call, and are called "-" as the
// command line calls standard input.
template <typename Work>
std::string WithFileName(const std::optional<std::string>& fileName,
                         const std::optional<py::buffer>& bytes, Work work) {
  if (fileName) {
    py::gil_scoped_release unlocked;
    ReadWholeFile(*fileName); // a missing or unreadable file is the system's error
    return work(*fileName, *fileName);
  }
  const py::buffer_info view = bytes->request();
  const std::span<const uint8_t> span(static_cast<const uint8_t*>(view.ptr),
                                      size_t(view.size * view.itemsize));
  py::gil_scoped_release unlocked;
  TTemporaryFile copy(span);
  return work(copy.Name(), std::string("-"));
}

std::string InfoJson(const std::optional<std::string>& fileName,
                     const std::optional<py::buffer>& bytes) {
  return WithFileName(fileName, bytes, [](const std::string& name, const std::string& shown) {
    TInfoJson json;
    json.Add(shown, Info(name));
    return json.Text();
  });
}

std::string VerifyLine(const std::optional<std::string>& fileName,
                       const std::optional<py::buffer>& bytes) {
  return WithFileName(fileName, bytes, [](const std::string& name, const std::string& shown) {
    const std::string line = Verify(name);
    return line.compare(0, name.size(), name) == 0 ? shown + line.substr(name.size()) : line;
  });
}

py::object PaletteArray(const TPythonPicture& picture) {
  if (picture.Mode() != TPictureMode::P) return py::none();
  py::array_t<uint8_t> colours({py::ssize_t(picture.Palette().size()), py::ssize_t(3)});
  auto out = colours.mutable_unchecked<2>();
  for (size_t i = 0; i < picture.Palette().size(); ++i)
    for (int c = 0; c < 3; ++c)
      out(py::ssize_t(i), c) = picture.Palette()[i][size_t(c)];
  return colours;
}

py::buffer_info PixelBuffer(TPythonPicture& picture) {
  const py::ssize_t channels = ChannelsOf(picture.Mode());
  const py::ssize_t rowBytes = py::ssize_t(picture.RowBytes());
  if (channels == 1)
    return py::buffer_info(picture.Pixels(), 1, "B", 2, {picture.Height(), picture.Width()},
                           {rowBytes, py::ssize_t(1)});
  return py::buffer_info(picture.Pixels(), 1, "B", 3,
                         {py::ssize_t(picture.Height()), py::ssize_t(picture.Width()), channels},
                         {rowBytes, channels, py::ssize_t(1)});
}

// The command line's batch plan: (input, output, bytes) items, (input, reason) refusals and
// the count of files skipped in folders.
py::tuple Plan(const std::vector<std::string>& inputs, const std::string& outDir, bool recursive,
               const std::string& extension) {
  TBatchPlan plan;
  {
    py::gil_scoped_release unlocked;
    plan = PlanBatch(inputs, outDir, recursive, extension);
  }
  py::list items;
  for (const TBatchItem& item : plan.items)
    items.append(py::make_tuple(item.input, item.output, item.inputBytes));
  return py::make_tuple(items, plan.refused, plan.skipped);
}

} // namespace

PYBIND11_MODULE(_vantrel, m) {
  m.doc() = "The compiled half of vantrel; use the vantrel package.";
  AddErrorClass(m, TErrorClass::Other, "Error",
                "A picture could not be read or written; the text says why.");
  AddErrorClass(m, TErrorClass::NotThisFormat, "UnknownFormatError",
                "The data is in no format vantrel reads, or the format name is unknown.");
  AddErrorClass(m, TErrorClass::Damaged, "DamagedFileError",
                "The file is of a format vantrel reads, but damaged or of a variant it refuses.");
  AddErrorClass(m, TErrorClass::TooLarge, "TooLargeError",
                "The picture is larger than vantrel's limits or the memory available.");
  py::register_exception_translator(TranslateError);

  py::class_<TPythonPicture>(m, "Picture", py::buffer_protocol(), R"(A decoded picture.

numpy.asarray(picture) gives its pixels without a copy: rows top-down, uint8,
C-contiguous; H×W for modes "P" (palette indices) and "L" (grey values), H×W×3
for "RGB" and H×W×4 for "RGBA". The array shares the picture's memory, so
changing it changes what save() writes.)")
      .def_property_readonly("width", &TPythonPicture::Width, "Width in pixels.")
      .def_property_readonly("height", &TPythonPicture::Height, "Height in pixels.")
      .def_property_readonly("bits_per_pixel", &TPythonPicture::BitsPerPixel,
                             "Bits per pixel of the picture as the file held it.")
      .def_property_readonly(
          "mode", [](const TPythonPicture& p) { return ModeName(p.Mode()); },
          "\"P\", \"L\", \"RGB\" or \"RGBA\".")
      .def_property_readonly("palette", &PaletteArray,
                             "For mode \"P\": the colours as an N×3 uint8 array; else None.")
      .def_property_readonly(
          "format",
          [](const TPythonPicture& p) -> py::object {
            return p.Format().empty() ? py::object(py::none()) : py::str(p.Format());
          },
          "The name of the format that read it (\"blz\", \"gif\", ...), or None for a picture "
          "made from an array.")
      .def_property_readonly(
          "notes",
          [](const TPythonPicture& p) {
            py::tuple notes(p.Notes().size());
            for (size_t i = 0; i < p.Notes().size(); ++i)
              notes[i] = py::str(p.Notes()[i]);
            return notes;
          },
          "What the picture lost on its way from the file, as the command line notes it on "
          "standard error (\"its 16-bit channels become 8-bit\", \"only the first of 3 "
          "frames is kept\", ...): a tuple of str, empty when nothing was lost.")
      .def_buffer(&PixelBuffer)
      .def("__repr__", [](const TPythonPicture& p) {
        return "<vantrel.Picture " + std::string(ModeName(p.Mode())) + " " +
               std::to_string(p.Width()) + "x" + std::to_string(p.Height()) +
               (p.Format().empty() ? std::string() : " from " + p.Format()) + ">";
      });

  m.def("open_path", &OpenPath, py::arg("path"), py::arg("format") = py::none());
  m.def("open_bytes", &OpenBytes, py::arg("data"), py::arg("format") = py::none());
  m.def("from_array", &FromArray, py::arg("pixels"), py::arg("mode"),
        py::arg("palette") = py::none());
  m.def("encode", &Encode, py::arg("picture"), py::arg("format"));
  m.def("convert_file", &ConvertFile, py::arg("input"), py::arg("output"), py::arg("format"));
  m.def("info_json", &InfoJson, py::arg("path") = py::none(), py::arg("data") = py::none());
  m.def("verify", &VerifyLine, py::arg("path") = py::none(), py::arg("data") = py::none());
  m.def("plan_batch", &Plan, py::arg("inputs"), py::arg("out_dir"), py::arg("recursive"),
        py::arg("extension"));
  m.def(
      "set_threads", [](unsigned threads) { blocks::SetThreads(threads); }, py::arg("n"));
  m.def("finish", [] {
    py::gil_scoped_release unlocked;
    FinishInput();
  });
  m.def("prepare_threads", [] {
    py::gil_scoped_release unlocked;
    PrepareInputForThreads();
  });
}
