#include "bench/bench_db.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

namespace {

const char* const kWords[] = {
    "sunset",   "beach",    "ocean",    "travel",       "summer",   "holiday",  "nature",
    "sky",      "cloud",    "water",    "landscape",    "mountain", "forest",   "tree",
    "green",    "blue",     "orange",   "light",        "evening",  "coast",    "wave",
    "sand",     "vacation", "tourism",  "scenic",       "horizon",  "calm",     "peaceful",
    "outdoor",  "view",     "sun",      "reflection",   "color",    "bright",   "beautiful",
    "tropical", "island",   "palm",     "relax",        "paradise", "seascape", "shore",
    "dusk",     "dawn",     "golden",   "warm",         "cat",      "dog",      "animal",
    "city",     "street",   "building", "architecture", "people",   "woman",    "man"};
constexpr int kWordCount = sizeof(kWords) / sizeof(kWords[0]);

QString keywords(QRandomGenerator& rng, int n) {
    QStringList out;
    for (int i = 0; i < n; ++i) out << QLatin1String(kWords[rng.bounded(kWordCount)]);
    return out.join(QStringLiteral(", "));
}

// A batch summary of about 2 KB as the program stores it.
QByteArray summary(QRandomGenerator& rng, int index) {
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Segoe UI;}}{\\colortbl ;}\r\n"
        "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    while (rtf.size() < 2000) {
        rtf += "\\b " + keywords(rng, 3).toUpper().toLatin1() + " " + QByteArray::number(index) +
               "\\b0\\par\r\n\\par\r\nA description of the picture with " +
               keywords(rng, 4).toLatin1() + ".\\par\r\n\\par\r\n" + keywords(rng, 45).toLatin1() +
               "\\par\r\n\\par\r\n-----\\par\r\n";
    }
    rtf += "}\r\n";
    return rtf;
}

}  // namespace

bool makeBenchDatabase(const QString& file, int records) {
    if (QFileInfo::exists(file)) return true;
    sqlite3* db = nullptr;
    if (sqlite3_open(file.toUtf8().constData(), &db) != SQLITE_OK) return false;
    bool ok =
        sqlite3_exec(db,
                     "CREATE TABLE IF NOT EXISTS TblTags (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                     "\"Group\" VARCHAR NOT NULL, Title VARCHAR NOT NULL, Keys VARCHAR NOT NULL, "
                     "Datum DATE, AllKeys BLOB, Selected BOOLEAN DEFAULT FALSE);BEGIN;",
                     nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* stmt = nullptr;
    ok = ok && sqlite3_prepare_v2(db,
                                  "INSERT INTO tblTags (\"Group\", Title, Keys, Datum, AllKeys) "
                                  "VALUES (?, ?, ?, '2026-01-01', ?)",
                                  -1, &stmt, nullptr) == SQLITE_OK;
    QRandomGenerator rng(42);
    for (int i = 0; ok && i < records; ++i) {
        const QByteArray group = "Group " + QByteArray::number(i % 40);
        const QByteArray title = keywords(rng, 3).toUtf8() + " " + QByteArray::number(i);
        const QByteArray keys = keywords(rng, 8).toUtf8();
        const QByteArray blob = summary(rng, i);
        sqlite3_bind_text(stmt, 1, group.constData(), group.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, title.constData(), title.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, keys.constData(), keys.size(), SQLITE_TRANSIENT);
        sqlite3_bind_blob(stmt, 4, blob.constData(), blob.size(), SQLITE_TRANSIENT);
        ok = sqlite3_step(stmt) == SQLITE_DONE;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    ok = ok && sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}
