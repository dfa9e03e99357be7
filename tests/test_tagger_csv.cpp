// "Create CSV files" on the tagger's grid; the files' formats themselves are test_csv_files'.
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QPushButton>

#include "tagging/window_centre.h"
#include "tests/support/batch_grid_fixture.h"
#include "tests/support/file_bytes.h"

namespace {

class TaggerCsv : public BatchGridTest {
protected:
    void createCsv() { QTest::mouseClick(w->btnCreateCSV, Qt::LeftButton); }
};

TEST_F(TaggerCsv, AnEmptyGridWritesNothing) {
    createCsv();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(QFile::exists(path("CSV")));
    EXPECT_FALSE(QFile::exists("CSV"));
}

TEST_F(TaggerCsv, TheGridsRowsGoIntoTheFirstRowsFolderInGridOrder) {
    openImages({picture("Photos/beach.jpg", {40, 30}), picture("Elsewhere/raw.png", {40, 30}),
                picture("Photos/night.jpg", {40, 30})});
    rows().writeTags(0,
                     {{},
                      "Golden beach",
                      "Sunset over the sea",
                      "sun, sea, beach",
                      "landscape",
                      "Nature",
                      "Holidays"},
                     true);
    // A name the Adobe list does not hold gets no number.
    rows().writeTags(2, {{}, "Night", "Say \"cheese\"", "club", "Nightlife", "", "Arts"}, true);

    QDate day;
    do {
        day = QDate::currentDate();
        dialogs.clear();
        createCsv();
    } while (QDate::currentDate() != day);  // the run did not pass midnight
    const QByteArray date = day.toString("yyyy-MM-dd").toLatin1();

    EXPECT_EQ(dialogs.texts("information"), QStringList{"All CSVs created successfully!"});
    EXPECT_EQ(dialogs.lastInformationAt, informationPointAt(w));
    EXPECT_EQ(readOrNone(path("Photos/CSV/AdobeCSV.csv")),
              "\xEF\xBB\xBF"
              "Filename,Title,Keywords,Category,Releases\r\n"
              "\"beach.jpg\",\"Sunset over the sea\",\"sun, sea, beach\",11,\r\n"
              "\"raw.png\",\"\",\"\",,\r\n"
              "\"night.jpg\",\"Say \"\"cheese\"\"\",\"club\",,\r\n");
    EXPECT_EQ(readOrNone(path("Photos/CSV/ShutterCSV.csv")),
              "\xEF\xBB\xBF"
              "Filename,Description,Keywords,Categories,Illustration,Mature Content,Editorial\r\n"
              "\"beach.jpg\",\"Sunset over the sea\",\"sun, sea, beach\",\"Nature,Holidays\","
              "No,No,No\r\n"
              "\"raw.png\",\"\",\"\",\"\",No,No,No\r\n"
              "\"night.jpg\",\"Say \"\"cheese\"\"\",\"club\",\"Arts\",No,No,No\r\n");
    EXPECT_EQ(readOrNone(path("Photos/CSV/GettyCSV.csv")),
              "file name,created date,description,country,brief code,title,keywords\r\n"
              "\"beach.jpg\",\"" +
                  date +
                  "\",\"Sunset over the sea\",\"\",\"\",\"Golden beach\",\"sun, sea, beach\"\r\n"
                  "\"raw.png\",\"" +
                  date +
                  "\",\"\",\"\",\"\",\"\",\"\"\r\n"
                  "\"night.jpg\",\"" +
                  date + "\",\"Say \"\"cheese\"\"\",\"\",\"\",\"Night\",\"club\"\r\n");
    EXPECT_FALSE(QFile::exists(path("Elsewhere/CSV")));
    // Nothing of the grid or the fields changes.
    EXPECT_EQ(rows().rowCount(), 3);
    EXPECT_FALSE(rows().cell(1, Col::colTitle).has_value());
}

TEST_F(TaggerCsv, AFileThatCannotBeWrittenIsReportedInsteadOfTheSuccess) {
    openImages({picture("Photos/beach.jpg", {40, 30})});
    ASSERT_TRUE(QDir().mkpath(path("Photos/CSV/ShutterCSV.csv")));
    dialogs.clear();
    createCsv();
    ASSERT_EQ(dialogs.texts("error").size(), 1u);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("ShutterCSV.csv"));
    EXPECT_TRUE(dialogs.texts("information").isEmpty());
    EXPECT_TRUE(QFile::exists(path("Photos/CSV/AdobeCSV.csv")));
    EXPECT_FALSE(QFile::exists(path("Photos/CSV/GettyCSV.csv")));
}

}  // namespace
