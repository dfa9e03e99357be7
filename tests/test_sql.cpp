#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

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
