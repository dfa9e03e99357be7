#include "tagging/upload_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/errors/errors.h"

namespace upload {

QString uploadFilePath() {
    return QDir(QDir::tempPath()).filePath(QLatin1String(kFileName));
}

void removeUploadFile(const QString& path) {
    if (path.isEmpty()) return;
    if (!QFileInfo::exists(path)) return;
    QFile file(path);
    if (!file.remove())
        throw errors::Error(QStringLiteral("Cannot delete file %1. %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
}

}  // namespace upload
