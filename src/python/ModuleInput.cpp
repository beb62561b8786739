// The command line's reading interface (cli/Input.h) for the Python module: BMP, DIB and BLZ
// names with the core, everything else through the input module. info and verify reach it
// through the command line's own Info and Verify.
#include "python/ModuleInput.h"

#include "blz/UniBmp.h"
#include "cli/Input.h"
#include "formats/WindowRule.h"
#include "io/Exceptions.h"
#include "io/Streams.h"
#include "python/Errors.h"

#include <dlfcn.h>
#include <filesystem>
#include <mutex>

#ifndef VANTREL_INPUT_MODULE_INSTALLED
#define VANTREL_INPUT_MODULE_INSTALLED "/usr/lib/vantrel/vantrel-cli-input.so"
#endif

namespace {

std::mutex loading;
const TInputModule* loaded = nullptr;

std::filesystem::path ExtensionDir() {
  Dl_info self{};
  if (!dladdr(reinterpret_cast<void*>(&InputModule), &self) || !self.dli_fname) return {};
  return std::filesystem::path(self.dli_fname).parent_path();
}

} // namespace

const TInputModule& InputModule() {
  std::lock_guard lock(loading);
  if (loaded) return *loaded;
  std::string why;
  const std::filesystem::path beside = ExtensionDir() / "vantrel-cli-input.so";
  for (const std::filesystem::path& path :
       {beside, std::filesystem::path(VANTREL_INPUT_MODULE_INSTALLED)}) {
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      auto entry = reinterpret_cast<const TInputModule* (*)()>(dlsym(handle, kInputModuleEntry));
      if (entry && entry()->version == kInputModuleVersion) return *(loaded = entry());
      why = path.string() + " is not this module's input module";
    } else if (why.empty()) {
      why = dlerror();
    }
  }
  throw EHostError("reading this format needs vantrel's input module (vantrel-cli-input.so): " +
                   why);
}

void ReadInput(const std::string& fileName, const std::string& format, TUniBitmap& target) {
  if (format.empty() && ReadByBitmapItself(fileName)) {
    target.LoadFromFile(fileName);
    return;
  }
  std::vector<uint8_t> bmp;
  InputModule().read(fileName, format, bmp);
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
