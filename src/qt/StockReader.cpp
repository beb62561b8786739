#include "qt/StockReader.h"

#include "blz/UniBmp.h"
#include "bmp/Picture.h"
#include "io/Exceptions.h"
#include "io/Limits.h"
#include "qt/BitmapQt.h"
#include "formats/FormatTable.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QSet>

namespace {

// Qt's readers that would duplicate our own: our decoders decide about these formats (a file
// they refuse stays refused), and our own Qt plugin must not be asked through Qt.
bool Refused(const QByteArray& format) {
  static const QSet<QByteArray> refused = {"bmp", "dib", "gif", "jpeg", "jpg",  "ico",
                                           "cur", "blz", "clp", "lbm",  "ilbm", "vantrel"};
  return refused.contains(format.toLower());
}

QString QtName(const std::string& fileName) {
  return QFile::decodeName(QByteArray::fromStdString(fileName));
}

// Our own limits, raised as "too large" rather than as damage.
void CheckSize(const QSize& size) {
  try {
    limits::CheckBitmapLimits(size.width(), size.height(), 32, "Picture");
  } catch (const EInvalidGraphic& e) {
    throw EOutOfResources(e.Message());
  }
}

bool DeeperThan8Bits(QImage::Format format) {
  switch (format) {
  case QImage::Format_Grayscale16:
  case QImage::Format_RGBX64:
  case QImage::Format_RGBA64:
  case QImage::Format_RGBA64_Premultiplied:
  case QImage::Format_RGBX16FPx4:
  case QImage::Format_RGBA16FPx4:
  case QImage::Format_RGBA16FPx4_Premultiplied:
  case QImage::Format_RGBX32FPx4:
  case QImage::Format_RGBA32FPx4:
  case QImage::Format_RGBA32FPx4_Premultiplied:
  case QImage::Format_A2BGR30_Premultiplied:
  case QImage::Format_A2RGB30_Premultiplied:
  case QImage::Format_BGR30:
  case QImage::Format_RGB30:
    return true;
  default:
    return false;
  }
}

// Whether some pixel of an ARGB32 image is not opaque.
bool SomeAlpha(const QImage& argb) {
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x)
      if (qAlpha(row[x]) != 255) return true;
  }
  return false;
}

// An embedded ICC profile other than sRGB: a bitmap's colours are taken as sRGB. Only a
// profile read from the file has a description; gamma and primaries chunks have none.
bool HasOwnProfile(const QImage& image) {
  const QColorSpace space = image.colorSpace();
  return space.isValid() && !space.description().isEmpty() &&
         space != QColorSpace(QColorSpace::SRgb);
}

// The format whose Qt reader takes the content: Qt's own detection first; when that names a
// reader of ours (Qt's icon reader also claims a TGA file) or none, each other reader is asked
// about the content in turn. Never by the file's name.
std::optional<QByteArray> ContentFormat(const QString& name) {
  {
    QImageReader reader(name);
    reader.setDecideFormatFromContent(true);
    if (reader.canRead() && !Refused(reader.format())) return reader.format();
  }
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    if (Refused(format)) continue;
    QImageReader reader(name, format);
    reader.setAutoDetectImageFormat(false);
    if (reader.canRead()) return format;
  }
  return std::nullopt;
}

} // namespace

bool StockReadersMayTry(const std::string& fileName) {
  if (TPicture::FindFileFormat(PictureFileExtension(fileName))) return false;
  QFile file(QtName(fileName));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(static_cast<qint64>(SignatureBytes()));
  return !StartsWithStrongSignature(
      {reinterpret_cast<const uint8_t*>(head.constData()), static_cast<size_t>(head.size())});
}

std::optional<TStockPicture> ReadStockPicture(const std::string& fileName) {
  // Qt's own cap on one image's memory, at our limits: 2^28 pixels of up to 8 bytes (16-bit
  // channels) while decoding.
  QImageReader::setAllocationLimit(static_cast<int>((limits::kMaxPixels * 8) >> 20));
  const QString name = QtName(fileName);
  const std::optional<QByteArray> format = ContentFormat(name);
  if (!format) return std::nullopt;
  QImageReader reader(name, *format);
  reader.setAutoDetectImageFormat(false);
  reader.setAutoTransform(true);
  // The count first: some readers lose it once asked for the size.
  const int count = reader.imageCount();
  const bool animation = reader.supportsAnimation();
  if (const QSize size = reader.size(); size.isValid()) CheckSize(size);
  QImage image;
  if (!reader.read(&image) || image.isNull()) return std::nullopt;
  CheckSize(image.size());

  // Unpremultiplied; opaque when every pixel is, as some readers give every picture alpha.
  TStockPicture picture;
  QImage pixels =
      image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (pixels.hasAlphaChannel() && !SomeAlpha(pixels))
    pixels = pixels.convertToFormat(QImage::Format_RGB32);
  QImageToBitmap(pixels, picture);
  if (DeeperThan8Bits(image.format())) picture.AddNote("its 16-bit channels become 8-bit");
  if (count > 1)
    picture.AddNote("only the first of " + std::to_string(count) +
                    (animation ? " frames" : " pages") + " is kept");
  if (reader.transformation() != QImageIOHandler::TransformationNone)
    picture.AddNote("its EXIF orientation is applied");
  if (HasOwnProfile(image)) picture.AddNote("its ICC profile is dropped");
  return picture;
}

bool LoadWithStockReaders(const std::string& fileName, TUniBitmap& loader) {
  if (!StockReadersMayTry(fileName)) return false;
  std::optional<TStockPicture> picture = ReadStockPicture(fileName);
  if (!picture) return false;
  TPicture holder;
  holder.SetGraphic(*picture);
  loader.AssignPicture(holder);
  return true;
}

QStringList StockFormats() {
  QStringList formats;
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    if (!Refused(format) && !TPicture::FindFileFormat(format.toStdString()))
      formats << QString::fromLatin1(format.toLower());
  formats.removeDuplicates();
  return formats;
}
