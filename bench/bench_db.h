#pragma once

#include <QString>

// Makes (once) a database of the program's schema with `records` rows: about 45
// keywords and a 2 KB RTF summary each. Returns false when it could not be made.
bool makeBenchDatabase(const QString& file, int records);
