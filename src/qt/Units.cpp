#include "qt/Units.h"

#include "blz/UniBmp.h"
#include "bmp/Picture.h"
#include "codec/LZRW1KH.h"
#include "formats/SClpDib.h"
#include "formats/SGIFImg.h"
#include "formats/SLBMImg.h"
#include "formats/SPCXImg.h"
#include "qt/Icon.h"
#include "qt/JPEGImage.h"
#include "qt/Metafile.h"

namespace {

template <class T> TGraphicFactory Factory() {
  return [] { return std::unique_ptr<TGraphic>(std::make_unique<T>()); };
}

} // namespace

void InitializeUnits() {
  // Order matters: later registrations take precedence in the picture registry.
  TPicture::RegisterFileFormat("wmf", "Metafiles", Factory<TMetafile>());
  TPicture::RegisterFileFormat("emf", "Enhanced Metafiles", Factory<TMetafile>());
  TPicture::RegisterFileFormat("ico", "Icons", Factory<TIcon>());
  TPicture::RegisterFileFormat("bmp", "Bitmaps", Factory<TBitmap>());
  TPicture::RegisterFileFormat("jpeg", "JPEG Image File", Factory<TJPEGImage>());
  TPicture::RegisterFileFormat("jpg", "JPEG Image File", Factory<TJPEGImage>());
  LZRW1KHStartup();
  TPicture::RegisterFileFormat("bmp", "BMP-Format", Factory<TUniBitmap>());
  TPicture::RegisterFileFormat("blz", "BLZ-Format", Factory<TUniBitmap>());
  TPicture::RegisterFileFormat("dib", "DIB-Format", Factory<TUniBitmap>());
  UniBmpStartup();
  TPicture::RegisterFileFormat("lbm", "LBM-Format", Factory<TSLBMImage>());
  TPicture::RegisterFileFormat("clp", "Clipboard-Format", Factory<TSClpDIBitmap>());
  TPicture::RegisterFileFormat("pcx", "PCX-Format", Factory<TSPCXBitmap>());
  TPicture::RegisterFileFormat("gif", "GIF-Format", Factory<TSGIFBitmap>());
}

void FinalizeUnits() {
  UniBmpShutdown();
  LZRW1KHShutdown();
}
