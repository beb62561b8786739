// GIMP 2.10 plug-in: opens BLZ files (both layouts), clipboard files and LBM pictures, and
// exports BLZ files. It links only the Qt-free format core. Every failure, a hostile file's
// included, ends the procedure with GIMP's error status and the decoder's message.
#include "ExportDialog.h"
#include "GimpExport.h"
#include "GimpLoad.h"
#include "GimpRegistration.h"

#include <libgimp/gimp.h>
#include <libgimp/gimpui.h>

#include <exception>
#include <stdexcept>
#include <string>

namespace {

constexpr char kSaveBlz[] = "file-blz-save";
constexpr char kBinary[] = "file-vantrel";
constexpr char kAuthor[] = "The Vantrel developers";
constexpr char kYear[] = "2026";

// GIMP's tables take non-const strings that it never writes.
gchar* Text(const char* text) {
  return const_cast<gchar*>(text);
}

const GimpParamDef kLoadArguments[] = {
    {GIMP_PDB_INT32, Text("run-mode"),
     Text("The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }")},
    {GIMP_PDB_STRING, Text("filename"), Text("The name of the file to load")},
    {GIMP_PDB_STRING, Text("raw-filename"), Text("The name entered")}};
const GimpParamDef kLoadResults[] = {{GIMP_PDB_IMAGE, Text("image"), Text("Output image")}};

const GimpParamDef kSaveArguments[] = {
    {GIMP_PDB_INT32, Text("run-mode"),
     Text("The run mode { RUN-INTERACTIVE (0), RUN-NONINTERACTIVE (1) }")},
    {GIMP_PDB_IMAGE, Text("image"), Text("Input image")},
    {GIMP_PDB_DRAWABLE, Text("drawable"), Text("Drawable to export")},
    {GIMP_PDB_STRING, Text("filename"), Text("The name of the file to export the image in")},
    {GIMP_PDB_STRING, Text("raw-filename"), Text("The name entered")},
    {GIMP_PDB_INT32, Text("layout"), Text("BLZ layout { PACKED-BITMAP (0), BLZ-STREAM (1) }")}};

void InstallLoad(const char* name, const char* blurb, const char* label, const char* mime,
                 const char* extensions, const char* magic) {
  gimp_install_procedure(name, blurb, blurb, kAuthor, kAuthor, kYear, label, nullptr, GIMP_PLUGIN,
                         G_N_ELEMENTS(kLoadArguments), G_N_ELEMENTS(kLoadResults), kLoadArguments,
                         kLoadResults);
  gimp_register_file_handler_mime(name, mime);
  gimp_register_magic_load_handler(name, extensions, "", magic);
}

void Query() {
  for (const TGimpLoader& loader : GimpLoaders()) {
    const char* name = loader.procedure.c_str();
    InstallLoad(name, loader.blurb.c_str(), loader.label.c_str(), loader.mimeType.c_str(),
                loader.extensions.c_str(), loader.magic.c_str());
    if (loader.askedFirst) gimp_register_file_handler_priority(name, -1);
  }

  gimp_install_procedure(kSaveBlz, "Exports BLZ files", "Exports BLZ files in either layout",
                         kAuthor, kAuthor, kYear, "BLZ image", "RGB*, GRAY*, INDEXED*", GIMP_PLUGIN,
                         G_N_ELEMENTS(kSaveArguments), 0, kSaveArguments, nullptr);
  gimp_register_file_handler_mime(kSaveBlz, "application/x-blz-image");
  gimp_register_save_handler(kSaveBlz, "blz", "");
}

// Returned to GIMP after run() ends, so they live as long as the process.
GimpParam results[2];
constexpr gint kEveryResult = G_N_ELEMENTS(results);
std::string errorText;

void Fail(const char* message, gint* resultCount) {
  errorText = message;
  results[0].data.d_status = GIMP_PDB_EXECUTION_ERROR;
  results[1].type = GIMP_PDB_STRING;
  results[1].data.d_string = errorText.data();
  *resultCount = kEveryResult;
}

void Save(gint parameterCount, const GimpParam* parameters, gint* resultCount) {
  const auto mode = static_cast<GimpRunMode>(parameters[0].data.d_int32);
  gint32 image = parameters[1].data.d_image, drawable = parameters[2].data.d_drawable;
  bool streamLayout = false;
  gimp_get_data(kSaveBlz, &streamLayout);
  GimpExportReturn exported = GIMP_EXPORT_IGNORE;
  if (mode == GIMP_RUN_NONINTERACTIVE) {
    if (parameterCount != G_N_ELEMENTS(kSaveArguments))
      return Fail("file-blz-save takes 6 arguments", resultCount);
    streamLayout = parameters[5].data.d_int32 == 1;
  } else {
    // Only the dialog needs a display: with the last values the export runs headless too.
    if (mode == GIMP_RUN_INTERACTIVE) gimp_ui_init(kBinary, FALSE);
    exported =
        gimp_export_image(&image, &drawable, "BLZ",
                          static_cast<GimpExportCapabilities>(
                              GIMP_EXPORT_CAN_HANDLE_RGB | GIMP_EXPORT_CAN_HANDLE_GRAY |
                              GIMP_EXPORT_CAN_HANDLE_INDEXED | GIMP_EXPORT_CAN_HANDLE_ALPHA));
    if (exported == GIMP_EXPORT_CANCEL ||
        (mode == GIMP_RUN_INTERACTIVE && !AskLayout(streamLayout))) {
      if (exported == GIMP_EXPORT_EXPORT) gimp_image_delete(image);
      results[0].data.d_status = GIMP_PDB_CANCEL;
      return;
    }
  }
  try {
    if (!gimp_item_is_valid(drawable)) throw std::invalid_argument("No such drawable");
    ExportBlzFile(image, drawable, parameters[3].data.d_string, streamLayout);
    gimp_set_data(kSaveBlz, &streamLayout, sizeof streamLayout);
  } catch (const std::exception& failure) {
    Fail(failure.what(), resultCount);
  } catch (...) {
    Fail("Exporting the BLZ file failed", resultCount);
  }
  if (exported == GIMP_EXPORT_EXPORT) gimp_image_delete(image);
}

void Run(const gchar* name, gint parameterCount, const GimpParam* parameters, gint* resultCount,
         GimpParam** returned) {
  results[0].type = GIMP_PDB_STATUS;
  results[0].data.d_status = GIMP_PDB_SUCCESS;
  *resultCount = 1;
  *returned = results;
  const std::string procedure = name;
  if (procedure == kSaveBlz) return Save(parameterCount, parameters, resultCount);
  if (!IsGimpLoadProcedure(procedure)) {
    results[0].data.d_status = GIMP_PDB_CALLING_ERROR;
    return;
  }
  try {
    const gint32 image = LoadImageFile(parameters[1].data.d_string);
    results[1].type = GIMP_PDB_IMAGE;
    results[1].data.d_image = image;
    *resultCount = kEveryResult;
  } catch (const std::exception& failure) {
    Fail(failure.what(), resultCount);
  } catch (...) {
    Fail("Opening the file failed", resultCount);
  }
}

} // namespace

const GimpPlugInInfo PLUG_IN_INFO = {nullptr, nullptr, Query, Run};

MAIN()
