// The agencies' upload files: folder, names, encodings, headers and row formats, the write
// order and what a failed write leaves behind; a CSV reader of Python's proves the columns.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/errors/errors.h"
#include "tagging/categories.h"
#include "tagging/csv_files.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

namespace {

const QByteArray kBom = "\xEF\xBB\xBF";
const QByteArray kAdobeHeader = "Filename,Title,Keywords,Category,Releases\r\n";
const QByteArray kShutterHeader =
    "Filename,Description,Keywords,Categories,Illustration,Mature Content,Editorial\r\n";
const QByteArray kGettyHeader =
    "file name,created date,description,country,brief code,title,keywords\r\n";
const QDate kDay(2026, 12, 10);

class CsvFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString photos() const { return dir.filePath("Photos"); }
    QString csv(const char* name) const {
        return photos() + QStringLiteral("/CSV/") + QLatin1String(name);
    }
    BatchRow beach() const {
        return {photos() + "/beach.jpg",
                "Golden beach",
                "Sunset over the sea",
                "sun, sea, beach",
                "Landscape",
                "Nature",
                "Holidays"};
    }
    // The data lines of the three files for one row, the header and byte-order mark checked.
    std::array<QByteArray, 3> linesFor(const BatchRow& row,
                                       const QStringList& adobe = categories::adobe()) {
        const csvfiles::CsvFiles f = csvfiles::buildCsvFiles({row}, adobe, kDay);
        EXPECT_TRUE(f.adobe.startsWith(kBom + kAdobeHeader));
        EXPECT_TRUE(f.shutter.startsWith(kBom + kShutterHeader));
        EXPECT_TRUE(f.getty.startsWith(kGettyHeader));
        return {f.adobe.mid(kBom.size() + kAdobeHeader.size()),
                f.shutter.mid(kBom.size() + kShutterHeader.size()),
                f.getty.mid(kGettyHeader.size())};
    }
};

TEST_F(CsvFiles, TheExampleRowInAllThreeFiles) {
    ASSERT_TRUE(csvfiles::writeCsvFiles({beach()}, categories::adobe(), kDay));
    EXPECT_EQ(
        readOrNone(csv("AdobeCSV.csv")),
        kBom + kAdobeHeader + "\"beach.jpg\",\"Sunset over the sea\",\"sun, sea, beach\",11,\r\n");
    EXPECT_EQ(readOrNone(csv("ShutterCSV.csv")),
              kBom + kShutterHeader +
                  "\"beach.jpg\",\"Sunset over the sea\",\"sun, sea, beach\",\"Nature,Holidays\","
                  "No,No,No\r\n");
    EXPECT_EQ(readOrNone(csv("GettyCSV.csv")),
              kGettyHeader +
                  "\"beach.jpg\",\"2026-12-10\",\"Sunset over the sea\",\"\",\"\","
                  "\"Golden beach\",\"sun, sea, beach\"\r\n");
}

TEST_F(CsvFiles, RowFormatsFollowTheirRules) {
    struct Case {
        const char* name;
        BatchRow row;
        QByteArray adobe, shutter, getty;
    };
    const QString p = photos();
    const std::vector<Case> cases = {
        {"a row never tagged",
         {.fileName = p + "/raw.jpg"},
         "\"raw.jpg\",\"\",\"\",,\r\n",
         "\"raw.jpg\",\"\",\"\",\"\",No,No,No\r\n",
         "\"raw.jpg\",\"2026-12-10\",\"\",\"\",\"\",\"\",\"\"\r\n"},
        {"quotes doubled, commas and line breaks kept inside the quotes",
         {p + "/q.jpg", "A \"big\" day", "Say \"cheese\", twice\r\nplease", "a; b", "", "", ""},
         "\"q.jpg\",\"Say \"\"cheese\"\", twice\r\nplease\",\"a; b\",,\r\n",
         "\"q.jpg\",\"Say \"\"cheese\"\", twice\r\nplease\",\"a; b\",\"\",No,No,No\r\n",
         "\"q.jpg\",\"2026-12-10\",\"Say \"\"cheese\"\", twice\r\nplease\",\"\",\"\",\"A "
         "\"\"big\"\" day\",\"a; b\"\r\n"},
        {"Adobe names compared without case; only the second Shutterstock category",
         {p + "/l.jpg", "", "", "", "landscape", "", "Nature"},
         "\"l.jpg\",\"\",\"\",11,\r\n",
         "\"l.jpg\",\"\",\"\",\"Nature\",No,No,No\r\n",
         "\"l.jpg\",\"2026-12-10\",\"\",\"\",\"\",\"\",\"\"\r\n"},
        {"an Adobe name not in the list; only the first Shutterstock category",
         {p + "/u.jpg", "", "", "", "Vehicles", "Arts", ""},
         "\"u.jpg\",\"\",\"\",,\r\n",
         "\"u.jpg\",\"\",\"\",\"Arts\",No,No,No\r\n",
         "\"u.jpg\",\"2026-12-10\",\"\",\"\",\"\",\"\",\"\"\r\n"},
        {"Getty in Windows-1252 with '?' for what it cannot hold",
         {p + "/e.jpg", QStringLiteral("Ω"), QStringLiteral("Café au lait Ω"), "", "", "", ""},
         "\"e.jpg\",\"Caf\xC3\xA9 au lait \xCE\xA9\",\"\",,\r\n",
         "\"e.jpg\",\"Caf\xC3\xA9 au lait \xCE\xA9\",\"\",\"\",No,No,No\r\n",
         "\"e.jpg\",\"2026-12-10\",\"Caf\xE9 au lait ?\",\"\",\"\",\"?\",\"\"\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto lines = linesFor(c.row);
        EXPECT_EQ(lines[0], c.adobe);
        EXPECT_EQ(lines[1], c.shutter);
        EXPECT_EQ(lines[2], c.getty);
    }
}

TEST_F(CsvFiles, NamesAddedToTheAdobeBoxAreNumberedOnFrom22) {
    const QStringList adobe = categories::adobe() + QStringList{"Vehicles", "Night Life"};
    BatchRow row = beach();
    row.adobeCategory = "night life";
    EXPECT_TRUE(linesFor(row, adobe)[0].endsWith(",23,\r\n"));
}

TEST_F(CsvFiles, EveryRowGoesToTheFirstRowsFolderAndARunReplacesTheFiles) {
    BatchRow other = beach();
    other.fileName = dir.filePath("Elsewhere/deep/forest.jpg");
    other.adobeCategory = "Plants and Flowers";
    ASSERT_TRUE(csvfiles::writeCsvFiles({beach(), other, beach()}, categories::adobe(), kDay));
    EXPECT_FALSE(QDir(dir.filePath("Elsewhere/deep/CSV")).exists());
    EXPECT_EQ(readOrNone(csv("AdobeCSV.csv")).count("\r\n"), 4);
    EXPECT_TRUE(
        readOrNone(csv("AdobeCSV.csv")).contains("\r\n\"forest.jpg\",\"Sunset over the sea\""));

    ASSERT_TRUE(csvfiles::writeCsvFiles({other}, categories::adobe(), QDate(2027, 1, 2)));
    for (const char* name : {"AdobeCSV.csv", "ShutterCSV.csv", "GettyCSV.csv"})
        EXPECT_EQ(readOrNone(dir.filePath("Elsewhere/deep/CSV/") + name).count("\r\n"), 2) << name;
    EXPECT_TRUE(
        readOrNone(dir.filePath("Elsewhere/deep/CSV/GettyCSV.csv")).contains("\"2027-01-02\""));
    // The earlier run's files are still those of the earlier run.
    EXPECT_EQ(readOrNone(csv("GettyCSV.csv")).count("\"2026-12-10\""), 3);
}

// A folder of pictures received from elsewhere may hold links in the files' places: each is
// replaced by the file, and the files they lead to stay as they were.
TEST_F(CsvFiles, LinksInTheFilesPlacesAreReplacedNotFollowed) {
    ASSERT_TRUE(QDir().mkpath(photos() + "/CSV"));
    const QString victim = dir.filePath("victim.txt");
    writeFile(victim, "the user's own");
    for (const char* name : {"AdobeCSV.csv", "ShutterCSV.csv", "GettyCSV.csv"})
        ASSERT_TRUE(QFile::link(victim, csv(name)));
    ASSERT_TRUE(csvfiles::writeCsvFiles({beach()}, categories::adobe(), kDay));
    EXPECT_EQ(readOrNone(victim), "the user's own");
    for (const char* name : {"AdobeCSV.csv", "ShutterCSV.csv", "GettyCSV.csv"}) {
        EXPECT_FALSE(QFileInfo(csv(name)).isSymLink()) << name;
        EXPECT_EQ(readOrNone(csv(name)).count("\r\n"), 2) << name;
    }
}

TEST_F(CsvFiles, AFirstRowWithoutAFileNameWritesIntoTheCurrentFolder) {
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    BatchRow row = beach();
    row.fileName.clear();
    bool written = false;
    try {
        written = csvfiles::writeCsvFiles({row, beach()}, categories::adobe(), kDay);
    } catch (...) {
    }
    QDir::setCurrent(before);
    ASSERT_TRUE(written);
    EXPECT_TRUE(readOrNone(dir.filePath("CSV/AdobeCSV.csv"))
                    .contains(kAdobeHeader + "\"\",\"Sunset over the sea\""));
}

TEST_F(CsvFiles, NoRowsWriteNothing) {
    EXPECT_FALSE(csvfiles::writeCsvFiles({}, categories::adobe(), kDay));
    EXPECT_FALSE(QDir(photos()).exists());
}

TEST_F(CsvFiles, AFileThatCannotBeWrittenStopsTheRunAndKeepsTheFilesBeforeIt) {
    // A folder where the Shutterstock file should be: Adobe is written, Getty is not.
    ASSERT_TRUE(QDir().mkpath(csv("ShutterCSV.csv")));
    try {
        csvfiles::writeCsvFiles({beach()}, categories::adobe(), kDay);
        ADD_FAILURE() << "no error";
    } catch (const errors::Error& e) {
        EXPECT_TRUE(e.message().contains("ShutterCSV.csv")) << e.message().toStdString();
    }
    EXPECT_TRUE(readOrNone(csv("AdobeCSV.csv")).startsWith(kBom + kAdobeHeader));
    EXPECT_FALSE(QFile::exists(csv("GettyCSV.csv")));
    EXPECT_EQ(QDir(photos() + "/CSV").entryList(QDir::Files | QDir::Hidden),
              QStringList{"AdobeCSV.csv"});

    // A file where the "CSV" folder should be: not even the first file is written.
    QFile blocker(dir.filePath("Blocked/CSV"));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    BatchRow row = beach();
    row.fileName = dir.filePath("Blocked/x.jpg");
    EXPECT_THROW(csvfiles::writeCsvFiles({row}, categories::adobe(), kDay), errors::Error);
}

// Python's csv module reads each file into the columns of its header.
TEST_F(CsvFiles, ACsvReaderFindsTheHeadersColumnsInEveryRow) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) GTEST_SKIP() << "python3 is not installed";
    BatchRow tricky = {photos() + "/x, \"y\".jpg",
                       "Ti,tle",
                       "Line one\r\nline \"two\", end",
                       "a, b, c",
                       "people",
                       "Arts",
                       "Food and Drink"};
    ASSERT_TRUE(csvfiles::writeCsvFiles(
        {beach(), tricky, BatchRow{.fileName = photos() + "/raw.jpg"}}, categories::adobe(), kDay));
    const char* script = R"(
import csv, json, sys
out = []
for name, enc in (("AdobeCSV.csv", "utf-8-sig"), ("ShutterCSV.csv", "utf-8-sig"),
                  ("GettyCSV.csv", "cp1252")):
    with open(sys.argv[1] + "/" + name, newline="", encoding=enc) as f:
        out.append(list(csv.reader(f)))
print(json.dumps(out))
)";
    QProcess process;
    process.start(python, {"-c", script, photos() + "/CSV"});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QJsonArray files = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    ASSERT_EQ(files.size(), 3);
    // Each file as rows of header name -> field; every row has exactly the header's fields.
    std::vector<std::vector<QHash<QString, QString>>> parsed;
    for (const auto& file : files) {
        const QJsonArray rows = file.toArray();
        ASSERT_EQ(rows.size(), 4);
        const QJsonArray header = rows[0].toArray();
        auto& out = parsed.emplace_back();
        for (qsizetype r = 1; r < rows.size(); ++r) {
            const QJsonArray fields = rows[r].toArray();
            EXPECT_EQ(fields.size(), header.size()) << "row " << r;
            auto& row = out.emplace_back();
            for (qsizetype i = 0; i < std::min(fields.size(), header.size()); ++i)
                row[header[i].toString()] = fields[i].toString();
        }
    }
    const auto &adobe = parsed[0], &shutter = parsed[1], &getty = parsed[2];
    EXPECT_EQ(adobe[1].value("Filename"), "x, \"y\".jpg");
    EXPECT_EQ(adobe[1].value("Title"), "Line one\r\nline \"two\", end");
    EXPECT_EQ(adobe[1].value("Keywords"), "a, b, c");
    EXPECT_EQ(adobe[1].value("Category"), "13");
    EXPECT_EQ(adobe[1].value("Releases"), "");
    EXPECT_EQ(shutter[1].value("Categories"), "Arts,Food and Drink");
    EXPECT_EQ(shutter[1].value("Editorial"), "No");
    EXPECT_EQ(shutter[2].value("Mature Content"), "No");
    EXPECT_EQ(getty[0].value("created date"), "2026-12-10");
    EXPECT_EQ(getty[1].value("title"), "Ti,tle");
    EXPECT_EQ(getty[1].value("keywords"), "a, b, c");
    EXPECT_EQ(getty[2].value("brief code"), "");
}

}  // namespace
