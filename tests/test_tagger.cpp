#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <clocale>

#include "app/form1.h"
#include "platform/cloudai/cloudai.h"
#include "platform/files/atomic_file.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/gridview.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "records/main_state.h"
#include "tagging/batch_grid_model.h"
#include "tagging/categories.h"
#include "tagging/frmdicteditor.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/tagger_rules.h"
#include "tagging/upload_image.h"
#include "tests/support/tagger_fixture.h"
#include "tests/support/window_checks.h"

namespace {

const QString kNoKey = QStringLiteral(
    "You cannot use AI tagging without an API key\rPlease go to the Setting form and enter your "
    "API key");

// "Section/Key=value" of every setting line, in file order.
QStringList settingLines(const QString& ini) {
    QStringList lines;
    QString section;
    for (const QString& line : ini.split("\r\n", Qt::SkipEmptyParts)) {
        if (line.startsWith('['))
            section = line.mid(1, line.size() - 2);
        else
            lines << section + '/' + line;
    }
    return lines;
}

TEST_F(TaggerTest, FirstShowingWithoutSettingsFileUsesTheDefaultsAndClosingWritesTwelveKeys) {
    TfrmTaggerPro* w = showTagger();
    EXPECT_EQ(w->windowTitle(), "AI Tagger");
    EXPECT_EQ(w->size(), QSize(1049, 855));
    EXPECT_EQ(w->minimumSize(), QSize(1049, 855));
    EXPECT_EQ(w->pos(), QPoint(0, 0));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w->isModal());

    EXPECT_EQ(w->AgencyCombo->currentIndex(), 0);
    EXPECT_EQ(w->AgencyCombo->currentText(), "Standard");
    EXPECT_TRUE(w->AgenticCombo->isChecked());
    EXPECT_TRUE(w->PeopleCheck->isChecked());
    EXPECT_TRUE(w->CategoryCheck->isChecked());
    EXPECT_TRUE(w->CategoryCheck->isEnabled());
    EXPECT_FALSE(w->btnOpenGettyEditor->isEnabled());
    EXPECT_DOUBLE_EQ(w->Temperature->value(), 0.77);
    EXPECT_EQ(w->KeysFrom->value(), 39);
    EXPECT_EQ(w->KeysTo->value(), 42);
    EXPECT_EQ(w->cxTableView1->columnWidth(BatchGridModel::colImage), 64);
    EXPECT_EQ(w->dsampleCombo->currentText(), "1024");
    EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), -1);

    EXPECT_EQ(w->Label7->text(), "80");
    EXPECT_EQ(w->Label12->text(), "200");
    EXPECT_EQ(w->Label9->text(), "0");
    EXPECT_EQ(w->edtTitle->maxLength(), 80);
    EXPECT_EQ(w->memDescription->maxLength(), 200);
    EXPECT_EQ(w->lblAICount->text(), "0");
    EXPECT_EQ(w->dxStatusBar1->panelText(0), "Ready ...");
    EXPECT_EQ(w->focusWidget(), w->edtTitle);
    EXPECT_EQ(dialogs.texts("message"), QStringList{kNoKey});  // the main window has no key
    EXPECT_EQ(dialogs.centredOnScreen(), QStringList{kNoKey});

    // The outer size, frame included, is what the file keeps.
    const QRect outer = w->frameGeometry();
    EXPECT_EQ(outer.topLeft(), QPoint(0, 0));
    closeTagger();
    EXPECT_EQ(frmTaggerPro, w);  // hidden, not destroyed
    EXPECT_EQ(
        settingLines(readSettings()),
        QStringList({"frmAITagger/Width=" + QString::number(outer.width()),
                     "frmAITagger/Height=" + QString::number(outer.height()), "frmAITagger/Left=0",
                     "frmAITagger/Top=0", "AISettings/AgencyIndex=0", "AISettings/AgenticChecked=1",
                     "AISettings/Temperature=0.77", "AISettings/PeopleCheck=1",
                     "AISettings/CategoryCheck=1", "AISettings/KeysFrom=39", "AISettings/KeysTo=42",
                     "AISettings/ImageColumnWidth=64"}));
}

TEST_F(TaggerTest, StoredValuesComeBackUnderADecimalCommaLocale) {
    // The user's locale writes 0,8; the window's creation set '.' for the whole run.
    const std::string oldNumeric = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // where the system has it
    endProgram();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    startProgram();
    EXPECT_EQ(QLocale().decimalPoint(), ".");

    writeSettings(
        "[frmAITagger]\r\nWidth=1200\r\nHeight=900\r\nLeft=30\r\nTop=40\r\n"
        "[AISettings]\r\nCounter=12\r\nGeminiKey=key\r\nAgenticChecked=0\r\nTemperature=0.8\r\n"
        "PeopleCheck=0\r\nImageColumnWidth=90\r\n");
    Form1->state().setAPIKey("key");
    TfrmTaggerPro* w = showTagger();
    EXPECT_DOUBLE_EQ(w->Temperature->value(), 0.8);
    EXPECT_EQ(w->Temperature->text(), "0.80");
    EXPECT_EQ(w->frameGeometry(), QRect(30, 40, 1200, 900));
    EXPECT_FALSE(w->AgenticCombo->isChecked());
    EXPECT_FALSE(w->PeopleCheck->isChecked());
    EXPECT_EQ(w->cxTableView1->columnWidth(BatchGridModel::colImage), 90);
    closeTagger();

    const QStringList lines = settingLines(readSettings());
    EXPECT_TRUE(lines.contains("AISettings/Temperature=0.8")) << lines.join(' ').toStdString();
    // The main window's keys in the shared section stay as they were.
    EXPECT_TRUE(lines.contains("AISettings/Counter=12"));
    EXPECT_TRUE(lines.contains("AISettings/GeminiKey=key"));
    EXPECT_TRUE(lines.contains("frmAITagger/Width=1200"));
    EXPECT_TRUE(lines.contains("AISettings/AgenticChecked=0"));

    // A stored size below the minimum gives the minimum.
    writeSettings("[frmAITagger]\r\nWidth=300\r\nHeight=200\r\n");
    showTagger();
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(10, 10));
    EXPECT_EQ(w->size(), QSize(1049, 855));
    closeTagger();

    std::setlocale(LC_NUMERIC, oldNumeric.c_str());
}

TEST_F(TaggerTest, BoundsAtTheIntegerLimitsAreTakenOntoTheScreen) {
    // Stored numbers at both ends of the integer range: the window comes up whole on its
    // screen, at least its minimum size, and closing stores where it really was.
    const char* const cases[] = {
        "Width=2147483647\r\nHeight=2147483647\r\nLeft=2147483647\r\nTop=2147483647",
        "Width=-2147483648\r\nHeight=-2147483648\r\nLeft=-2147483648\r\nTop=-2147483648",
        "Width=2147483647\r\nHeight=-2147483648\r\nLeft=-2147483648\r\nTop=2147483647",
        "Width=-2147483648\r\nHeight=2147483647\r\nLeft=2147483647\r\nTop=-2147483648",
    };
    for (const char* bounds : cases) {
        SCOPED_TRACE(bounds);
        writeSettings(QStringLiteral("[frmAITagger]\r\n") + bounds + "\r\n");
        TfrmTaggerPro* w = showTagger();
        const QRect screen = w->screen()->availableGeometry();
        const QRect outer = w->frameGeometry();
        EXPECT_TRUE(screen.contains(outer))
            << ::testing::PrintToString(outer) << " on " << ::testing::PrintToString(screen);
        EXPECT_GE(w->width(), 1049);
        EXPECT_GE(w->height(), 855);
        closeTagger();
        const QStringList lines = settingLines(readSettings());
        EXPECT_TRUE(lines.contains("frmAITagger/Left=" + QString::number(outer.left())))
            << lines.join(' ').toStdString();
        EXPECT_TRUE(lines.contains("frmAITagger/Width=" + QString::number(outer.width())));
    }
}

TEST_F(TaggerTest, TheGettyModeTurnsCategoryDetectionOffAndATypedAgencyTurnsItOn) {
    writeSettings("[AISettings]\r\nAgencyIndex=1\r\nCategoryCheck=1\r\n");
    TfrmTaggerPro* w = showTagger();
    EXPECT_EQ(w->AgencyCombo->currentText(), "Getty Images");
    EXPECT_TRUE(w->btnOpenGettyEditor->isEnabled());
    EXPECT_FALSE(w->CategoryCheck->isEnabled());
    EXPECT_TRUE(w->CategoryCheck->isChecked());  // the stored state, after the agency rule

    QTest::mouseClick(w->btnOpenGettyEditor, Qt::LeftButton);
    EXPECT_TRUE(frmDictEditor->isVisible());
    EXPECT_FALSE(frmDictEditor->isModal());
    frmDictEditor->hide();

    w->CategoryCheck->setChecked(false);
    QLineEdit* edit = w->AgencyCombo->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "Other");
    EXPECT_EQ(w->AgencyCombo->currentText(), "Other");
    EXPECT_EQ(w->AgencyCombo->currentIndex(), -1);
    EXPECT_TRUE(w->CategoryCheck->isChecked());
    EXPECT_TRUE(w->CategoryCheck->isEnabled());
    EXPECT_FALSE(w->btnOpenGettyEditor->isEnabled());
    closeTagger();
    EXPECT_TRUE(settingLines(readSettings()).contains("AISettings/AgencyIndex=-1"));

    // Typing an item's name selects it.
    showTagger();
    edit->selectAll();
    QTest::keyClicks(edit, "Getty Images");
    EXPECT_EQ(w->AgencyCombo->currentIndex(), 1);
    EXPECT_EQ(edit->text(), "Getty Images");
    EXPECT_FALSE(w->CategoryCheck->isEnabled());
    // Leaving the Getty mode always turns detection back on.
    w->AgencyCombo->setCurrentIndex(0);
    EXPECT_TRUE(w->CategoryCheck->isChecked());
    EXPECT_TRUE(w->CategoryCheck->isEnabled());
    closeTagger();
}

TEST_F(TaggerTest, LoweringTheUpperKeywordBoundPullsTheLowerOneAlong) {
    TfrmTaggerPro* w = showTagger();
    EXPECT_EQ(w->KeysTo->maximum(), 50);  // the main window's keyword limit
    EXPECT_EQ(w->KeysFrom->maximum(), 40);
    EXPECT_EQ(w->KeysFrom->minimum(), 8);
    EXPECT_EQ(w->KeysTo->minimum(), 10);

    w->KeysTo->setValue(30);
    EXPECT_EQ(w->KeysFrom->value(), 28);
    EXPECT_EQ(w->KeysFrom->maximum(), 28);
    w->KeysFrom->stepUp();
    EXPECT_EQ(w->KeysFrom->value(), 28);
    w->KeysTo->setValue(45);
    EXPECT_EQ(w->KeysFrom->value(), 28);
    EXPECT_EQ(w->KeysFrom->maximum(), 43);
    closeTagger();
}

TEST_F(TaggerTest, StoredBoundsOutsideTheirRangesAreTakenIntoThem) {
    const struct {
        const char* stored;
        int keywordsMax;
        int from, to;
        double temperature;
    } cases[] = {
        {"KeysFrom=45\r\nKeysTo=48\r\n", 50, 45, 48, 0.77},  // above the last showing's maximum
        {"KeysFrom=3\r\nKeysTo=200\r\n", 50, 8, 50, 0.77},
        {"KeysFrom=50\r\nKeysTo=50\r\n", 50, 48, 50, 0.77},
        {"KeysFrom=39\r\nKeysTo=42\r\n", 30, 28, 30, 0.77},  // a lower keyword limit
        {"Temperature=2\r\n", 50, 39, 42, 0.85},
        {"Temperature=0.1\r\n", 50, 39, 42, 0.70},
        {"Temperature=0,8\r\n", 50, 39, 42, 0.77},  // not a number
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        writeSettings(QStringLiteral("[AISettings]\r\n") + QLatin1String(c.stored));
        Form1->state().setKeywordsMax(c.keywordsMax);
        TfrmTaggerPro* w = showTagger();
        EXPECT_EQ(w->KeysFrom->value(), c.from);
        EXPECT_EQ(w->KeysTo->value(), c.to);
        EXPECT_EQ(w->KeysTo->maximum(), c.keywordsMax);
        EXPECT_EQ(w->KeysFrom->maximum(), c.to - 2);
        EXPECT_DOUBLE_EQ(w->Temperature->value(), c.temperature);
        closeTagger();
    }
}

TEST_F(TaggerTest, DefaultsInTheGettyModeTickDetectionButLeaveItDisabled) {
    writeSettings("[AISettings]\r\nAgencyIndex=1\r\nAgenticChecked=0\r\nTemperature=0.8\r\n");
    TfrmTaggerPro* w = showTagger();
    w->PeopleCheck->setChecked(false);
    w->KeysTo->setValue(30);
    w->dsampleCombo->setCurrentIndex(2);
    w->edtConcept->setPlainText("autumn");
    w->edtAddKeywords->setText("leaf");
    w->edtExcludeKeywords->setText("tree");

    QTest::mouseClick(w->cxButton3, Qt::LeftButton);
    EXPECT_TRUE(w->PeopleCheck->isChecked());
    EXPECT_TRUE(w->CategoryCheck->isChecked());
    EXPECT_FALSE(w->CategoryCheck->isEnabled());
    EXPECT_EQ(w->KeysFrom->value(), 39);
    EXPECT_EQ(w->KeysTo->value(), 42);
    EXPECT_EQ(w->KeysFrom->maximum(), 40);
    EXPECT_EQ(w->dsampleCombo->currentText(), "1024");
    EXPECT_TRUE(w->edtConcept->toPlainText().isEmpty());
    EXPECT_TRUE(w->edtAddKeywords->text().isEmpty());
    EXPECT_TRUE(w->edtExcludeKeywords->text().isEmpty());
    EXPECT_EQ(w->AgencyCombo->currentIndex(), 1);
    EXPECT_FALSE(w->AgenticCombo->isChecked());
    EXPECT_DOUBLE_EQ(w->Temperature->value(), 0.8);
    closeTagger();
}

TEST_F(TaggerTest, TheShutterstockBoxesNeverShowOnePositionTwiceOutsideABatch) {
    TfrmTaggerPro* w = showTagger();
    QComboBox* primary = w->ShutterCategory1;
    QComboBox* secondary = w->ShutterCategory2;
    ASSERT_EQ(primary->count(), 26);
    EXPECT_EQ(primary->findText("Signs/Symbols"), 21);
    EXPECT_EQ(w->AdobeCategory->count(), 21);
    const int nature = primary->findText("Nature");

    secondary->setCurrentIndex(nature);
    primary->setCurrentIndex(nature);
    EXPECT_EQ(primary->currentIndex(), -1);
    EXPECT_EQ(secondary->currentIndex(), nature);
    primary->setCurrentIndex(nature + 1);
    secondary->setCurrentIndex(nature + 1);
    EXPECT_EQ(secondary->currentIndex(), -1);
    EXPECT_EQ(primary->currentIndex(), nature + 1);

    // The rule compares positions: different names at the same position clash.
    primary->addItem("Nightlife");
    secondary->addItem("Fashion Week");
    secondary->setCurrentIndex(26);
    primary->setCurrentIndex(26);
    EXPECT_EQ(primary->currentIndex(), -1);

    // During a batch both may show the same.
    TaggerProbe::session().setBatchProcessing(true);
    secondary->setCurrentIndex(nature);
    primary->setCurrentIndex(nature);
    EXPECT_EQ(primary->currentIndex(), nature);
    EXPECT_EQ(secondary->currentIndex(), nature);
    TaggerProbe::session().setBatchProcessing(false);
    closeTagger();
}

TEST_F(TaggerTest, TheEditorFieldsFollowTheKeywordEditorRulesWithTheTaggersDifferences) {
    TfrmTaggerPro* w = showTagger();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));

    // Typing stops at the limit; a reply's title is placed whole.
    w->edtTitle->setFocus();
    QTest::keyClicks(w->edtTitle, QString(81, 'a'));
    EXPECT_EQ(w->edtTitle->text().size(), 80);
    w->edtTitle->setText(QString(95, 't'));
    EXPECT_EQ(w->edtTitle->text().size(), 95);
    EXPECT_EQ(w->Label7->text(), "-15");
    EXPECT_TRUE(isRed(w->Label7));

    w->memDescription->setPlainText(QString(180, 'd'));
    EXPECT_EQ(w->Label12->text(), "20");
    EXPECT_TRUE(isRed(w->Label12));
    w->memKeywords->setPlainText("sea, sky; sun");
    EXPECT_EQ(w->Label9->text(), "3");

    // The limits are read at each event: a limit changed in the Settings window applies.
    Form1->state().setTitleMax(100);
    w->edtTitle->setText(QString(20, 't'));
    EXPECT_EQ(w->Label7->text(), "80");
    EXPECT_FALSE(isRed(w->Label7));

    // The add-and-check field appends to the tagger's own keyword list.
    w->cxCheckEdit->setFocus();
    QTest::keyClicks(w->cxCheckEdit, "moon.");
    QTest::keyClick(w->cxCheckEdit, Qt::Key_Return);
    EXPECT_EQ(w->memKeywords->toPlainText(), "sea, sky; sun, moon");
    EXPECT_EQ(Form1->CreateCard->cxRichEdit1->toPlainText(), "");

    // Tab passes the keywords field by.
    w->memDescription->setFocus();
    QTest::keyClick(w->memDescription, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w->cxCheckEdit);
    closeTagger();
}

TEST_F(TaggerTest, OnlyTheExactNoBringsTheKeyMessageAndKeepsTheComponentsKey) {
    const struct {
        const char* key;
        bool message;
        const char* componentKey;
    } cases[] = {{"AIza-1", false, "AIza-1"},
                 {"No", true, "AIza-1"},  // the key handed over before stays
                 {"no", false, "no"},
                 {"", false, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        dialogs.clear();
        Form1->state().setAPIKey(QLatin1String(c.key));
        TfrmTaggerPro* w = showTagger();
        EXPECT_EQ(dialogs.texts("message"), c.message ? QStringList{kNoKey} : QStringList{});
        EXPECT_TRUE(w->isVisible());  // the window opens either way
        EXPECT_EQ(w->CloudAI1->geminiKey(), QLatin1String(c.componentKey));
        EXPECT_EQ(w->CloudAI1->service(), cloudai::Service::Gemini);
        EXPECT_EQ(w->CloudAI1->geminiModel(), "gemini-3-flash-preview");
        EXPECT_EQ(w->CloudAI1->connectTimeout(), 180000);
        EXPECT_EQ(w->CloudAI1->readTimeout(), 180000);
        w->CloudAI1->setReadTimeout(1000);  // set again at the next showing
        closeTagger();
    }
}

TEST_F(TaggerTest, ClosingDeletesOnlyAPreparedUploadFile) {
    const QString upload = tagging::uploadImagePath();
    EXPECT_EQ(upload,
              QDir(temporaryFolder())
                  .filePath(QStringLiteral("pixolet-%1/AI_Input_Upload.jpg").arg(::geteuid())));
    const auto makeUpload = [&] {
        files::ensurePrivateFolder(tagging::temporaryFolder());
        QFile file(upload);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("jpeg");
    };

    // No image prepared in this run: a file of that name is not the window's.
    makeUpload();
    showTagger();
    closeTagger();
    EXPECT_TRUE(QFile::exists(upload));

    // A picture prepared in this run: its upload file goes with the window.
    TfrmTaggerPro* w = showTagger();
    const QString lake = path("lake.png");
    ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save(lake));
    w->LoadImageForTagging(lake);
    ASSERT_TRUE(QFile::exists(upload));
    closeTagger();
    EXPECT_FALSE(QFile::exists(upload));
    EXPECT_EQ(TaggerProbe::session().uploadFile(), upload);

    // Already gone: nothing to say.
    dialogs.clear();
    showTagger();
    closeTagger();
    EXPECT_TRUE(dialogs.texts("error").isEmpty());
}

TEST_F(TaggerTest, ReopeningKeepsTheGridAndThePromptTextsAndEmptiesTheRest) {
    TfrmTaggerPro* w = showTagger();
    QAbstractItemModel* rows = w->cxTableView1->model();
    ASSERT_TRUE(rows->insertRows(0, 2));
    rows->setData(rows->index(1, 1), "second");  // a title
    w->edtConcept->setPlainText("misty morning");
    w->edtAddKeywords->setText("fog");
    w->edtExcludeKeywords->setText("rain");
    w->dsampleCombo->setCurrentIndex(2);
    w->edtTitle->setText("Title");
    w->memDescription->setPlainText("Description");
    w->memKeywords->setPlainText("a, b");
    w->cxCheckEdit->setText("b");
    w->AdobeCategory->setCurrentIndex(3);
    w->ShutterCategory1->setCurrentIndex(4);
    w->ShutterCategory2->setCurrentIndex(5);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(path("lake.jpg")));
    w->LoadImageForTagging(path("lake.jpg"));
    w->cxImage1->setPicture(picture);
    EXPECT_EQ(w->lblFileName->text(), "lake.jpg");
    TaggerProbe::session().setBusy(true);
    w->dxStatusBar1->setPanelText(0, "Processing 1 of 2...");
    closeTagger();

    showTagger();
    EXPECT_EQ(w->cxTableView1->model(), rows);
    EXPECT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->data(rows->index(1, 1)).toString(), "second");
    EXPECT_EQ(w->edtConcept->toPlainText(), "misty morning");
    EXPECT_EQ(w->edtAddKeywords->text(), "fog");
    EXPECT_EQ(w->edtExcludeKeywords->text(), "rain");
    EXPECT_EQ(w->dsampleCombo->currentIndex(), 2);
    for (QComboBox* box : {w->AdobeCategory, w->ShutterCategory1, w->ShutterCategory2})
        EXPECT_EQ(box->currentIndex(), -1) << box->objectName().toStdString();
    EXPECT_TRUE(w->edtTitle->text().isEmpty());
    EXPECT_TRUE(w->memDescription->toPlainText().isEmpty());
    EXPECT_TRUE(w->memKeywords->toPlainText().isEmpty());
    EXPECT_TRUE(w->cxCheckEdit->text().isEmpty());
    EXPECT_TRUE(w->cxImage1->picture().isNull());
    EXPECT_TRUE(w->lblFileName->text().isEmpty());
    EXPECT_TRUE(w->ProgressBar1->isHidden());
    EXPECT_EQ(w->dxStatusBar1->panelText(0), "Ready ...");
    EXPECT_EQ(w->Label9->text(), "0");

    // "Clear input fields" empties the same fields and leaves the prompt texts.
    w->edtTitle->setText("again");
    w->cxImage1->setPicture(picture);
    QTest::mouseClick(w->ClearInputBtn, Qt::LeftButton);
    EXPECT_TRUE(w->edtTitle->text().isEmpty());
    EXPECT_TRUE(w->lblFileName->text().isEmpty());
    EXPECT_EQ(w->edtConcept->toPlainText(), "misty morning");
    closeTagger();
}

TEST_F(TaggerTest, TheStatusLineTakesTheRoomTheOtherPanelsLeaveAndShowsItsTextWhole) {
    TfrmTaggerPro* w = showTagger();
    ASSERT_EQ(w->size(), QSize(1049, 855));
    TStatusBar* bar = w->dxStatusBar1;
    QLabel* line = bar->panel(0);
    const QString longName =
        "2024-06-14_Lofoten_Reine_fishing_village_at_midnight_sun_panorama_DSC04567-Edit.jpg";
    for (const QString& text : {tagger::requestFailureText(0), tagger::requestFailureText(503),
                                "Analyzing: " + longName + "...",
                                QString("Stopping... Waiting for current request to finish.")}) {
        bar->setPanelText(0, text);
        QApplication::processEvents();
        EXPECT_LE(line->fontMetrics().horizontalAdvance(text), line->contentsRect().width())
            << text.toStdString();
        EXPECT_EQ(line->toolTip(), text);
    }
    EXPECT_EQ(bar->panel(1)->width(), 119);
    EXPECT_EQ(bar->panel(2)->width(), 50);

    // A wider window widens the status line alone.
    const int designWidth = line->width();
    w->resize(w->width() + 200, w->height());
    QApplication::processEvents();
    EXPECT_EQ(line->width(), designWidth + 200);
    EXPECT_EQ(bar->panel(1)->width(), 119);
    EXPECT_EQ(bar->panel(2)->width(), 50);
    closeTagger();
}

TEST_F(TaggerTest, CopyHelpAndExit) {
    TfrmTaggerPro* w = showTagger();
    w->edtTitle->setText("Red fox");
    w->memDescription->setPlainText("A fox\nin snow");
    w->memKeywords->setPlainText("fox, snow");
    const std::pair<QToolButton*, QString> copies[] = {{w->btnTitleCopy, "Red fox"},
                                                       {w->btnDescriptionCopy, "A fox\nin snow"},
                                                       {w->btnKeywordsCopy, "fox, snow"}};
    for (const auto& [button, text] : copies) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(QApplication::clipboard()->text(), text);
    }
    w->edtTitle->clear();
    QTest::mouseClick(w->btnTitleCopy, Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "");

    QDir().mkpath(path("Help/AI_Tagging"));
    QFile page(path("Help/AI_Tagging/index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    QTest::mouseClick(w->btnHelp, Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList{path("Help/AI_Tagging/index.html")});

    QTest::mouseClick(w->ExitBtn, Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(settingLines(readSettings()).contains("AISettings/KeysTo=42"));
}

TEST_F(TaggerTest, AWindowStillOpenAtProgramExitWritesNothing) {
    showTagger();
    endProgram();
    EXPECT_FALSE(readSettings().contains("frmAITagger"));
}

}  // namespace
