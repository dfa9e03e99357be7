// The connection's LIKE on one 21 MB batch summary stored as a BLOB: patterns of many "_"
// (as typed into the any-word search, which wraps the text in "%"), beside SQLite's built-in
// LIKE on the same text.
//   build/bench/like_bench [megabytes [longest run]]
#include <sqlite3.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/sql/like.h"

namespace {

// An RTF-like summary: entries of words, none of them an "x".
QByteArray summary(int megabytes) {
    const QByteArray entry =
        "{\\b SUNSET OVER THE LAKE}\\par\\par A cat watches the sunset from a boat.\\par\\par "
        "cat, sunset, lake, boat, evening, water, reflection, calm, orange, sky\\par -----\\par ";
    QByteArray text = "{\\rtf1\\ansi ";
    while (text.size() < megabytes * 1024 * 1024) text += entry;
    return text + "}";
}

// Milliseconds for one "SELECT ?1 LIKE ?2", the text bound as a BLOB (as the summaries are
// stored) or as TEXT (the engine of Debian's SQLite never matches a BLOB); result in *matched.
double timeLike(sqlite3* db, const QByteArray& text, bool asBlob, const QByteArray& pattern,
                int* matched) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT ?1 LIKE ?2", -1, &stmt, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    if (asBlob)
        sqlite3_bind_blob(stmt, 1, text.constData(), static_cast<int>(text.size()), SQLITE_STATIC);
    else
        sqlite3_bind_text(stmt, 1, text.constData(), static_cast<int>(text.size()), SQLITE_STATIC);
    sqlite3_bind_text(stmt, 2, pattern.constData(), static_cast<int>(pattern.size()),
                      SQLITE_STATIC);
    QElapsedTimer timer;
    timer.start();
    if (sqlite3_step(stmt) != SQLITE_ROW) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    *matched = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 21;
    const int longest = argc > 2 ? std::atoi(argv[2]) : 32767;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QByteArray text = summary(megabytes);
    sqlite3 *own = nullptr, *engine = nullptr;
    if (sqlite3_open(":memory:", &own) != SQLITE_OK || !sql::registerLike(own) ||
        sqlite3_open(":memory:", &engine) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open SQLite\n");
        return 1;
    }
    std::printf("summary of %lld bytes\n", static_cast<long long>(text.size()));
    std::printf("%-28s %12s %12s\n", "pattern", "own like ms", "engine ms");
    for (const int n : {200, 2000, 32767}) {
        if (n > longest) break;
        const QByteArray run(n, '_');
        const struct {
            const char* name;
            QByteArray pattern;
        } cases[] = {{"%<n x _>%", "%" + run + "%"},
                     {"%<n x _>x%", "%" + run + "x%"},
                     {"%<n x _>%<n x _>x%", "%" + run + "%" + run + "x%"}};
        for (const auto& c : cases) {
            if (c.pattern.size() > 50000) continue;  // the engine's pattern limit
            int a = 0, b = 0;
            const double ownMs = timeLike(own, text, true, c.pattern, &a);
            const double engineMs = timeLike(engine, text, false, c.pattern, &b);
            std::printf("%-22s n=%-5d %12.1f %12.1f%s\n", c.name, n, ownMs, engineMs,
                        a == b ? "" : "  RESULTS DIFFER");
        }
    }
    sqlite3_close(own);
    sqlite3_close(engine);
    return 0;
}
