// Qt image-format plugin: BLZ files (both layouts), clipboard files and LBM pictures for any
// Qt 5 or Qt 6 program, and BLZ writing. The same source builds for both; it reaches our
// format code only through the Qt-free core. It claims only formats that Qt and the usual
// plugin sets do not read already, so BMP, GIF and PCX stay with their own readers.
#include "PluginCore.h"
#include "bmp/PixelRows.h"
#include "formats/FormatTable.h"

#include <QIODevice>
#include <QImage>
#include <QImageIOHandler>
#include <QImageIOPlugin>
#include <QVariant>

#include <exception>

namespace {

QByteArray Bytes(std::string_view text) {
  return QByteArray::fromStdString(std::string(text));
}

// The keys are the extensions the format table offers to Qt; vantrel.json lists the same.
bool IsOurKey(const QByteArray& key) {
  for (const TInputFormat& format : InputFormats())
    for (const TExtension& extension : format.extensions)
      if ((extension.hosts & hostQt) && key == Bytes(extension.name)) return true;
  return false;
}

std::span<const uint8_t> AsBytes(const QByteArray& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
}

// The format offered to Qt whose signature starts the device's data, or nullptr.
const TInputFormat* SniffDevice(QIODevice* device) {
  if (!device || !device->isReadable()) return nullptr;
  return FormatForHost(AsBytes(device->peek(qint64(SignatureBytes()))), hostQt);
}

class VantrelImageHandler : public QImageIOHandler {
public:
  bool canRead() const override {
    const TInputFormat* format = SniffDevice(device());
    if (!format) return false;
    setFormat(Bytes(format->name));
    return true;
  }

  bool read(QImage* image) override {
    try {
      const QByteArray file = device()->readAll();
      TBitmap bitmap;
      DecodeImage(AsBytes(file), bitmap);
      const bool alpha = KeepsAlpha(bitmap);
      QImage result(bitmap.Width(), bitmap.Height(),
                    alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
      if (result.isNull()) throw std::bad_alloc();
      for (int y = 0; y < bitmap.Height(); ++y)
        ConvertRow(bitmap, y, alpha ? TRowLayout::Rgba : TRowLayout::Rgb, result.scanLine(y));
      *image = std::move(result);
      return true;
    } catch (const std::exception& error) {
      // QImageReader reports its own fixed text; the decoder's reason goes to the log.
      qWarning("Vantrel image plugin: %s", error.what());
      return false;
    }
  }

  bool write(const QImage& image) override {
    try {
      const bool alpha = image.hasAlphaChannel();
      const QImage source =
          image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
      TUniBitmap bitmap;
      bitmap.Allocate(source.width(), source.height(),
                      alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit);
      bitmap.SetHasAlpha(alpha);
      for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < source.width(); ++x) {
          *out++ = static_cast<uint8_t>(qBlue(in[x]));
          *out++ = static_cast<uint8_t>(qGreen(in[x]));
          *out++ = static_cast<uint8_t>(qRed(in[x]));
          if (alpha) *out++ = static_cast<uint8_t>(qAlpha(in[x]));
        }
      }
      bitmap.ClearRowPadding();
      const std::vector<uint8_t> blz = EncodeBlz(bitmap, subType_ == "stream");
      const auto size = static_cast<qint64>(blz.size());
      return device()->write(reinterpret_cast<const char*>(blz.data()), size) == size;
    } catch (const std::exception& error) {
      qWarning("Vantrel image plugin: %s", error.what());
      return false;
    }
  }

  bool supportsOption(ImageOption option) const override {
    return option == SubType || option == SupportedSubTypes;
  }

  QVariant option(ImageOption option) const override {
    if (option == SubType) return subType_;
    if (option == SupportedSubTypes)
      return QVariant::fromValue(QList<QByteArray>{"packed", "stream"});
    return {};
  }

  void setOption(ImageOption option, const QVariant& value) override {
    if (option != SubType) return;
    const QByteArray subType = value.toByteArray().toLower();
    if (subType == "packed" || subType == "stream") subType_ = subType;
  }

private:
  QByteArray subType_ = "packed";
};

} // namespace

class VantrelImagePlugin : public QImageIOPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "vantrel.json")

public:
  Capabilities capabilities(QIODevice* device, const QByteArray& format) const override {
    Capabilities result;
    if (format == "blz" && (!device || device->isWritable())) result |= CanWrite;
    if (IsOurKey(format)) return result | CanRead;
    if (format.isEmpty() && SniffDevice(device)) result |= CanRead;
    return result;
  }

  QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override {
    auto* handler = new VantrelImageHandler;
    handler->setDevice(device);
    handler->setFormat(format);
    return handler;
  }
};

#include "VantrelImagePlugin.moc"
