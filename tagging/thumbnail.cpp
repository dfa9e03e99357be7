#include "tagging/thumbnail.h"

#include "platform/image/image.h"

namespace tagging {

QImage loadThumbnailBitmap(const QString& fileName, int size) {
    return image::loadThumbnail(fileName, size);
}

}  // namespace tagging
