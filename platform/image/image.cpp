#include "platform/image/image.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QTransform>

#include "platform/files/atomic_file.h"
#include "platform/image/jpeg.h"
#include "platform/image/resample.h"

namespace image {
namespace {

thread_local qint64 t_decodeBudget = 0;  // 0: kDecodeBudget

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

// 24 bits per pixel, every pixel's transparency laid on white. The conversions reuse the
// picture's own memory where Qt can (from 24 bits a pixel and more, 16 bits a channel
// included), so a picture's pixels are held once.
QImage onWhite(QImage image) {
    if (!image.hasAlphaChannel()) return std::move(image).convertToFormat(QImage::Format_RGB888);
    QImage pixels = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (pixels.isNull()) return QImage();
    for (int y = 0; y < pixels.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(pixels.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            // Premultiplied: the colour already weighed by its alpha, white takes the rest.
            const int white = 255 - qAlpha(p[x]);
            p[x] = qRgb(qRed(p[x]) + white, qGreen(p[x]) + white, qBlue(p[x]) + white);
        }
    }
    pixels.reinterpretAsFormat(QImage::Format_RGB32);
    return std::move(pixels).convertToFormat(QImage::Format_RGB888);
}

// A decoded picture before its orientation is applied.
struct Source {
    QImage pixels;   // 24 bits, stored orientation
    QSize fullSize;  // stored orientation, at scale 1
    QSizeF extent;   // how many of pixels' pixels the full picture spans
    int orientation = 1;
};

// Formats of drawings rather than of pixels: their readers render whatever size the file
// names, so that a file of a hundred bytes can ask for gigabytes. A photograph is never one.
bool isDrawing(const QByteArray& format) {
    static constexpr std::string_view kDrawings[] = {"svg",  "svgz", "pdf", "eps", "epsf",
                                                     "epsi", "ps",   "emf", "wmf"};
    const QByteArray lower = format.toLower();
    return std::find(std::begin(kDrawings), std::end(kDrawings),
                     std::string_view(lower.constData(), size_t(lower.size()))) !=
           std::end(kDrawings);
}

// The memory a decode through Qt's readers takes at its peak: the reader's picture and,
// where the conversion to 24 bits cannot reuse its memory (fewer than 24 bits a pixel), a
// second one of 4 bytes a pixel. A format that the reader does not tell before reading counts
// as 32 bits a pixel, what Qt's readers make of pictures of 8 bits a channel.
qint64 qtDecodeBytes(QSize size, QImage::Format format) {
    const qint64 pixels = qint64(size.width()) * size.height();
    const int bits =
        format == QImage::Format_Invalid ? 32 : QImage::toPixelFormat(format).bitsPerPixel();
    return pixels * bits / 8 + (bits < 24 ? pixels * 4 : 0);
}

// Qt's readers refuse a picture whose own allocation would exceed this process-wide limit:
// it also holds where the size cannot be known before reading (GIF) and where a reader asked
// for a scaled picture decodes the whole one first. Set once, before the first decoding.
void limitQtAllocations() {
    static const bool limited = [] {
        QImageReader::setAllocationLimit(int(kDecodeBudget >> 20));
        return true;
    }();
    (void)limited;
}

// The smallest size of full's proportions that is at least minimum on both sides; full when
// that is no smaller.
QSize coveringSize(QSize full, QSize minimum) {
    const double factor =
        std::max(double(minimum.width()) / full.width(), double(minimum.height()) / full.height());
    if (factor >= 1) return full;
    return QSize(std::max(1, int(std::ceil(full.width() * factor))),
                 std::max(1, int(std::ceil(full.height() * factor))));
}

// minimumFor: the smallest upright size needed of a picture of the given upright size
// (empty: the full size).
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
            kMaxPixels, decodeBudget());
        source.pixels = d.pixels;
        source.fullSize = d.fullSize;
        source.extent = QSizeF(d.fullSize) * d.scale / 8.0;
        source.orientation = d.orientation;
        return source;
    }

    limitQtAllocations();
    QImageReader reader(&file);
    reader.setAutoTransform(false);
    if (isDrawing(reader.format()))
        throw DecodeError(QStringLiteral("The file holds a drawing (%1), not a photograph")
                              .arg(QString::fromLatin1(reader.format()).toUpper()));
    const QSize header = reader.size();
    const QImage::Format headerFormat = reader.imageFormat();
    const qint64 fullBytes = header.isValid() ? qtDecodeBytes(header, headerFormat) : 0;
    bool scaledRead = false;
    if (header.isValid()) {
        checkPixels(header, kMaxPixels);
        // Too large at full size: a reader that scales while it reads (PNG of 8 bits a
        // channel; deeper pictures Qt decodes whole first) needs memory only for the smaller
        // picture. Its conversion to 24 bits needs none of its own, and a reader that would
        // decode the whole picture first after all is held back by Qt's limit.
        const int bits = headerFormat == QImage::Format_Invalid
                             ? 0
                             : QImage::toPixelFormat(headerFormat).bitsPerPixel();
        if (fullBytes > decodeBudget() && minimumFor && bits >= 24 && bits <= 32 &&
            reader.supportsOption(QImageIOHandler::ScaledSize)) {
            const bool swap = swapsSides(exifOrientation(reader.transformation()));
            const QSize smaller =
                coveringSize(header, transposedIf(minimumFor(transposedIf(header, swap)), swap));
            checkMemory(header, qtDecodeBytes(smaller, QImage::Format_ARGB32), decodeBudget());
            reader.setScaledSize(smaller);
            scaledRead = true;
        } else {
            checkMemory(header, fullBytes, decodeBudget());
        }
    }
    QImage decoded;
    if (!reader.read(&decoded)) {
        if (scaledRead) checkMemory(header, fullBytes, decodeBudget());
        throw DecodeError(reader.errorString());
    }
    checkPixels(decoded.size(), kMaxPixels);
    checkMemory(decoded.size(), qtDecodeBytes(decoded.size(), decoded.format()), decodeBudget());
    source.orientation = exifOrientation(reader.transformation());
    const QSize decodedSize = decoded.size();
    source.fullSize = scaledRead ? header : decodedSize;
    source.pixels = onWhite(std::move(decoded));
    if (source.pixels.isNull()) noMemoryFor(decodedSize);
    source.extent = QSizeF(source.pixels.size());
    return source;
}

}  // namespace

qint64 decodeBudget() {
    return t_decodeBudget > 0 ? t_decodeBudget : kDecodeBudget;
}

void limitDecodeBudgetOfThisThread(qint64 bytes) {
    t_decodeBudget = std::clamp<qint64>(bytes, 0, kDecodeBudget);
}

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
        if (isDrawing(format)) continue;
        const QString suffix = QString::fromLatin1(format).toLower();
        if (!suffixes.contains(suffix)) suffixes << suffix;
    }
    return suffixes;
}

QImage decodeJpeg(const QByteArray& data) {
    const jpeg::Decoded d = jpeg::decode(data, {}, kMaxPixels, decodeBudget());
    return oriented(d.pixels, d.orientation);
}

}  // namespace image
