// "Export to RTF" on the Create card and "Export Record" in the grid popup: guards, the
// "Keywords" folder, the save dialog, the file as written, and the failures it reports.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "app/form1.h"
#include "platform/rtf/rtf.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "records/createcard.h"
#include "records/main_state.h"
#include "records/searchcard.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_fixture.h"
#include "tests/support/small_tmpfs.h"

namespace {

const QString kSaveError = QStringLiteral("An error occurred while saving the file: ");

QByteArray summaryRtf(const QString& text) {
    QTextDocument document;
    document.setPlainText(text);
    return rtf::write(document);
}

QString colourName(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ? QStringLiteral("-") : brush.color().name();
}

// The text and background colour of every character, one "text/background" entry per run
// of equal colours with its length; paragraphs are separated by '|'.
QStringList colours(const QTextDocument& document) {
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) out << "|";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QString entry =
                colourName(format.foreground()) + '/' + colourName(format.background());
            const int length = it.fragment().length();
            if (!out.isEmpty() && out.last().startsWith(entry + ' ')) {
                out.last() =
                    entry + ' ' + QString::number(out.last().section(' ', 1).toInt() + length);
            } else {
                out << entry + ' ' + QString::number(length);
            }
        }
    }
    return out;
}

// What a reader of the exported file sees.
QTextDocument* opened(const QString& path, QObject* parent) {
    auto* document = new QTextDocument(parent);
    rtf::read(readAll(path), document);
    return document;
}

bool everyLineEndsInCrLf(const QByteArray& bytes) {
    if (!bytes.endsWith("\r\n")) return false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
    }
    return true;
}

class Export : public ProgramFixture {
protected:
    void start(const std::vector<TestRecord>& records = {}) {
        makeDatabase("DB/KeywordsDB.db", records);
        startProgram();
        Form1->showCreateCard();
        dialogs.clear();
    }

    void exportSummary(const QString& answer) {
        dialogs.saveAnswers.push_back(answer);
        QTest::mouseClick(control<QPushButton>("ExportBtn"), Qt::LeftButton);
    }
    void exportRecord(const QString& answer) {
        dialogs.saveAnswers.push_back(answer);
        Form1->SearchCard->ExportRecord->trigger();
    }
    static TcxRichEdit* summary() { return Form1->cxRichEdit2; }
    // An export into the "Keywords" folder.
    QString target(const QString& name = QStringLiteral("summary.rtf")) const {
        return path("Keywords/" + name);
    }
};

TEST_F(Export, GuardsRefuseAnEmptySummaryAndAnEmptyResult) {
    start();
    QTest::mouseClick(control<QPushButton>("ExportBtn"), Qt::LeftButton);
    Form1->SearchCard->ExportRecordClick();
    EXPECT_EQ(dialogs.texts("message"),
              QStringList({"No Batch summary data for export!", "No records for export!"}));
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("message"));
    EXPECT_TRUE(dialogs.texts("save").isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("Keywords")));

    EXPECT_EQ(control<QPushButton>("ExportBtn")->text(), "Export to RTF");
    EXPECT_EQ(control<QPushButton>("ExportBtn")->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(Form1->SearchCard->ExportRecord->text(), "Export Record");
}

TEST_F(Export, DialogStartsInTheKeywordsFolderMadeWhenMissingAndCancelWritesNothing) {
    start();
    summary()->setPlainText("text");
    exportSummary({});
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const dialogs::FileRequest& request = dialogs.shown[0].request;
    EXPECT_EQ(request.filter, "RTF File|*.rtf");
    EXPECT_EQ(request.defaultSuffix, "rtf");
    EXPECT_EQ(QDir(request.initialDir), QDir(path("Keywords")));
    EXPECT_FALSE(request.overwritePrompt);
    EXPECT_TRUE(QFileInfo(path("Keywords")).isDir());
    EXPECT_TRUE(QDir(path("Keywords")).isEmpty());
    EXPECT_EQ(dialogs.shown[0].kind, "save");  // nothing else was shown

    // A "Keywords" that cannot be made as a folder is not reported either.
    ASSERT_TRUE(QDir(path("Keywords")).removeRecursively());
    QFile file(path("Keywords"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    dialogs.clear();
    exportSummary(path("elsewhere.rtf"));
    EXPECT_EQ(dialogs.texts("save").size(), 1);
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    EXPECT_TRUE(readAll(path("elsewhere.rtf")).startsWith("{\\rtf1"));
}

TEST_F(Export, SummaryOpensWithTheColoursAndMarksOfTheScreen) {
    start();
    Form1->state().setAnnotationFontColor(255);  // red
    Form1->state().setAnnotationFontStyle("Bold");
    Form1->state().setAnnotationFontSize(10);
    Form1->CreateCard->cxTextEdit1->setText("Sunset");
    Form1->CreateCard->cxMemo1->setPlainText("Golden sun over the sea");
    Form1->CreateCard->cxRichEdit1->setPlainText("sun, sea");
    QTest::mouseClick(control<QPushButton>("AddBtn"), Qt::LeftButton);
    // The description in the annotation style, then every "sun" marked in yellow.
    QTextCursor description(summary()->document()->findBlockByNumber(2));
    description.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    summary()->setTextCursor(description);
    QTest::mouseClick(control<QToolButton>("StyleBtn"), Qt::LeftButton);
    control<TcxTextEdit>("SearchEdit2")->setText("sun");
    QTest::keyClick(control<TcxTextEdit>("SearchEdit2"), Qt::Key_Return);
    const QStringList onScreen = colours(*summary()->document());
    ASSERT_TRUE(onScreen.join(' ').contains("#ff0000/#ffff00")) << onScreen.join(' ').toStdString();
    ASSERT_TRUE(onScreen.join(' ').contains("-/#ffff00"));

    exportSummary(target());
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    const QByteArray bytes = readAll(target());
    EXPECT_TRUE(everyLineEndsInCrLf(bytes));
    EXPECT_TRUE(bytes.contains("\\highlight01")) << bytes.constData();
    QTextDocument* reader = opened(target(), Form1);
    EXPECT_EQ(reader->toPlainText(), summary()->toPlainText());
    EXPECT_EQ(colours(*reader), onScreen);
}

TEST_F(Export, RecordExportCarriesTheMarksTheRecordViewShows) {
    start({{"Nature", "Beach", "sand", summaryRtf("Sunny beach\nbeach sand")},
           {"Nature", "Lake", "water", summaryRtf("Calm lake")}});
    Form1->showSearchCard();
    auto* view = control<TcxDBRichEdit>("cxDBRichEdit1");
    control<TcxTextEdit>("cxTextEdit7")->setText("beach");
    QTest::keyClick(control<TcxTextEdit>("cxTextEdit7"), Qt::Key_Return);
    const QStringList onScreen = colours(*view->document());
    ASSERT_EQ(view->toPlainText(), "Sunny beach\nbeach sand");
    ASSERT_TRUE(onScreen.join(' ').contains("/#ffff00 5")) << onScreen.join(' ').toStdString();

    exportRecord(target("marked.rtf"));
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    EXPECT_TRUE(everyLineEndsInCrLf(readAll(target("marked.rtf"))));
    QTextDocument* marked = opened(target("marked.rtf"), Form1);
    EXPECT_EQ(marked->toPlainText(), view->toPlainText());
    EXPECT_EQ(colours(*marked), onScreen);

    // After a change of record the stored summary goes out without marks.
    control<QPushButton>("SelectAllBtn")->click();
    auto* grid = control<QTableView>("cxGrid1");
    grid->setCurrentIndex(grid->model()->index(1, 1));
    ASSERT_EQ(view->toPlainText(), "Calm lake");
    exportRecord(target("plain.rtf"));
    QTextDocument* plain = opened(target("plain.rtf"), Form1);
    EXPECT_EQ(plain->toPlainText(), "Calm lake");
    EXPECT_FALSE(colours(*plain).join(' ').contains("#ffff00"));
}

TEST_F(Export, ASummaryOfALineBreakOrBlanksExportsAndASecondExportReplacesTheFile) {
    start();
    for (const QString& text :
         {QStringLiteral("\n"), QStringLiteral("   "), QStringLiteral("new")}) {
        SCOPED_TRACE(text.toStdString());
        summary()->setPlainText(text);
        exportSummary(target());
        EXPECT_TRUE(dialogs.texts("message").isEmpty());
        EXPECT_TRUE(everyLineEndsInCrLf(readAll(target())));
        EXPECT_EQ(opened(target(), Form1)->toPlainText(), text);
    }
    // Replaced whole, nothing left beside it.
    EXPECT_EQ(QDir(path("Keywords")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"summary.rtf"});
}

TEST_F(Export, AFileThatCannotBeWrittenIsReportedAndTheOldOneKept) {
    start({{"Nature", "Beach", "sand", summaryRtf("Sunny beach")}});
    summary()->setPlainText("batch");

    // The chosen folder is a file.
    QDir().mkpath(path("Keywords"));
    QFile blocker(path("Keywords/blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    exportSummary(path("Keywords/blocker/summary.rtf"));
    Form1->showSearchCard();
    exportRecord(path("Keywords/blocker/record.rtf"));
    const QStringList messages = dialogs.texts("message");
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(dialogs.centredOnScreen(), messages);
    for (const QString& message : messages) {
        EXPECT_TRUE(
            message.startsWith(kSaveError + "Unable to write to " + path("Keywords/blocker/")))
            << message.toStdString();
        EXPECT_TRUE(message.endsWith("Not a directory")) << message.toStdString();
    }

    // A full disk: the file there before stays whole.
    SmallTmpfs disk;
    if (!disk.mounted()) GTEST_SKIP() << "no small tmpfs: " << disk.why().toStdString();
    const QString file = disk.path() + "/summary.rtf";
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old export");
    old.close();
    disk.fill();
    dialogs.clear();
    Form1->showCreateCard();
    summary()->setPlainText(QString(4096, 'x'));
    exportSummary(file);
    ASSERT_EQ(dialogs.texts("message").size(), 1);
    EXPECT_TRUE(dialogs.texts("message")[0].startsWith(kSaveError + "Unable to write to "))
        << dialogs.texts("message")[0].toStdString();
    EXPECT_EQ(readAll(file), "old export");
    disk.removeFiller();
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"summary.rtf"});
}

}  // namespace
