#include "app/settings.h"

#include "platform/appfolder/appfolder.h"
#include "platform/ini/ini.h"

namespace settings {

QString databasePath(const ini::IniFile& settings, const QString& programFolder) {
    QString stored = QStringLiteral("DB\\KeywordsDB.db");
    bool absolute = false;
    if (settings.valueExists(QStringLiteral("Database"), QStringLiteral("FileName"))) {
        const QString value =
            settings.readString(QStringLiteral("Database"), QStringLiteral("FileName"), {});
        if (!value.isEmpty()) {
            stored = value;
            absolute = appfolder::isAbsoluteStored(value);
        }
    }
    const QString path = appfolder::nativeRelative(stored);
    return absolute ? path : programFolder + path;
}

}  // namespace settings
