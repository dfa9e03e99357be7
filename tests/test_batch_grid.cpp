#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "platform/image/decode_error.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "tagging/categories.h"
#include "tagging/thumbnail_pool.h"
#include "tagging/upload_image.h"
#include "tests/support/batch_grid_fixture.h"
#include "tests/support/file_bytes.h"

namespace {

// "Section/Key=value" lines of a settings text.
bool storesLine(const QString& ini, const QString& section, const QString& line) {
    const qsizetype at = ini.indexOf('[' + section + ']');
    return at >= 0 && ini.indexOf(line + "\r\n", at) > at;
}

class BatchGrid : public BatchGridTest {
protected:
    // Three rows, each for a picture file of its own.
    QStringList threeRows() {
        const QStringList files{picture("photos/one.jpg", {60, 40}),
                                picture("photos/two.jpg", {60, 40}),
                                picture("photos/three.jpg", {60, 40})};
        openImages(files);
        EXPECT_EQ(rows().rowCount(), 3);
        return files;
    }

    // Opens the grid menu as a right click on the first row does; returns whether it opened.
    bool openGridMenu() {
        QWidget* viewport = w->cxTableView1->viewport();
        const QPoint at(30, 30);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
        const bool open = w->PopupMenu1->isVisible();
        w->PopupMenu1->hide();
        return open;
    }
};

TEST_F(BatchGrid, TheGridHasEightColumnsRowsOf80PixelsAndNoSorting) {
    const struct {
        Col column;
        const char* caption;
        int width;
        bool editable;
    } columns[] = {{Col::colImage, "Image", 64, false},
                   {Col::colTitle, "Title", 200, false},
                   {Col::colDescription, "Description", 250, false},
                   {Col::colKeywords, "Keywords", 300, false},
                   {Col::colAdobeCat, "Adobe Category", 120, true},
                   {Col::colShutter1, "Shutter Category 1", 120, true},
                   {Col::colShutter2, "Shutter Category 2", 120, true},
                   {Col::colFileName, "", 400, false}};
    threeRows();
    TcxGridTableView* grid = w->cxTableView1;
    ASSERT_EQ(rows().columnCount(), 8);
    for (const auto& c : columns) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(rows().headerData(c.column, Qt::Horizontal).toString(), c.caption);
        const bool hidden = c.column == Col::colFileName;
        EXPECT_EQ(grid->isColumnHidden(c.column), hidden);
        grid->setColumnHidden(c.column, false);
        EXPECT_EQ(grid->columnWidth(c.column), c.width);
        grid->setColumnHidden(c.column, hidden);
        EXPECT_EQ(bool(rows().flags(rows().index(0, c.column)) & Qt::ItemIsEditable), c.editable);
    }
    EXPECT_EQ(grid->rowHeight(0), 80);
    EXPECT_EQ(grid->verticalHeader()->width(), 20);
    EXPECT_TRUE(grid->verticalHeader()->isVisible());
    EXPECT_TRUE(rows().headerData(0, Qt::Vertical).toString().isEmpty());
    EXPECT_FALSE(grid->isSortingEnabled());
    EXPECT_FALSE(grid->horizontalHeader()->sectionsClickable());
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(grid->editTriggers() & QAbstractItemView::DoubleClicked);

    // Dragging the image column's edge stops at 64 pixels; the width goes to the settings.
    QHeaderView* header = grid->horizontalHeader();
    header->resizeSection(Col::colImage, 90);
    const int edge = header->sectionViewportPosition(Col::colImage) + 89;
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QMouseEvent drag(QEvent::MouseMove, QPointF(edge - 60, y),
                     header->viewport()->mapToGlobal(QPointF(edge - 60, y)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &drag);
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge - 60, y));
    EXPECT_EQ(grid->columnWidth(Col::colImage), 64);
    header->resizeSection(Col::colImage, 77);
    w->close();
    EXPECT_TRUE(storesLine(readSettings(), "AISettings", "ImageColumnWidth=77"));

    // A stored width below 64 is shown as 64; the rows outlive the hidden window.
    writeSettings("[AISettings]\r\nImageColumnWidth=20\r\n");
    showTagger();
    EXPECT_EQ(grid->columnWidth(Col::colImage), 64);
    EXPECT_EQ(rows().rowCount(), 3);
}

TEST_F(BatchGrid, OpenImagesAddsOneRowPerFileWithAThumbnailMadeOnce) {
    const QString wide = picture("photos/wide.jpg", {4000, 3000});
    const QString tall = picture("photos/tall.jpg", {3000, 4000});
    const QString small = picture("photos/small.png", {100, 50});

    // The status line as the user sees it between two files.
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QString now = w->dxStatusBar1->panelText(0);
        if (seen.isEmpty() || seen.last() != now) seen << now;
    });
    watch.start(0);
    openImages({wide, tall, small});
    watch.stop();

    ASSERT_EQ(dialogs.shown.size(), 1u);
    const dialogs::FileRequest& request = dialogs.shown[0].request;
    EXPECT_EQ(dialogs.shown[0].kind, "open");
    EXPECT_EQ(request.title, "Choose images");
    EXPECT_TRUE(request.multiSelect);
    for (const char* pattern : {"*.jpg", "*.jpeg", "*.png", "*.bmp", "*.tif"})
        EXPECT_TRUE(request.filter.contains(QLatin1String(pattern))) << pattern;
    EXPECT_EQ(seen,
              QStringList({"Adding images in process (1 of 3)", "Adding images in process (2 of 3)",
                           "Adding images in process (3 of 3)"}));
    EXPECT_EQ(w->dxStatusBar1->panelText(0), "Ready ...");

    ASSERT_EQ(rows().rowCount(), 3);
    const QSize sizes[] = {{128, 96}, {96, 128}, {100, 50}};
    const QString files[] = {wide, tall, small};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(rows().thumbnail(row).size(), sizes[row]);
        EXPECT_EQ(text(row, Col::colFileName), files[row]);
        // The texts were never written.
        EXPECT_FALSE(rows().cell(row, Col::colTitle).has_value());
        EXPECT_TRUE(rows().lacksKeywords(row));
    }
    // The picture is kept in the row: the grid paints without the file.
    QFile::remove(wide);
    EXPECT_EQ(
        rows().data(rows().index(0, Col::colImage), Qt::DecorationRole).value<QPixmap>().size(),
        QSize(128, 96));

    // The same file again gives another row; a cancelled dialog adds nothing.
    openImages({small, small});
    EXPECT_EQ(rows().rowCount(), 5);
    EXPECT_EQ(text(4, Col::colFileName), small);
    w->dxStatusBar1->setPanelText(0, "unchanged");
    openImages({});
    EXPECT_EQ(rows().rowCount(), 5);
    EXPECT_EQ(w->dxStatusBar1->panelText(0), "unchanged");
}

TEST_F(BatchGrid, AFileThatCannotBeDecodedKeepsItsEmptyRowAndStopsTheAdding) {
    const QString good = picture("photos/good.jpg", {40, 30});
    const QString bad = path("photos/notes.jpg");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();

    openImages({good, bad, good});
    EXPECT_EQ(dialogs.texts("error").size(), 1u);
    ASSERT_EQ(rows().rowCount(), 2);
    EXPECT_TRUE(rows().thumbnail(1).isNull());
    EXPECT_FALSE(rows().cell(1, Col::colFileName).has_value());
    EXPECT_EQ(w->dxStatusBar1->panelText(0), "Adding images in process (1 of 3)");
}

// Rows arrive while the window's events run: "Clear List", closing the window and a second
// "Open Images" all meet an adding under way.
TEST_F(BatchGrid, WhileRowsArriveClearListAndClosingStopTheAddingAndASecondOpenIsRefused) {
    QStringList files;
    for (int i = 0; i < 40; ++i)
        files << picture(QStringLiteral("photos/p%1.jpg").arg(i), {1600, 1200},
                         QColor::fromHsv(i * 9, 200, 200));
    // Runs action once, from inside the adding's event processing, when two rows stand.
    const auto atSecondRow = [&](std::function<void()> action) {
        auto* timer = new QTimer(w);
        timer->setInterval(1);
        QObject::connect(timer, &QTimer::timeout, w, [timer, action] {
            if (rows().rowCount() < 2) return;
            timer->stop();
            timer->deleteLater();
            action();
        });
        timer->start();
    };
    const int workersBefore = tagging::ThumbnailPool::liveWorkerThreads();

    // "Clear List": no row appears afterwards.
    atSecondRow([&] {
        dialogs.answers.push_back(dialogs::Answer::Yes);
        QTest::mouseClick(w->btnClearList, Qt::LeftButton);
    });
    openImages(files);
    EXPECT_EQ(rows().rowCount(), 0);
    EXPECT_EQ(w->dxStatusBar1->panelText(0), "Ready ...");
    EXPECT_EQ(tagging::ThumbnailPool::liveWorkerThreads(), workersBefore);

    // A second "Open Images" while rows arrive opens no dialog; the first adding goes on.
    dialogs.clear();
    atSecondRow([&] { QTest::mouseClick(w->btnLoadImages, Qt::LeftButton); });
    openImages(files.mid(0, 6));
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(rows().rowCount(), 6);
    rows().clear();

    // Closing the window: the rows that stood stay, no further one comes.
    int standing = -1;
    atSecondRow([&] {
        standing = rows().rowCount();
        closeTagger();
    });
    openImages(files);
    EXPECT_EQ(rows().rowCount(), standing);
    EXPECT_LT(standing, files.size());
    EXPECT_EQ(tagging::ThumbnailPool::liveWorkerThreads(), workersBefore);
}

TEST_F(BatchGrid, EnterReviewsARowAndUpdateWritesTheFirstRowOfThatFileName) {
    const QString photo = picture("a/photo.jpg", {80, 60});
    const QString namesake = picture("b/photo.jpg", {80, 60}, Qt::red);
    openImages({photo, photo, namesake});
    rows().writeTags(0, {{}, "First", "d0", "k0", "Animals", "Arts", "Abstract"}, true);
    rows().writeTags(1, {{}, "Second", "d1", "sea, sun", "Travel", "Nature", "Nature"}, true);
    rows().writeTags(2, {{}, "Third", "d2", "k2", "Nightlife", "nature", ""}, true);

    review(1);
    EXPECT_FALSE(TaggerProbe::session().batchProcessing());
    EXPECT_EQ(w->edtTitle->text(), "Second");
    EXPECT_EQ(w->memDescription->toPlainText(), "d1");
    EXPECT_EQ(w->memKeywords->toPlainText(), "sea, sun");
    EXPECT_EQ(w->Label9->text(), "2");
    EXPECT_EQ(w->AdobeCategory->currentText(), "Travel");
    // Both Shutterstock boxes show the row's names, the same one included.
    EXPECT_EQ(w->ShutterCategory1->currentText(), "Nature");
    EXPECT_EQ(w->ShutterCategory2->currentText(), "Nature");
    EXPECT_EQ(w->lblFileName->text(), "photo.jpg");
    EXPECT_FALSE(w->cxImage1->picture().isNull());
    EXPECT_TRUE(QFile::exists(tagging::uploadImagePath()));

    // "Update Batch File" writes into the first row of that file name, not the reviewed one.
    w->edtTitle->setText("Edited");
    w->AdobeCategory->setCurrentIndex(w->AdobeCategory->findText("Sports"));
    QTest::mouseClick(w->btnUpdateGirdRow, Qt::LeftButton);
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    EXPECT_EQ(w->cxTableView1->currentIndex().row(), 0);
    EXPECT_EQ(text(0, Col::colTitle), "Edited");
    EXPECT_EQ(text(0, Col::colKeywords), "sea, sun");
    EXPECT_EQ(text(0, Col::colAdobeCat), "Sports");
    EXPECT_EQ(text(0, Col::colShutter2), "Nature");
    EXPECT_EQ(text(1, Col::colTitle), "Second");

    // The Getty mode leaves the category cells alone.
    w->AgencyCombo->setCurrentIndex(1);
    w->AdobeCategory->setCurrentIndex(0);
    w->edtTitle->setText("Getty");
    QTest::mouseClick(w->btnUpdateGirdRow, Qt::LeftButton);
    EXPECT_EQ(text(0, Col::colTitle), "Getty");
    EXPECT_EQ(text(0, Col::colAdobeCat), "Sports");
    w->AgencyCombo->setCurrentIndex(0);

    // Names the boxes do not list survive a review and its write-back.
    review(2);
    EXPECT_EQ(w->AdobeCategory->currentText(), "Nightlife");
    EXPECT_EQ(w->AdobeCategory->count(), 21);
    EXPECT_EQ(w->ShutterCategory1->currentText(), "Nature");
    EXPECT_EQ(w->ShutterCategory2->currentIndex(), -1);
    QTest::mouseClick(w->btnUpdateGirdRow, Qt::LeftButton);  // the first "photo.jpg" again
    EXPECT_EQ(text(0, Col::colTitle), "Third");
    EXPECT_EQ(text(0, Col::colAdobeCat), "Nightlife");
    EXPECT_EQ(text(0, Col::colShutter2), "");

    // A review while a batch runs leaves the batch running.
    TaggerProbe::session().setBatchProcessing(true);
    review(1);
    EXPECT_TRUE(TaggerProbe::session().batchProcessing());
    TaggerProbe::session().setBatchProcessing(false);
}

TEST_F(BatchGrid, AReviewedNameNoItemHoldsIsShownButNeverJoinsTheLists) {
    openImages({picture("photos/club.jpg", {60, 40})});
    rows().writeTags(
        0, {{}, "Club", "A night club", "club, night", "Nightlife", "nature", "Clubbing"}, true);

    review(0);
    EXPECT_EQ(w->AdobeCategory->currentText(), "Nightlife");
    EXPECT_EQ(w->AdobeCategory->currentIndex(), -1);
    EXPECT_EQ(w->ShutterCategory1->currentText(), "Nature");  // the listed item, in its spelling
    EXPECT_EQ(w->ShutterCategory2->currentText(), "Clubbing");
    EXPECT_EQ(itemsOf(w->AdobeCategory), categories::adobe());
    EXPECT_EQ(itemsOf(w->ShutterCategory1), categories::shutterstock());
    EXPECT_EQ(itemsOf(w->ShutterCategory2), categories::shutterstock());
    // The next prompt offers the agencies' own categories only.
    const QString prompt = TaggerProbe::prompt();
    EXPECT_TRUE(prompt.contains("Transport, Travel\r\n")) << prompt.toStdString();
    EXPECT_FALSE(prompt.contains("Nightlife"));
    EXPECT_FALSE(prompt.contains("Clubbing"));

    // Written back, the row keeps its names; Adobe's upload file gets no number for one it
    // does not list.
    QTest::mouseClick(w->btnUpdateGirdRow, Qt::LeftButton);
    EXPECT_EQ(text(0, Col::colAdobeCat), "Nightlife");
    EXPECT_EQ(text(0, Col::colShutter2), "Clubbing");
    QTest::mouseClick(w->btnCreateCSV, Qt::LeftButton);
    EXPECT_EQ(readOrNone(path("photos/CSV/AdobeCSV.csv")),
              "\xEF\xBB\xBF"
              "Filename,Title,Keywords,Category,Releases\r\n"
              "\"club.jpg\",\"A night club\",\"club, night\",,\r\n");

    // The summary gets the names the boxes show; clearing the fields empties the boxes.
    QTest::mouseClick(w->AddBtn, Qt::LeftButton);
    const QString summary = Form1->cxRichEdit2->toPlainText();
    EXPECT_TRUE(summary.contains("Adobe Category: Nightlife")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Shutterstock Secondary: Clubbing"));
    for (QComboBox* box : {w->AdobeCategory, w->ShutterCategory1, w->ShutterCategory2})
        EXPECT_EQ(box->currentText(), "") << box->objectName().toStdString();

    // The user only picks: a letter moves to the next item it begins, Enter adds nothing.
    QTest::keyClicks(w->AdobeCategory, "TT");
    EXPECT_EQ(w->AdobeCategory->currentText(), "Technology");
    QTest::keyClick(w->AdobeCategory, Qt::Key_Return);
    EXPECT_EQ(itemsOf(w->AdobeCategory), categories::adobe());
}

TEST_F(BatchGrid, AReviewedRowWithoutItsFileIsNeverWrittenIntoAnother) {
    const QString kept = picture("photos/kept.jpg", {80, 60});
    const QString gone = picture("photos/gone.jpg", {80, 60});
    openImages({kept, gone});
    rows().writeTags(1, {{}, "Gone", "d", "k", "", "", ""}, true);
    review(0);
    ASSERT_EQ(w->lblFileName->text(), "kept.jpg");

    QFile::remove(gone);
    review(1);
    EXPECT_EQ(w->edtTitle->text(), "Gone");
    EXPECT_TRUE(w->cxImage1->picture().isNull());
    EXPECT_TRUE(w->lblFileName->text().isEmpty());
    w->edtTitle->setText("must not land anywhere");
    QTest::mouseClick(w->btnUpdateGirdRow, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("message"),
              QStringList{"Edited image does not exist in the batch list!"});
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("message"));
    EXPECT_FALSE(rows().cell(0, Col::colTitle).has_value());
    EXPECT_EQ(text(1, Col::colTitle), "Gone");

    // Nor an empty row that the Insert key added.
    w->cxTableView1->focusRow(0);
    QTest::keyClick(w->cxTableView1, Qt::Key_Insert);
    ASSERT_EQ(rows().rowCount(), 3);
    review(0);
    QTest::mouseClick(w->btnUpdateGirdRow, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("message").size(), 2u);
    EXPECT_FALSE(rows().cell(0, Col::colTitle).has_value());
}

TEST_F(BatchGrid, RowsAreDeletedAtOnceAndClearedAfterAQuestion) {
    w->Deleterowdata1->trigger();
    EXPECT_EQ(dialogs.texts("message"), QStringList{"No selected record in list."});

    const QStringList files = threeRows();
    w->cxTableView1->focusRow(-1);
    w->Deleterowdata1->trigger();
    EXPECT_EQ(dialogs.texts("message").size(), 2u);
    EXPECT_EQ(rows().rowCount(), 3);

    w->cxTableView1->focusRow(1);
    w->Deleterowdata1->trigger();
    EXPECT_EQ(dialogs.shown.size(), 3u);  // the open dialog and the two messages: no question
    ASSERT_EQ(rows().rowCount(), 2);
    EXPECT_EQ(text(1, Col::colFileName), files[2]);
    // The grid's own keys: Delete removes the focused row, Insert adds an empty one there.
    QTest::keyClick(w->cxTableView1, Qt::Key_Delete);
    ASSERT_EQ(rows().rowCount(), 1);
    EXPECT_EQ(text(0, Col::colFileName), files[0]);
    QTest::keyClick(w->cxTableView1, Qt::Key_Insert);
    ASSERT_EQ(rows().rowCount(), 2);
    EXPECT_FALSE(rows().cell(0, Col::colFileName).has_value());
    EXPECT_EQ(w->cxTableView1->currentIndex().row(), 0);

    // Clear tags empties the six texts and keeps images and files.
    rows().writeTags(1, {{}, "t", "d", "k", "Travel", "Nature", "Arts"}, true);
    dialogs.answers = {dialogs::Answer::No, dialogs::Answer::Yes};
    w->Cleartags1->trigger();
    EXPECT_EQ(text(1, Col::colTitle), "t");
    w->Cleartags1->trigger();
    EXPECT_EQ(dialogs.texts("confirm"),
              QStringList(2, "Are you sure you want to clear all metadata tags for this batch?"));
    // "No selected record in list." twice, then the questions.
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("message") + dialogs.texts("confirm"));
    for (Col column : {Col::colTitle, Col::colDescription, Col::colKeywords, Col::colAdobeCat,
                       Col::colShutter1, Col::colShutter2})
        for (int row = 0; row < 2; ++row) EXPECT_EQ(text(row, column), "") << column << ' ' << row;
    EXPECT_TRUE(rows().lacksKeywords(1));
    EXPECT_EQ(text(1, Col::colFileName), files[0]);
    EXPECT_FALSE(rows().thumbnail(1).isNull());

    // Both "Clear list" commands ask their own question; No keeps the rows.
    w->edtTitle->setText("stays");
    dialogs.clear();
    dialogs.answers = {dialogs::Answer::No, dialogs::Answer::Yes};
    w->Clearlist1->trigger();
    EXPECT_EQ(rows().rowCount(), 2);
    w->Clearlist1->trigger();
    EXPECT_EQ(rows().rowCount(), 0);
    threeRows();
    dialogs.answers = {dialogs::Answer::Yes};
    QTest::mouseClick(w->btnClearList, Qt::LeftButton);
    EXPECT_EQ(rows().rowCount(), 0);
    EXPECT_EQ(dialogs.texts("confirm"),
              QStringList({"Are you sure you want to clear ALL images?",
                           "Are you sure you want to clear ALL images?",
                           "Do you really want to delete all rows in batch list?"}));
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("confirm"));
    EXPECT_EQ(w->edtTitle->text(), "stays");
}

TEST_F(BatchGrid, TheMenuAndTheRowKeysWaitWhileARequestIsInFlight) {
    EXPECT_FALSE(openGridMenu());  // an empty grid has no menu
    threeRows();
    w->cxTableView1->focusRow(0);
    ASSERT_TRUE(openGridMenu());
    QStringList items;
    for (const QAction* action : w->PopupMenu1->actions())
        items << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(items, QStringList({"Save row to batch summary", "Save all rows to batch summary",
                                  "-", "Delete selected row", "-", "Clear tags", "Clear list"}));

    // The busy indicator is on: the menu stays shut and Delete and Insert change nothing.
    TaggerProbe::session().setBusy(true);
    EXPECT_FALSE(openGridMenu());
    QTest::keyClick(w->cxTableView1, Qt::Key_Delete);
    QTest::keyClick(w->cxTableView1, Qt::Key_Insert);
    EXPECT_EQ(rows().rowCount(), 3);
    EXPECT_TRUE(dialogs.texts("message").isEmpty());

    TaggerProbe::session().setBusy(false);
    EXPECT_TRUE(openGridMenu());
    QTest::keyClick(w->cxTableView1, Qt::Key_Delete);
    EXPECT_EQ(rows().rowCount(), 2);
}

TEST_F(BatchGrid, TheRowApiWritesOnlyRowsThatStillExist) {
    threeRows();
    BatchGridModel& r = rows();
    const BatchRow tags{"ignored", "Title", "Description", "  \t\r\n", "Landscape", "Nature", ""};
    EXPECT_TRUE(r.writeTags(2, tags, true));
    EXPECT_TRUE(r.lacksKeywords(2));  // only blanks and control characters
    EXPECT_EQ(r.texts(2).fileName, path("photos/three.jpg"));
    EXPECT_EQ(r.texts(2).shutterSecondary, "");
    EXPECT_TRUE(r.cell(2, Col::colShutter2).has_value());
    // Without categories the category cells keep what they hold.
    EXPECT_TRUE(r.writeTags(2, {{}, "T2", "D2", "k", "Travel", "Arts", "Arts"}, false));
    EXPECT_EQ(text(2, Col::colTitle), "T2");
    EXPECT_EQ(text(2, Col::colAdobeCat), "Landscape");
    EXPECT_FALSE(r.lacksKeywords(2));

    r.removeRow(0);
    EXPECT_FALSE(r.writeTags(2, tags, true));
    EXPECT_FALSE(r.hasRow(2));
    EXPECT_EQ(text(1, Col::colTitle), "T2");
    // Never-written cells read as empty texts.
    EXPECT_EQ(r.texts(0).title, "");
    EXPECT_EQ(r.allTexts().size(), 2);
    EXPECT_EQ(r.findFileName("three.jpg"), 1);
    EXPECT_EQ(r.findFileName("Three.jpg"), -1);
    EXPECT_EQ(r.findFileName(""), -1);
}

// What adding files gives: each row's thumbnail and file name, the progress reported, and the
// message of the error that ended the adding.
struct Added {
    QList<QImage> thumbnails;
    QStringList fileNames;
    QList<int> progress;
    QString error;
};

using AddRows = void (*)(BatchGridModel&, const QStringList&, int,
                         const std::function<void(int, int)>&);

Added addWith(AddRows add, const QStringList& files) {
    BatchGridModel model;
    Added added;
    try {
        add(model, files, 128, [&](int done, int count) {
            EXPECT_EQ(count, files.size());
            added.progress << done;
        });
    } catch (const image::DecodeError& e) {
        added.error = e.message();
    }
    for (int row = 0; row < model.rowCount(); ++row) {
        added.thumbnails << model.thumbnail(row).toImage();
        added.fileNames << model.cell(row, BatchGridModel::colFileName).value_or("<none>");
    }
    return added;
}

TEST_F(BatchGrid, AddingOnEveryCoreGivesTheRowsProgressAndErrorOfTheAddingFileByFile) {
    QStringList good;
    for (int i = 0; i < 12; ++i)
        good << picture(QStringLiteral("photos/p%1.jpg").arg(i), {200 + 40 * i, 150},
                        QColor::fromHsv(30 * i, 200, 200));
    // Decoded whole before it is scaled: the files after it are ready long before it.
    const QString slow = picture("photos/slow.png", {2400, 1600});
    const QString bad = path("photos/notes.jpg");
    writeFile(bad, "not a picture");
    const QStringList cases[] = {
        QStringList{slow} + good,
        good.mid(0, 3) + QStringList{bad} + good.mid(3),
        QStringList{path("photos/missing.jpg"), slow},
        QStringList{good[0]},
    };
    for (const QStringList& files : cases) {
        SCOPED_TRACE(files.join(", ").toStdString());
        const Added once = addWith(&addImageRows, files);
        const Added parallel = addWith(&addImageRowsInParallel, files);
        EXPECT_EQ(parallel.fileNames, once.fileNames);
        EXPECT_EQ(parallel.thumbnails, once.thumbnails);
        EXPECT_EQ(parallel.progress, once.progress);
        EXPECT_EQ(parallel.error, once.error);
    }
    // The failures were met: the row of the file stays without its image, the files after it
    // are not added.
    const Added failed = addWith(&addImageRowsInParallel, cases[1]);
    EXPECT_EQ(failed.fileNames, good.mid(0, 3) + QStringList{"<none>"});
    EXPECT_FALSE(failed.error.isEmpty());
    EXPECT_NE(addWith(&addImageRowsInParallel, cases[2]).error, failed.error);
}

}  // namespace
