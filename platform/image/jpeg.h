#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <functional>

// JPEG files through libjpeg (library version 62).
namespace image::jpeg {

// Whether data begins like a JPEG file: the start-of-image marker followed by a marker.
bool looksLikeJpeg(const QByteArray& data);

// The most scans a JPEG file may hold; decoding stops with DecodeError at the next one.
inline constexpr int kMaxScans = 100;

// A decoded JPEG picture, still in the orientation in which it is stored.
struct Decoded {
    QImage pixels;        // QImage::Format_RGB888
    QSize fullSize;       // the stored size at scale 1
    int scale = 8;        // pixels are decoded at scale / 8 of fullSize (sides rounded up)
    int orientation = 1;  // the EXIF orientation, 1 to 8 (1 when absent or not valid)
};

// The smallest size, in the stored orientation, that a caller needs of a picture of the
// given stored size and EXIF orientation; an empty size asks for the full size.
using SizeNeeded = std::function<QSize(QSize fullSize, int orientation)>;

// Decodes JPEG data to 24-bit RGB (greyscale, YCbCr, RGB, CMYK and YCCK files). Once the
// header is read, needed (when given) says how large the picture must be at the least, and
// it is decoded at the smallest DCT scale n / 8 (n from 1 to 8) at which both sides are
// still that large; otherwise at full size. Before anything is decoded, the header's size is
// checked against maxPixels and the memory the decoding takes (the data, libjpeg's
// coefficients for a file of several scans, the pixels at the chosen scale) against maxBytes.
// Damaged or truncated data, more than kMaxScans scans, and a picture over either limit throw
// DecodeError.
Decoded decode(const QByteArray& data, const SizeNeeded& needed, qint64 maxPixels, qint64 maxBytes);

// Encodes image (converted to 24-bit RGB first) as a baseline JPEG of the given quality
// (0 to 100), libjpeg's other settings at their defaults. Throws errors::Error when the
// encoder fails.
QByteArray encode(const QImage& image, int quality);

}  // namespace image::jpeg
