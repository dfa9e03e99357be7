#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

#include "platform/image/decode_error.h"

// Pictures for the tagger: decoding of every format the program reads, scaling and thumbnails.
// JPEG files go through libjpeg, every other format of pixels through Qt's image readers;
// drawings such as SVG are refused, they are no photographs. Pictures come out upright (the
// EXIF orientation applied, as photo viewers show them), with transparent areas laid on
// white, at 24 bits per pixel (QImage::Format_RGB888).
namespace image {

// Pictures with more pixels than this are refused from their header, before any decoding:
// decoding so many takes seconds even where the memory is there.
inline constexpr qint64 kMaxPixels = 250'000'000;

// The memory that decoding one picture may take at the most, checked from its header before
// any pixel memory is taken: 512 MiB. What photographers tag fits: a 50-megapixel JPEG needs
// 150 MB at full size and less at the DCT scale the decoder picks, a progressive one up to
// 300 MB more for its coefficients; a TIFF or PNG of 16 bits a channel is converted to 8 bits
// in its own memory, 8 bytes a pixel, so one of 61 megapixels needs 480 MB, and a PNG of
// 8 bits a channel too large at full size is scaled while it is read. What needs more is
// refused like any picture that cannot be decoded, so that a small file cannot take the
// machine's memory (a PNG of 15000 x 15000 pixels at 16 bits a channel, a file of about a
// megabyte, would need 1.7 GB) and several decodes at once still fit in a desktop's memory.
// The budget bounds the grid's thumbnails too, decoded in the same way.
inline constexpr qint64 kDecodeBudget = qint64(512) << 20;

// The budget of the decodes on this thread: kDecodeBudget, or less where a thread is one of
// several that decode at once (limitDecodeBudgetOfThisThread). A picture over it is refused
// with OverBudget.
qint64 decodeBudget();
// Lowers the budget of this thread's decodes to bytes (at most kDecodeBudget); 0 restores
// kDecodeBudget.
void limitDecodeBudgetOfThisThread(qint64 bytes);

// The size of a picture scaled to fit a limit x limit square: the picture's own size when
// limit is 0 or less or when neither side is greater than limit (never enlarged); otherwise
// both sides times the smaller of limit / width and limit / height, in double precision,
// each rounded to the nearest integer with halves going to the even neighbour (and at least
// one pixel). The upload image and the grid's thumbnails both follow this rule.
QSize fitWithin(QSize source, int limit);

// Rounds to the nearest integer, halves to the even neighbour.
double roundHalfEven(double value);

// targetFor: the size wanted for a picture of the given upright size.
using TargetRule = std::function<QSize(QSize upright)>;

// Decodes the picture file and resamples it with the cubic filter (resampleCubic) to
// targetFor(its upright size), upright, on white, 24 bits. A JPEG much larger than the target
// is decoded at a reduced DCT scale first: the smallest at which both sides are still at
// least reserve times the target's, so that the cubic filter does the last, exact step.
// Throws DecodeError when the file cannot be read or decoded.
QImage loadResized(const QString& path, const TargetRule& targetFor, double reserve);

// The whole picture at its full size, upright, on white, 24 bits. Throws DecodeError.
QImage load(const QString& path);

// The thumbnail of a picture file: fitWithin(its size, size), a JPEG decoded at the smallest
// DCT scale still at least that large. Throws DecodeError.
QImage loadThumbnail(const QString& path, int size);

// The file-name suffixes of every picture format the decoders read, in lower case, JPEG first;
// no drawings.
QStringList readableSuffixes();

// Decodes JPEG data (at full size, its EXIF orientation applied). Throws DecodeError.
QImage decodeJpeg(const QByteArray& data);

// The picture as shown upright for an EXIF orientation (1 to 8; any other value is 1).
QImage oriented(const QImage& image, int orientation);

}  // namespace image
