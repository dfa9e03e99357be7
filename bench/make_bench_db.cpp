#include "bench/make_bench_db.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <numeric>
#include <random>
#include <stdexcept>
#include <vector>

#include "records/schema.h"

namespace bench {
namespace {

const char* const kWords[] = {
    "sunset",    "beach",       "sky",          "sea",      "ocean",       "wave",
    "sand",      "palm",        "tree",         "forest",   "mountain",    "lake",
    "river",     "water",       "cloud",        "sun",      "summer",      "winter",
    "autumn",    "spring",      "snow",         "ice",      "rain",        "storm",
    "light",     "shadow",      "night",        "evening",  "morning",     "dawn",
    "dusk",      "city",        "street",       "building", "bridge",      "road",
    "car",       "bicycle",     "train",        "boat",     "ship",        "harbor",
    "island",    "coast",       "cliff",        "rock",     "stone",       "grass",
    "field",     "meadow",      "flower",       "rose",     "tulip",       "garden",
    "park",      "leaf",        "branch",       "wood",     "wooden",      "old",
    "new",       "modern",      "vintage",      "retro",    "abstract",    "background",
    "texture",   "pattern",     "color",        "colorful", "blue",        "green",
    "red",       "yellow",      "orange",       "purple",   "white",       "black",
    "gray",      "golden",      "silver",       "bright",   "dark",        "calm",
    "peaceful",  "quiet",       "beautiful",    "scenic",   "landscape",   "nature",
    "outdoor",   "travel",      "tourism",      "vacation", "holiday",     "adventure",
    "journey",   "destination", "people",       "woman",    "man",         "child",
    "family",    "friends",     "couple",       "portrait", "smile",       "happy",
    "lifestyle", "business",    "office",       "work",     "computer",    "laptop",
    "phone",     "technology",  "digital",      "network",  "data",        "food",
    "fruit",     "apple",       "bread",        "coffee",   "tea",         "breakfast",
    "dinner",    "kitchen",     "table",        "plate",    "healthy",     "fresh",
    "organic",   "animal",      "dog",          "cat",      "bird",        "horse",
    "cow",       "fish",        "butterfly",    "insect",   "wildlife",    "zoo",
    "farm",      "village",     "house",        "home",     "window",      "door",
    "roof",      "wall",        "architecture", "church",   "castle",      "tower",
    "monument",  "history",     "culture",      "festival", "music",       "art",
    "painting",  "design",      "style",        "fashion",  "clothing",    "shoe",
    "sport",     "football",    "running",      "fitness",  "yoga",        "health",
    "medicine",  "science",     "education",    "school",   "book",        "paper",
    "pen",       "desk",        "money",        "finance",  "market",      "shop",
    "sale",      "gift",        "christmas",    "party",    "celebration", "wedding",
    "love",      "heart",       "romantic",     "closeup",  "macro",       "detail",
    "aerial",    "view",        "panorama",     "horizon",  "reflection",
};

class Content {
public:
    explicit Content(std::uint32_t seed) : m_random(seed), m_order(benchWords().size()) {
        std::iota(m_order.begin(), m_order.end(), 0);
    }

    QString word() {
        return benchWords()[std::uniform_int_distribution<int>(0,
                                                               benchWords().size() - 1)(m_random)];
    }

    QStringList distinctWords(int count) {
        std::shuffle(m_order.begin(), m_order.end(), m_random);
        QStringList words;
        for (int i = 0; i < count && i < static_cast<int>(m_order.size()); ++i)
            words << benchWords()[m_order[i]];
        return words;
    }

    QString title(int words) {
        QStringList parts = distinctWords(words);
        parts[0][0] = parts[0][0].toUpper();
        return parts.join(' ');
    }

    QString sentence(int words) {
        QStringList parts;
        for (int i = 0; i < words; ++i) parts << word();
        parts[0][0] = parts[0][0].toUpper();
        return parts.join(' ') + '.';
    }

    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }

private:
    std::mt19937 m_random;
    std::vector<int> m_order;
};

// A batch summary as the composer writes it: entries of a bold title in capitals, a
// description and a keyword list, separated by "-----".
QByteArray summary(Content& content, const QString& firstTitle, const QStringList& firstKeys,
                   int bytes) {
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{"
        "\\f0\\fnil\\fcharset0 "
        "Segoe UI;}}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\f0\\fs18 ";
    QString title = firstTitle;
    QStringList keys = firstKeys;
    // Entries follow each other until the document is as long as asked; the keyword list
    // of the last one ends where the length is reached.
    const int body = bytes - 3;
    for (bool first = true; rtf.size() < body; first = false) {
        if (!first) {
            rtf += "\\par\r\n-----\\par\r\n";
            title = content.title(content.between(3, 6));
            keys = content.distinctWords(content.between(25, 45));
        }
        rtf += "\\b " + title.toUpper().toLatin1() + "\\b0\\par\r\n\\par\r\n";
        rtf += content.sentence(content.between(12, 24)).toLatin1() + "\\par\r\n\\par\r\n";
        for (int i = 0; i < keys.size() && rtf.size() < body; ++i)
            rtf += (i ? ", " : "") + keys[i].toLatin1();
    }
    rtf += "}\r\n";
    return rtf;
}

void check(sqlite3* db, int rc, int expected = SQLITE_OK) {
    if (rc != expected) throw std::runtime_error(sqlite3_errmsg(db));
}

}  // namespace

const QStringList& benchWords() {
    static const QStringList words = [] {
        QStringList list;
        for (const char* w : kWords) list << QLatin1String(w);
        return list;
    }();
    return words;
}

void makeBenchDatabase(const QString& path, const BenchDatabaseShape& shape) {
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path.toStdString());
    }
    sqlite3_stmt* insert = nullptr;
    try {
        check(db, sqlite3_exec(db, schema::kCreateTable.data(), nullptr, nullptr, nullptr));
        check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr));
        check(db, sqlite3_prepare_v2(db,
                                     "INSERT INTO tblTags (\"Group\", Title, Keys, Datum, AllKeys) "
                                     "VALUES (?, ?, ?, ?, ?)",
                                     -1, &insert, nullptr));
        Content content(shape.seed);
        for (int i = 0; i < shape.records; ++i) {
            const QByteArray group = QStringLiteral("Group %1").arg(i % 12 + 1).toUtf8();
            const QString titleText = content.title(shape.titleWords);
            const QStringList keys = content.distinctWords(shape.keywords);
            const QByteArray title = titleText.toUtf8();
            const QByteArray keyText = keys.join(QStringLiteral(", ")).toUtf8();
            const QByteArray date = QStringLiteral("2025-%1-%2")
                                        .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                                        .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                                        .toUtf8();
            const QByteArray rtf = summary(content, titleText, keys, shape.summaryBytes);
            sqlite3_bind_text(insert, 1, group.constData(), group.size(), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, title.constData(), title.size(), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 3, keyText.constData(), keyText.size(), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, date.constData(), date.size(), SQLITE_TRANSIENT);
            sqlite3_bind_blob(insert, 5, rtf.constData(), rtf.size(), SQLITE_TRANSIENT);
            check(db, sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        insert = nullptr;
        check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
    } catch (...) {
        sqlite3_finalize(insert);
        sqlite3_close(db);
        QFile::remove(path);
        throw;
    }
    sqlite3_close(db);
}

QString cachedBenchDatabase(const QString& folder, const BenchDatabaseShape& shape) {
    const QString name = QStringLiteral("bench-%1-%2-%3-%4.db")
                             .arg(shape.records)
                             .arg(shape.keywords)
                             .arg(shape.summaryBytes)
                             .arg(shape.seed);
    const QString path = QDir(folder).absoluteFilePath(name);
    if (QFileInfo::exists(path)) return path;
    // Made under another name first, so that an interrupted run leaves no half database.
    const QString partial = path + QStringLiteral(".part");
    makeBenchDatabase(partial, shape);
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot rename " + partial.toStdString());
    return path;
}

}  // namespace bench
