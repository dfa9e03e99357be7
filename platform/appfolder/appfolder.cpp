#include "platform/appfolder/appfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace appfolder {
namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}

QString withSlash(QString folder) {
    if (!folder.endsWith('/')) folder += '/';
    return folder;
}
}  // namespace

QString programFolder() {
    if (!overrideFolder().isEmpty()) return overrideFolder();
    QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (exe.isEmpty()) exe = QCoreApplication::applicationFilePath();
    return withSlash(QFileInfo(exe).absolutePath());
}

void setProgramFolderForTests(const QString& folder) {
    overrideFolder() = folder.isEmpty() ? QString() : withSlash(QDir(folder).absolutePath());
}

QString nativeRelative(const QString& stored) {
    QString path = stored;
    path.replace('\\', '/');
    return path;
}

bool isAbsoluteStored(const QString& stored) {
    return stored.contains(':') || stored.startsWith('/');
}

}  // namespace appfolder
