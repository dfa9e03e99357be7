#pragma once

#include <QImage>
#include <QString>

namespace tagging {

// The batch grid's thumbnail of a picture file: 24 bits per pixel, fitting a size x size
// square by image::fitWithin (halves to the even neighbour, never enlarged), upright and on
// white; a JPEG is decoded at the smallest DCT scale still at least that large, so adding
// hundreds of camera files stays quick. Made once when a row is added and kept in the row.
// It is decoded under the same limits as the upload image (image::loadResized). Throws
// image::DecodeError when the file cannot be decoded.
QImage loadThumbnailBitmap(const QString& fileName, int size);

}  // namespace tagging
