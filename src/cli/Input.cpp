// vantrel-cli's side of reading: BMP, DIB and BLZ files with the format core it is linked
// with, everything else through the input module (QtInput.h behind InputModule.h), loaded on
// first use; a program that links the module's table in (the tests) uses that one.
#include "cli/Input.h"
#include "blz/UniBmp.h"
#include "cli/InputModule.h"
#include "formats/WindowRule.h"
#include "io/Exceptions.h"
#include "io/Streams.h"

#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>

#ifndef VANTREL_INPUT_MODULE
#define VANTREL_INPUT_MODULE "vantrel-cli-input.so"
#endif
#ifndef VANTREL_INPUT_MODULE_FROM_BIN
#define VANTREL_INPUT_MODULE_FROM_BIN VANTREL_INPUT_MODULE
#endif
#ifndef VANTREL_INPUT_MODULE_INSTALLED
#define VANTREL_INPUT_MODULE_INSTALLED "/usr/lib/vantrel/vantrel-cli-input.so"
#endif

// Defined only where the module's table is linked into the program itself.
extern "C" const TInputModule* VantrelInputModule() __attribute__((weak));

namespace {

std::mutex loading;
const TInputModule* loaded = nullptr;

// The file this code was linked into: vantrel-cli, or the Python extension (whose process is
// python3, so /proc/self/exe says nothing). For the program itself the loader gives the name
// it was started by, which lacks its folder when a shell found it on the PATH.
std::filesystem::path OwnDir() {
  Dl_info self{};
  dladdr(reinterpret_cast<void*>(&InputModule), &self); // a failed lookup leaves no name
  if (!self.dli_fname) return {};
  std::error_code error;
  const std::filesystem::path file = std::strchr(self.dli_fname, '/')
                                         ? std::filesystem::path(self.dli_fname)
                                         : std::filesystem::read_symlink("/proc/self/exe", error);
  return std::filesystem::weakly_canonical(file, error).parent_path();
}

} // namespace

// Beside its user in the build tree; in the library folder once installed.
const TInputModule& InputModule() {
  std::lock_guard lock(loading);
  if (loaded) return *loaded;
  if (VantrelInputModule) return *(loaded = VantrelInputModule());
  const std::filesystem::path own = OwnDir();
  std::string why;
  for (const auto& path : {own / VANTREL_INPUT_MODULE, own / VANTREL_INPUT_MODULE_FROM_BIN,
                           std::filesystem::path(VANTREL_INPUT_MODULE_INSTALLED)}) {
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      auto entry = reinterpret_cast<const TInputModule* (*)()>(dlsym(handle, kInputModuleEntry));
      if (entry && entry()->version == kInputModuleVersion) return *(loaded = entry());
      why = path.string() + " is not this program's input module";
    } else if (why.empty()) {
      why = dlerror();
    }
  }
  throw EInputModuleMissing("reading this format needs the input module: " + why);
}

void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target,
               std::vector<std::string>* notes) {
  if (format.empty() && ReadByBitmapItself(fileName)) {
    target.LoadFromFile(fileName);
    return;
  }
  std::vector<uint8_t> bmp;
  std::vector<std::string> said;
  InputModule().read(fileName, format, bmp, said);
  if (notes) *notes = std::move(said);
  TReadOnlyMemoryStream image(bmp);
  target.LoadFromStream(image);
}

std::vector<uint8_t> ThumbnailPng(const TUniBitmap& bitmap, int size) {
  TMemoryStream image;
  bitmap.SaveToStream(image);
  std::vector<uint8_t> png;
  InputModule().thumbnail({image.Bytes().begin(), image.Bytes().end()}, size, png);
  return png;
}

void PrepareInputForThreads() {
  InputModule().prepareThreads();
}

void FinishInput() {
  std::lock_guard lock(loading);
  if (loaded) loaded->finish();
}
