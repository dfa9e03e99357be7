#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <vector>

#include "platform/sql/sql.h"

namespace {

class SqlTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection.setDatabase(dir.path() + "/test.db");
        run("CREATE TABLE IF NOT EXISTS TblTags (ID INTEGER PRIMARY KEY AUTOINCREMENT, \"Group\" "
            "VARCHAR NOT NULL, Title VARCHAR NOT NULL, Keys VARCHAR NOT NULL, Datum DATE, AllKeys "
            "BLOB, Selected BOOLEAN DEFAULT FALSE)");
    }

    void run(const QString& statement) {
        sql::Query q(&connection);
        q.setSQL(statement);
        q.execSQL();
    }

    void insert(const QString& group, const QString& title, const QByteArray& blob = {}) {
        sql::Query q(&connection);
        q.setSQL(
            "INSERT INTO tblTags (\"Group\", Title, Keys, Datum, AllKeys) VALUES (:g, :t, :k, "
            ":d, :b)");
        q.setParamString("g", group);
        q.setParamString("t", title);
        q.setParamString("k", "keys");
        q.setParamDate("d", QDate(2026, 12, 10));
        q.setParamBlob("b", blob);
        q.execSQL();
    }

    QTemporaryDir dir;
    sql::Connection connection;
};

TEST_F(SqlTest, ReplacingTheTextRebuildsParametersAndKeepsSameNamedValues) {
    sql::Query q(&connection);
    q.setSQL(
        "SELECT * FROM tblTags WHERE Title LIKE :word AND Keys = ':notaparam' AND \"Group\" = "
        ":Grp");
    EXPECT_EQ(q.paramNames(), QStringList({"word", "Grp"}));
    q.setParamString("word", "%cat%");
    q.setParamString("grp", "Animals");
    q.setSQL("SELECT * FROM tblTags WHERE Title LIKE :WORD OR Keys LIKE :other");
    EXPECT_EQ(q.paramNames(), QStringList({"WORD", "other"}));
    EXPECT_EQ(q.paramValue("word").toString(), "%cat%");
    EXPECT_FALSE(q.paramValue("other").isValid());
    EXPECT_THROW(q.setParamString("Grp", "x"), sql::Error);
}

TEST_F(SqlTest, ParametersAreBoundNeverPasted) {
    insert("G", "It's 50% \"off\" \\ über");
    sql::Query q(&connection);
    q.setSQL("SELECT Title, Datum FROM tblTags WHERE Title = :t");
    q.setParamString("t", "It's 50% \"off\" \\ über");
    q.open();
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.fieldByName("title").toString(), "It's 50% \"off\" \\ über");
    EXPECT_EQ(q.fieldByName("Datum").toString(), "2026-12-10");
}

TEST_F(SqlTest, LargeBlobsAreReadWhenAskedForAndSmallOnesAtOnce) {
    const QByteArray big(100000, 'r');
    insert("G", "big", big);
    insert("G", "small", "tiny");
    sql::Query q(&connection);
    q.setSQL("SELECT * FROM tblTags ORDER BY ID");
    q.open();
    EXPECT_EQ(q.fieldByName("AllKeys").toByteArray(), big);
    q.next();
    EXPECT_EQ(q.fieldByName("AllKeys").toByteArray(), "tiny");
    // Also through an expression column list without the key: read at once.
    q.setSQL("SELECT AllKeys FROM tblTags WHERE Title = 'big'");
    q.open();
    EXPECT_EQ(q.fieldByName("AllKeys").toByteArray(), big);
}

TEST_F(SqlTest, CursorLocateAndEvents) {
    for (const char* t : {"a", "b", "c"}) insert("G", t);
    sql::Query q(&connection);
    QSignalSpy opened(&q, &sql::Query::afterOpen);
    q.setSQL("Select * FROM tblTags");
    q.open();
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(q.recordCount(), 3);
    QStringList seen;
    for (q.first(); !q.eof(); q.next()) seen << q.fieldByName("Title").toString();
    EXPECT_EQ(seen, QStringList({"a", "b", "c"}));
    EXPECT_TRUE(q.locate("ID", 2));
    EXPECT_EQ(q.fieldByName("Title").toString(), "b");
    EXPECT_FALSE(q.locate("ID", 42));
    EXPECT_EQ(q.recNo(), 1);
    EXPECT_THROW(q.fieldByName("Nope"), sql::Error);
}

TEST_F(SqlTest, PostUpdatesTheOneRowByItsId) {
    insert("Old", "a");
    insert("Old", "b");
    sql::Query q(&connection);
    QSignalSpy posted(&q, &sql::Query::afterPost);
    q.setSQL("SELECT * FROM tblTags WHERE \"Group\" = :g");
    q.setParamString("g", "Old");
    q.open();
    q.locate("ID", 2);
    q.edit();
    q.setFieldValue("Group", "New");
    q.post();
    EXPECT_EQ(posted.count(), 1);
    EXPECT_EQ(q.fieldByName("Group").toString(), "New");
    sql::Query check(&connection);
    check.setSQL("SELECT \"Group\" FROM tblTags ORDER BY ID");
    check.open();
    EXPECT_EQ(check.fieldByName("Group").toString(), "Old");
    check.next();
    EXPECT_EQ(check.fieldByName("Group").toString(), "New");
}

TEST_F(SqlTest, RefreshOfAClosedQueryFailsWithThePlatformMessage) {
    sql::Query q(&connection);
    q.setSQL("SELECT DISTINCT [Group] AS TagGroup\r\nFROM tblTags\r\nORDER BY TagGroup;");
    try {
        q.refresh();
        FAIL();
    } catch (const sql::Error& e) {
        EXPECT_EQ(e.message(), "Cannot perform this operation on a closed dataset");
    }
    insert("x", "t");
    q.open();
    EXPECT_EQ(q.recordCount(), 1);
    insert("y", "t");
    q.refresh();
    EXPECT_EQ(q.recordCount(), 2);
}

TEST_F(SqlTest, EngineErrorsCarryTheEngineMessageAndLeaveTheQueryClosed) {
    sql::Query q(&connection);
    q.setSQL("SELECT * FROM missingTable");
    try {
        q.open();
        FAIL();
    } catch (const sql::Error& e) {
        EXPECT_EQ(e.message(), "no such table: missingTable");
    }
    EXPECT_FALSE(q.active());
    q.setSQL("ANALYZE; REINDEX;");
    EXPECT_NO_THROW(q.execSQL());
}

TEST_F(SqlTest, ConnectionParametersAndDisconnectCloseTheQueries) {
    connection.addParameter("LockingMode=Normal");
    connection.addParameter("Synchronous=Full");
    connection.addParameter("synchronous=Full");
    EXPECT_EQ(connection.parameters(), QStringList({"LockingMode=Normal", "synchronous=Full"}));
    sql::Query q(&connection);
    q.setSQL("PRAGMA synchronous");
    q.open();
    EXPECT_EQ(q.fieldByName("synchronous").toInt(), 2);
    connection.setDatabase(dir.path() + "/other.db");
    EXPECT_FALSE(q.active());
    EXPECT_FALSE(connection.connected());

    sql::Connection none;
    sql::Query q2(&none);
    q2.setSQL("SELECT 1");
    EXPECT_THROW(q2.open(), sql::Error);
}

}  // namespace

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

// Runs of "_" and "%", alone and mixed, against texts shorter, as long as and longer than the
// runs, in ASCII and in two-byte characters.
TEST_F(SqlLike, RunsOfWildcardsMatchAsTheEngineDoes) {
    const auto u = [](int n) { return QByteArray(n, '_'); };
    const QByteArray e = "\xC3\xA9";  // é
    std::vector<QByteArray> patterns = {"%_%_%", "_%_",   "%%__%%",       "_%%_%",        "%a__c%",
                                        "a%%%c", "%_a%_", "%" + e + "_%", "__" + e + "%", "%%%"};
    for (const int n : {1, 2, 3, 199, 200, 201}) {
        patterns.push_back(u(n));
        patterns.push_back("%" + u(n) + "%");
        patterns.push_back(u(n) + "%");
        patterns.push_back("%" + u(n));
        patterns.push_back("%" + u(n) + "x%");
        patterns.push_back("x" + u(n) + "%");
        patterns.push_back("%" + u(n) + "%" + u(2) + "x");
        patterns.push_back("%%" + u(n) + "%_%" + u(n) + "%%");
    }
    QByteArray accents;
    for (int i = 0; i < 200; ++i) accents += e;
    const QByteArray texts[] = {"",
                                "x",
                                "abc",
                                "a12c",
                                "xax",
                                QByteArray(199, 'a'),
                                QByteArray(200, 'a'),
                                QByteArray(201, 'A') + "x",
                                "x" + QByteArray(400, 'b') + "xx",
                                accents,
                                accents + "x",
                                "x" + accents + e + "x",
                                "a" + e + e + "c"};
    for (const QByteArray& pattern : patterns)
        for (const QByteArray& text : texts) {
            SCOPED_TRACE(("'" + text.left(20) + "'(" + QByteArray::number(text.size()) +
                          ") LIKE '" + pattern.left(20) + "'(" +
                          QByteArray::number(pattern.size()) + ")")
                             .toStdString());
            const int expected = engineLike(text, pattern);
            EXPECT_EQ(like(text, pattern, false), expected);
            EXPECT_EQ(like(text, pattern, true), expected);
        }
    // A long run is one step: a megabyte against 20,000 "_" and a character that ends it.
    const QByteArray big = QByteArray(1 << 20, 'a') + "x";
    EXPECT_EQ(like(big, "%" + u(20000) + "x%", true), 1);
    EXPECT_EQ(like(big, "%" + u(20000) + "y%", true), 0);
    const QByteArray exact = QByteArray(40000, 'a') + "x";
    EXPECT_EQ(like(exact, "%" + u(40000) + "_", true), 1);
    EXPECT_EQ(like(exact, "%" + u(40000) + "__", true), 0);
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
