// The record store on real database files: what each operation leaves open in the main
// query, and on which row.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>

#include "platform/sql/sql.h"
#include "records/dm.h"
#include "records/record_store.h"
#include "tests/support/qt_print.h"

namespace {

class RecordStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        dm.FDConnection1->setDatabase(dir.filePath(QStringLiteral("records.db")));
        dm.FDConnection1->connect();
        store().createTable();
        for (const char* title : {"Sunset", "Cat", "Dog"}) add(title);
        store().openListing();
    }

    RecordStore& store() { return dm.records(); }

    qint64 add(const QString& title, const QString& group = QStringLiteral("Nature")) {
        Record record;
        record.group = group;
        record.title = title;
        record.keys = title.toLower();
        record.date = QDate(2026, 1, 2);
        record.summaryRtf = "{\\rtf1 " + title.toUtf8() + "}";
        return store().insert(record);
    }

    // One column of every row of a statement run outside the main query.
    QStringList column(const QString& statement) {
        sql::Query query(dm.FDConnection1);
        query.setSQL(statement);
        query.open();
        QStringList values;
        for (query.first(); !query.eof(); query.next())
            values << query.value(query.recNo(), 0).toString();
        return values;
    }

    QTemporaryDir dir;
    TDM dm;
};

TEST_F(RecordStoreTest, EachOperationLeavesItsStatementOpenOnItsRow) {
    struct Case {
        const char* name;
        std::function<void(RecordStore&)> run;
        QString statement;
        qint64 currentId;
    };
    const Case cases[] = {
        {"start", [](RecordStore& s) { s.openListingAtStart(); }, "SELECT * FROM tblTags", 1},
        {"listing", [](RecordStore& s) { s.openListing(); }, "Select * FROM tblTags", 1},
        {"after New", [](RecordStore& s) { s.createTable(), s.openListingAfterNew(); },
         "Select * FROM TblTags", 1},
        {"title search", [](RecordStore& s) { s.searchTitle("o"); },
         "Select * FROM tblTags WHERE \"Title\" LIKE :titleword", 3},
        {"tags search", [](RecordStore& s) { s.searchTags(" cat, "); },
         "SELECT * FROM tblTags WHERE Keys LIKE :word0", 2},
        {"any-word search", [](RecordStore& s) { s.searchAnyWord("Dog"); },
         "Select * FROM tblTags WHERE \"AllKeys\" LIKE :allkeysword", 3},
        {"update",
         [](RecordStore& s) {
             Record r = s.currentFields();
             r.id = 2;
             s.update(r);
         },
         "Select * FROM tblTags", 1},
        {"delete", [](RecordStore& s) { s.remove(1); }, "Select * From tblTags", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store().openListing();
        c.run(store());
        EXPECT_EQ(store().statement(), c.statement);
        EXPECT_TRUE(store().query()->active());
        EXPECT_EQ(store().currentIdIfAny(), c.currentId);
    }
}

TEST_F(RecordStoreTest, InsertStandsOnTheNewRecordAndUpdateKeepsItsDate) {
    QSignalSpy counts(&dm, &TDM::recordCountChanged);
    const qint64 id = add(QStringLiteral("Bear"), QStringLiteral("Zoo"));
    EXPECT_EQ(id, 4);
    EXPECT_EQ(store().statement(), "SELECT ID, * FROM tblTags");
    EXPECT_EQ(store().currentId(), 4);
    // The one-row result of the new ID is counted, then the listing.
    ASSERT_EQ(counts.size(), 2);
    EXPECT_EQ(counts[0][0].toInt(), 1);
    EXPECT_EQ(counts[1][0].toInt(), 4);

    Record changed = store().currentFields();
    EXPECT_EQ(changed.group, "Zoo");
    EXPECT_EQ(changed.title, "Bear");
    changed.id = id;
    changed.title = QStringLiteral("  Bears ");
    changed.summaryRtf = "{\\rtf1 new}";
    store().update(changed);
    EXPECT_EQ(column("SELECT Title || '|' || Datum || '|' || AllKeys FROM tblTags WHERE ID = 4"),
              QStringList{"  Bears |2026-01-02|{\\rtf1 new}"});
}

TEST_F(RecordStoreTest, SearchReopenedKeepsItsParameters) {
    store().searchTitle(QStringLiteral("o"));
    ASSERT_EQ(store().recordCount(), 1);
    const QString statement = store().statement();
    store().maintain();
    EXPECT_FALSE(store().query()->active());
    store().reopen(statement);
    EXPECT_EQ(store().recordCount(), 1);
    EXPECT_EQ(store().currentFields().title, "Dog");
}

TEST_F(RecordStoreTest, FullListingOpensAgainOnlyWhenAnotherStatementOrNoneIsOpen) {
    QSignalSpy opens(store().query(), &sql::Query::afterOpen);
    store().openListingIfOther();
    EXPECT_EQ(opens.size(), 0);
    store().searchTitle(QStringLiteral("Cat"));
    store().openListingIfOther();
    EXPECT_EQ(opens.size(), 2);
    store().query()->close();
    store().openListingIfOther();
    EXPECT_EQ(opens.size(), 3);
    EXPECT_EQ(store().statement(), "Select * FROM tblTags");
}

TEST_F(RecordStoreTest, IdsBeyondThirtyTwoBits) {
    const qint64 big = 5'000'000'000;
    {
        sql::Query raw(dm.FDConnection1);
        raw.setSQL(
            QStringLiteral("INSERT INTO tblTags (ID, \"Group\", Title, Keys) VALUES "
                           "(5000000000, 'G', 'Far', 'far')"));
        raw.execSQL();
    }
    EXPECT_EQ(add(QStringLiteral("After")), big + 1);
    store().openListing();
    ASSERT_TRUE(store().locate(big));
    EXPECT_EQ(store().currentId(), big);
    Record far = store().currentFields();
    far.id = big;
    far.title = QStringLiteral("Farther");
    store().update(far);
    EXPECT_EQ(column("SELECT Title FROM tblTags WHERE ID = 5000000000"), QStringList{"Farther"});
    store().remove(big);
    EXPECT_FALSE(store().locate(big));
    EXPECT_TRUE(store().locate(big + 1));
}

TEST_F(RecordStoreTest, GroupsInByteOrderRunAgainOnEachCall) {
    add(QStringLiteral("x"), QStringLiteral("animals"));
    add(QStringLiteral("y"), QStringLiteral("Zoo"));
    store().openGroups();
    EXPECT_EQ(store().groups(), QStringList({"Nature", "Zoo", "animals"}));
    add(QStringLiteral("z"), QStringLiteral("Birds"));
    EXPECT_EQ(store().groups(), QStringList({"Birds", "Nature", "Zoo", "animals"}));
}

TEST_F(RecordStoreTest, FailedStatementLeavesTheQueryClosed) {
    dm.FDConnection1->disconnect();
    {
        sql::Query raw(dm.FDConnection1);
        raw.setSQL(QStringLiteral("ALTER TABLE tblTags RENAME TO away"));
        raw.execSQL();
    }
    EXPECT_THROW(store().searchTitle(QStringLiteral("a")), sql::Error);
    EXPECT_FALSE(store().query()->active());
    EXPECT_FALSE(store().hasCurrentRecord());
    EXPECT_EQ(store().currentIdIfAny(), std::nullopt);
}

}  // namespace
