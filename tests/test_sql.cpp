#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTemporaryDir>

#include "platform/sql/sql.h"

TEST(Sql, Placeholder) {
    SUCCEED();
}

namespace {

// The engine's own LIKE on two TEXT values, from a plain connection: 1, 0, or -1 for NULL.
int engineLike(const QByteArray& text, const QByteArray& pattern) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT ?1 LIKE ?2", -1, &stmt, nullptr);
    sqlite3_bind_text(stmt, 1, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, pattern.constData(), static_cast<int>(pattern.size()),
                      SQLITE_TRANSIENT);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW) << sqlite3_errmsg(db);
    const int result =
        sqlite3_column_type(stmt, 0) == SQLITE_NULL ? -1 : sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return result;
}

class SqlLike : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        connection.setDatabase(dir.filePath("like.db"));
        query.setSQL("SELECT :text LIKE :pattern AS Matched");
    }

    // The connection's LIKE with the text bound as TEXT or as a BLOB.
    int like(const QByteArray& text, const QByteArray& pattern, bool asBlob) {
        query.close();
        if (asBlob)
            query.setParamBlob("text", text);
        else
            query.setParamString("text", QString::fromUtf8(text));
        query.setParamString("pattern", QString::fromUtf8(pattern));
        query.open();
        const QVariant v = query.fieldByName("Matched");
        return v.isValid() ? v.toInt() : -1;
    }

    QTemporaryDir dir;
    sql::Connection connection;
    sql::Query query{&connection};
};

}  // namespace

// LIKE follows the engine's rules, and a BLOB is read as text, as the engine does by
// default; the system's engine may be built to never match BLOBs.
TEST_F(SqlLike, MatchesTextAndBlobsByTheEngineRules) {
    const QByteArray patterns[] = {"%beach%", "%BEACH%", "b_ach", "beach",   "%",          "",
                                   "_",       "__",      "a%c",   "%a_c%",   "%é%",        "%É%",
                                   "%ü_%",    "50%",     "%\\%",  "%'%",     "ab%%cd",     "%%",
                                   "%_%",     "%_",      "x%y%z", "%ea%ch%", "%b%e%a%c%h%"};
    const QByteArray texts[] = {"beach", "Sunny BEACH day", "", "é", "É", "ü", "üx", "abc", "abxc",
                                "a\\c", "50% off", "it's", "abcd", "ab--cd", "xyz", "bbeach",
                                "{\\rtf1 be\\'e9ach}",
                                // Long enough for the search to take 16 bytes at a time, with
                                // near misses across the blocks and hits at both ends.
                                QByteArray(13, 'x') + "BeacH" + QByteArray(40, '.') + "beac h",
                                "beach" + QByteArray(60, 'b') + "sbeach", QByteArray(70, 'a') + "h",
                                QByteArray(31, ' ') + "50% " + QByteArray(31, '%')};
    for (const QByteArray& pattern : patterns)
        for (const QByteArray& text : texts) {
            SCOPED_TRACE(("'" + text + "' LIKE '" + pattern + "'").toStdString());
            const int expected = engineLike(text, pattern);
            EXPECT_EQ(like(text, pattern, false), expected);
            EXPECT_EQ(like(text, pattern, true), expected);
        }
    EXPECT_EQ(like("Sunset at the beach", "%beach%", true), 1);
    // One hit at every place of a text longer than a few blocks of 16 bytes.
    for (int at = 0; at <= 40; ++at) {
        const QByteArray before(at, 'x'), after(40 - at, 'y');
        EXPECT_EQ(like(before + "sunSet" + after, "%sunset%", true), 1) << at;
        EXPECT_EQ(like(before + "sunSe" + after, "%sunset%", true), 0) << at;
    }
}

TEST_F(SqlLike, ReadsMalformedUtf8AndNulAsTheEngineDoes) {
    // Bytes that are no valid UTF-8, stored as BLOBs; and a NUL ends the text.
    const QByteArray texts[] = {QByteArray("\xC3"),
                                QByteArray("\x80"),
                                QByteArray("\xE9t\xE9"),
                                QByteArray("a\xC3\xA9\x80z"),
                                QByteArray("\xEF\xBF\xBE"),
                                QByteArray("be\0ach", 6),
                                QByteArray("\xF0\x9F\x98\x80!")};
    const QByteArray patterns[] = {
        "_", "__", "___", "%t%", "%z", "a_z", "a__z", "%\xEF\xBF\xBD%", "be%", "%ach", "_!", "%!"};
    for (const QByteArray& pattern : patterns)
        for (const QByteArray& text : texts) {
            SCOPED_TRACE(("'" + text.toHex() + "' LIKE '" + pattern + "'").toStdString());
            EXPECT_EQ(like(text, pattern, true), engineLike(text, pattern));
        }
}

TEST_F(SqlLike, NullAndOverlongPatterns) {
    query.setSQL("SELECT NULL LIKE :pattern AS Matched");
    query.setParamString("pattern", "%");
    query.open();
    EXPECT_FALSE(query.fieldByName("Matched").isValid());

    query.setSQL("SELECT :text LIKE :pattern AS Matched");
    EXPECT_EQ(like("x", QByteArray(49999, '%') + "x", false), 1);
    try {
        like("x", QByteArray(50001, 'x'), false);
        ADD_FAILURE() << "no error";
    } catch (const sql::Error& e) {
        EXPECT_TRUE(e.message().contains("pattern too complex")) << e.message().toStdString();
    }
}
