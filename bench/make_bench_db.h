#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// Large keyword-record databases for the benchmarks: every record has a title of a few
// words, about 45 batch tags and an RTF batch summary of about 2 KB made of entries like
// the ones the batch summary composer writes. The content is drawn from benchWords() by
// a fixed seed, so two databases of one shape are alike.
namespace bench {

struct BenchDatabaseShape {
    int records = 100000;
    int keywords = 45;        // batch tags per record
    int titleWords = 5;       // words per title
    int summaryBytes = 2048;  // the RTF summary grows by entries until it is this long
    std::uint32_t seed = 1;
};

// The words the content is drawn from (lower case, ASCII). Each record's tags are distinct
// words, so a word stands in the tags of keywords / size() of the records.
const QStringList& benchWords();

// Writes a database of the program's schema with records made by shape, replacing any file
// at path. Throws std::runtime_error when SQLite fails.
void makeBenchDatabase(const QString& path, const BenchDatabaseShape& shape = {});

// A database of shape kept in folder and made only when it is missing; returns its path.
QString cachedBenchDatabase(const QString& folder, const BenchDatabaseShape& shape = {});

}  // namespace bench
