#pragma once

#include <QString>

namespace ini {
class IniFile;
}

namespace settings {

inline constexpr const char* kFileName = "SpellIni.ini";

// The database to open at start: the program folder's "DB\KeywordsDB.db", or the stored
// Database/FileName (absolute when it holds ':' or starts with '/', otherwise relative to
// the program folder). Backslashes are path separators.
QString databasePath(const ini::IniFile& settings, const QString& programFolder);

}  // namespace settings
