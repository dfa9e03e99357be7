#include "tagging/upload_image.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/image/image.h"
#include "platform/image/jpeg.h"
#include "platform/text/text.h"

namespace tagging {

QString temporaryFolder() {
    return QDir(QDir::tempPath()).filePath(QStringLiteral("pixolet-%1").arg(::geteuid()));
}

QString uploadImagePath() {
    return QDir(temporaryFolder()).filePath(QStringLiteral("AI_Input_Upload.jpg"));
}

int uploadSizeLimit(const QString& comboText) {
    try {
        return text::strToInt(comboText);
    } catch (const errors::ConvertError&) {
        return kDefaultUploadLimit;
    }
}

std::optional<QByteArray> prepareUploadImage(const QString& fileName, int maxSize) {
    QImage scaled;
    try {
        // Decoded at a reduced DCT scale still twice the target's size, then the exact
        // cubic step: as sharp as scaling the full picture, at a fraction of the work.
        scaled = image::loadResized(
            fileName, [maxSize](QSize upright) { return image::fitWithin(upright, maxSize); }, 2.0);
    } catch (const image::DecodeError&) {
        return std::nullopt;
    }
    return image::jpeg::encode(scaled, kUploadQuality);
}

void deleteUploadImage(const QString& path) {
    if (!files::isOwnFolder(QFileInfo(path).absolutePath())) return;
    const QByteArray name = QFile::encodeName(path);
    if (::unlink(name.constData()) == 0 || errno == ENOENT) return;
    const int error = errno;
    throw errors::Error(
        QStringLiteral("Unable to delete %1: %2")
            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(error))));
}

void writeUploadImage(const QString& path, const QByteArray& jpeg) {
    files::ensurePrivateFolder(QFileInfo(path).absolutePath());
    files::writeAtomically(path, jpeg);
}

}  // namespace tagging
