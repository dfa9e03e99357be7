#include "platform/image/image.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QTransform>

#include "platform/files/atomic_file.h"
#include "platform/image/jpeg.h"
#include "platform/image/resample.h"

namespace image {
namespace {

bool swapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

QSize transposedIf(QSize size, bool transpose) {
    return transpose ? size.transposed() : size;
}

// The EXIF orientation that Qt's reader reports as a transformation.
int exifOrientation(QImageIOHandler::Transformations t) {
    switch (int(t)) {
        case QImageIOHandler::TransformationMirror:
            return 2;
        case QImageIOHandler::TransformationRotate180:
            return 3;
        case QImageIOHandler::TransformationFlip:
            return 4;
        case QImageIOHandler::TransformationFlipAndRotate90:
            return 5;
        case QImageIOHandler::TransformationRotate90:
            return 6;
        case QImageIOHandler::TransformationMirrorAndRotate90:
            return 7;
        case QImageIOHandler::TransformationRotate270:
            return 8;
        default:
            return 1;
    }
}

// 24 bits per pixel, every pixel's transparency laid on white.
QImage onWhite(const QImage& image) {
    if (!image.hasAlphaChannel()) return image.convertToFormat(QImage::Format_RGB888);
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(argb.size(), QImage::Format_RGB888);
    if (argb.isNull() || out.isNull()) return QImage();
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* o = out.scanLine(y);
        for (int x = 0; x < argb.width(); ++x, o += 3) {
            const unsigned a = qAlpha(in[x]);
            const unsigned white = 255 * (255 - a);
            o[0] = uchar((qRed(in[x]) * a + white + 127) / 255);
            o[1] = uchar((qGreen(in[x]) * a + white + 127) / 255);
            o[2] = uchar((qBlue(in[x]) * a + white + 127) / 255);
        }
    }
    return out;
}

// A decoded picture before its orientation is applied.
struct Source {
    QImage pixels;   // 24 bits, stored orientation
    QSize fullSize;  // stored orientation, at scale 1
    QSizeF extent;   // how many of pixels' pixels the full picture spans
    int orientation = 1;
};

// Qt refuses images over its allocation limit (256 MB by default); the program's own limit
// is in pixels, checked first, and may need four times that at 64 bits a pixel.
void raiseQtAllocationLimit() {
    static const bool raised = [] {
        QImageReader::setAllocationLimit(int(
            std::max<qint64>(QImageReader::allocationLimit(), kMaxPixels * 8 / (1024 * 1024) + 1)));
        return true;
    }();
    (void)raised;
}

// minimumFor: the smallest upright size needed of a picture of the given upright size
// (empty: the full size); only JPEG files use it.
Source decodeSource(const QString& path, const TargetRule& minimumFor) {
    // A pipe or a device named like a picture is never waited on.
    QFile file;
    QString why;
    if (!files::openRegularFile(file, path, &why)) throw DecodeError(why);
    Source source;
    if (jpeg::looksLikeJpeg(file.peek(3))) {
        const QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError) throw DecodeError(file.errorString());
        const jpeg::Decoded d = jpeg::decode(
            data,
            [&](QSize full, int orientation) {
                if (!minimumFor) return QSize();
                const bool swap = swapsSides(orientation);
                return transposedIf(minimumFor(transposedIf(full, swap)), swap);
            },
            kMaxPixels);
        source.pixels = d.pixels;
        source.fullSize = d.fullSize;
        source.extent = QSizeF(d.fullSize) * d.scale / 8.0;
        source.orientation = d.orientation;
        return source;
    }

    raiseQtAllocationLimit();
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    const QSize header = reader.size();
    if (header.isValid()) checkPixels(header, kMaxPixels);
    QImage decoded;
    if (!reader.read(&decoded)) throw DecodeError(reader.errorString());
    checkPixels(decoded.size(), kMaxPixels);
    source.orientation = exifOrientation(reader.transformation());
    source.pixels = onWhite(decoded);
    if (source.pixels.isNull()) noMemoryFor(decoded.size());
    source.fullSize = source.pixels.size();
    source.extent = QSizeF(source.fullSize);
    return source;
}

}  // namespace

double roundHalfEven(double value) {
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction > 0.5) return down + 1;
    if (fraction < 0.5) return down;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

QSize fitWithin(QSize source, int limit) {
    if (limit <= 0 || (source.width() <= limit && source.height() <= limit)) return source;
    const double factor = std::min(double(limit) / source.width(), double(limit) / source.height());
    return QSize(std::max(1, int(roundHalfEven(source.width() * factor))),
                 std::max(1, int(roundHalfEven(source.height() * factor))));
}

QImage oriented(const QImage& image, int orientation) {
    switch (orientation) {
        case 2:
            return image.mirrored(true, false);
        case 3:
            return image.mirrored(true, true);
        case 4:
            return image.mirrored(false, true);
        case 5:
            return image.transformed(QTransform().rotate(90)).mirrored(true, false);
        case 6:
            return image.transformed(QTransform().rotate(90));
        case 7:
            return image.transformed(QTransform().rotate(90)).mirrored(false, true);
        case 8:
            return image.transformed(QTransform().rotate(270));
        default:
            return image;
    }
}

QImage loadResized(const QString& path, const TargetRule& targetFor, double reserve) {
    const Source source = decodeSource(path, [&](QSize upright) {
        const QSize target = targetFor(upright);
        return QSize(int(std::ceil(target.width() * reserve)),
                     int(std::ceil(target.height() * reserve)));
    });
    const bool swap = swapsSides(source.orientation);
    const QSize target = transposedIf(targetFor(transposedIf(source.fullSize, swap)), swap);
    return oriented(resampleCubic(source.pixels, target, source.extent), source.orientation);
}

QImage load(const QString& path) {
    const Source source = decodeSource(path, {});
    return oriented(source.pixels, source.orientation);
}

QImage loadThumbnail(const QString& path, int size) {
    return loadResized(
        path, [size](QSize upright) { return fitWithin(upright, size); }, 1.0);
}

QStringList readableSuffixes() {
    QStringList suffixes{QStringLiteral("jpg"), QStringLiteral("jpeg")};
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString suffix = QString::fromLatin1(format).toLower();
        if (!suffixes.contains(suffix)) suffixes << suffix;
    }
    return suffixes;
}

QImage decodeJpeg(const QByteArray& data) {
    const jpeg::Decoded d = jpeg::decode(data, {}, kMaxPixels);
    return oriented(d.pixels, d.orientation);
}

}  // namespace image
