#pragma once

#include <QString>

namespace appfolder {

// The program folder (the folder of the running executable), with a trailing '/'.
QString programFolder();

// Tests run the program beside a temporary folder of their own. An empty path
// returns to the executable's folder.
void setProgramFolderForTests(const QString& folder);

// Joins a path stored Windows-style ("DB\KeywordsDB.db") to the program folder.
// Backslashes are path separators on both systems.
QString nativeRelative(const QString& stored);

// A stored path that names a whole location: it holds ':' or starts with '/'.
bool isAbsoluteStored(const QString& stored);

}  // namespace appfolder
