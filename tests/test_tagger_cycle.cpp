// The tagger's main road through the real window: "Open Image" prepares the upload image,
// "AI Tagging" sends it with the prompt to a Gemini-like server of the test's own, and the
// reply fills the edit fields or a grid row.
#include <QAbstractItemModel>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <array>

#include "app/form1.h"
#include "platform/cloudai/cloudai.h"
#include "platform/image/image.h"
#include "platform/image/jpeg.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/gridview.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "records/main_state.h"
#include "tagging/batch_grid_model.h"
#include "tagging/categories.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/prompts.h"
#include "tagging/upload_image.h"
#include "tests/support/file_bytes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/small_tmpfs.h"
#include "tests/support/tagger_fixture.h"

namespace {

using Reply = LoopbackServer::Reply;

const QByteArray kPath = "/v1beta/models/gemini-3-flash-preview:generateContent";
const QString kOpenFirst =
    QStringLiteral("Please click on Open Image button first\rand select image for tagging.");
const QString kFilter = QStringLiteral(
    "All (*.jpg;*.jpeg)|*.jpg;*.jpeg|JPEG Image File (*.jpeg)|*.jpeg|Portable Network Graphics "
    "(*.png)|*.png|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|"
    "Metafiles (*.wmf)|*.wmf|TIFF Images (*.tif)|*.tif|TIFF Images (*.tiff)|*.tiff");

// A picture with detail in it, so that its JPEG is not trivial.
QImage testPicture(QSize size) {
    QImage picture(size, QImage::Format_RGB888);
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(40, 90, 160));
    painter.setBrush(QColor(230, 200, 60));
    painter.drawEllipse(picture.rect().adjusted(size.width() / 5, size.height() / 5,
                                                -size.width() / 5, -size.height() / 5));
    return picture;
}

// The first text part and the image part of the request's one user turn.
QString promptOf(const LoopbackServer::Request& request) {
    const QJsonArray parts =
        request.json()["contents"].toArray().first().toObject()["parts"].toArray();
    return parts.first().toObject()["text"].toString();
}
QByteArray imageOf(const LoopbackServer::Request& request) {
    const QJsonArray parts =
        request.json()["contents"].toArray().first().toObject()["parts"].toArray();
    return QByteArray::fromBase64(
        parts.last().toObject()["inline_data"].toObject()["data"].toString().toLatin1());
}

// What the edit column shows after a reply.
struct Fields {
    QString title, description, keywords, adobe, shutter1, shutter2;
    bool operator==(const Fields&) const = default;
};
void PrintTo(const Fields& f, std::ostream* os) {
    *os << '{' << f.title.toStdString() << " | " << f.description.toStdString() << " | "
        << f.keywords.toStdString() << " | " << f.adobe.toStdString() << " | "
        << f.shutter1.toStdString() << " | " << f.shutter2.toStdString() << '}';
}

Fields shownFields(const TfrmTaggerPro* w) {
    return {w->edtTitle->text(),
            w->memDescription->toPlainText(),
            w->memKeywords->toPlainText(),
            w->AdobeCategory->currentText(),
            w->ShutterCategory1->currentText(),
            w->ShutterCategory2->currentText()};
}

class TaggerCycleTest : public TaggerTest {
protected:
    void SetUp() override {
        TaggerTest::SetUp();
        cloudai::setBaseAddressForTests(server.base());
        Form1->state().setAPIKey(QStringLiteral("test-key"));
    }
    void TearDown() override {
        TaggerTest::TearDown();
        cloudai::setBaseAddressForTests({});
    }

    // A picture file in the program folder: JPEG by its name's ending, else PNG.
    QString picture(const QString& name, QSize size = QSize(400, 300)) {
        const QString file = path(name);
        const QImage image = testPicture(size);
        if (name.endsWith(".jpg"))
            writeFile(file, image::jpeg::encode(image, 90));
        else
            EXPECT_TRUE(image.save(file, "PNG"));
        return file;
    }
    // In the user's own folder in the temporary folder.
    QString uploadPath() const {
        return QDir(temporaryFolder())
            .filePath(QStringLiteral("pixolet-%1/AI_Input_Upload.jpg").arg(::geteuid()));
    }

    // "Open Image" with the file chosen in its dialog.
    void openImage(const QString& file) {
        dialogs.openAnswers.push_back({file});
        QTest::mouseClick(frmTaggerPro->cxButton4, Qt::LeftButton);
    }
    TfrmTaggerPro* showWithImage() {
        TfrmTaggerPro* w = showTagger();
        openImage(picture("lake.jpg"));
        return w;
    }

    static bool idle() {
        const TfrmTaggerPro* w = frmTaggerPro;
        return w->CloudAI1->pendingRequests() == 0 && w->ProgressBar1->isHidden() &&
               w->cxButton5->isEnabled();
    }
    static bool requestButtonsEnabled() {
        const TfrmTaggerPro* w = frmTaggerPro;
        return w->cxButton4->isEnabled() && w->cxButton5->isEnabled() &&
               w->btnLoadImages->isEnabled() && w->btnCreateCSV->isEnabled() &&
               w->btnBatchTagging->isEnabled();
    }
    // "AI Tagging", then the wait until the window is idle again.
    bool tag() {
        QTest::mouseClick(frmTaggerPro->cxButton5, Qt::LeftButton);
        return QTest::qWaitFor(idle, 10000);
    }
    QString status() const { return frmTaggerPro->dxStatusBar1->panelText(0); }

    LoopbackServer server;
};

// ---- "Open Image" ----

TEST_F(TaggerCycleTest, OpenImageShowsAndWritesTheSameJpeg) {
    TfrmTaggerPro* w = showTagger();
    w->dsampleCombo->setCurrentIndex(1);  // "1536"
    w->edtTitle->setText("from before");
    TaggerProbe::session().awaitReplyFor(2);

    openImage(picture("lake.png", QSize(2000, 1000)));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, "open");
    EXPECT_EQ(dialogs.shown[0].request.filter, kFilter);
    EXPECT_TRUE(dialogs.shown[0].request.title.isEmpty());
    EXPECT_FALSE(dialogs.shown[0].request.multiSelect);

    EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), -1);
    EXPECT_TRUE(w->edtTitle->text().isEmpty());
    EXPECT_EQ(status(), "Ready ...");
    EXPECT_EQ(w->lblFileName->text(), "lake.png");
    EXPECT_EQ(TaggerProbe::session().uploadFile(), uploadPath());
    const QByteArray first = readAll(uploadPath());
    EXPECT_EQ(first, TaggerProbe::previewData());
    EXPECT_TRUE(image::jpeg::looksLikeJpeg(first));
    EXPECT_EQ(image::decodeJpeg(first).size(), QSize(1536, 768));
    EXPECT_EQ(image::decodeJpeg(first), w->cxImage1->picture());

    // A second picture replaces the file; it is never enlarged.
    openImage(picture("pier.jpg", QSize(800, 600)));
    EXPECT_EQ(w->lblFileName->text(), "pier.jpg");
    EXPECT_EQ(QFileInfo(uploadPath()).dir().entryList(QDir::Files | QDir::Hidden),
              QStringList{"AI_Input_Upload.jpg"});
    const QByteArray second = readAll(uploadPath());
    EXPECT_NE(second, first);
    EXPECT_EQ(second, TaggerProbe::previewData());
    EXPECT_EQ(image::decodeJpeg(second).size(), QSize(800, 600));
}

TEST_F(TaggerCycleTest, ACancelledDialogOrAMissingFileChangesNothing) {
    TfrmTaggerPro* w = showWithImage();
    w->edtTitle->setText("kept");
    TaggerProbe::session().awaitReplyFor(1);
    const QByteArray shown = TaggerProbe::previewData();

    dialogs.openAnswers.push_back({});  // cancelled
    QTest::mouseClick(w->cxButton4, Qt::LeftButton);
    EXPECT_EQ(w->edtTitle->text(), "kept");
    EXPECT_EQ(w->lblFileName->text(), "lake.jpg");
    EXPECT_EQ(TaggerProbe::previewData(), shown);
    EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), 1);

    // A file gone since it was chosen: the window is cleared, the upload file stays.
    openImage(path("gone.jpg"));
    EXPECT_EQ(TaggerProbe::session().preparedFileName(), "lake.jpg");
    EXPECT_EQ(readAll(uploadPath()), shown);
}

TEST_F(TaggerCycleTest, APictureThatDoesNotDecodeIsSkippedWithEmptyFields) {
    TfrmTaggerPro* w = showWithImage();
    const QByteArray jpeg = image::jpeg::encode(testPicture(QSize(400, 300)), 90);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {{"notes.jpg", "not a picture at all"}, {"cut.jpg", jpeg.left(jpeg.size() / 2)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path(c.name), c.bytes);
        w->edtTitle->setText("old");
        w->AdobeCategory->setCurrentIndex(2);
        openImage(path(c.name));
        EXPECT_EQ(status(), QStringLiteral("Skip: ") + c.name);
        EXPECT_EQ(shownFields(w), Fields{});
        EXPECT_TRUE(w->cxImage1->picture().isNull());
        EXPECT_TRUE(w->lblFileName->text().isEmpty());
        EXPECT_FALSE(QFile::exists(uploadPath()));
        EXPECT_EQ(TaggerProbe::session().uploadFile(), uploadPath());

        // Nothing to tag.
        dialogs.clear();
        QTest::mouseClick(w->cxButton5, Qt::LeftButton);
        EXPECT_EQ(dialogs.texts("message"), QStringList{kOpenFirst});
        EXPECT_EQ(dialogs.centredOnScreen(), QStringList{kOpenFirst});
        EXPECT_EQ(server.requestCount(), 0);
    }
}

TEST_F(TaggerCycleTest, AnUploadFileThatCannotBeDeletedStopsThePreparation) {
    TfrmTaggerPro* w = showWithImage();
    ASSERT_TRUE(QFile::remove(uploadPath()));
    ASSERT_TRUE(QDir().mkpath(uploadPath() + "/held"));  // a folder in its place
    dialogs.clear();
    openImage(picture("pier.jpg"));
    const QStringList errors = dialogs.texts("error");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith("Unable to delete " + uploadPath()))
        << errors[0].toStdString();
    EXPECT_EQ(TaggerProbe::session().preparedFileName(), "lake.jpg");
    EXPECT_TRUE(w->cxImage1->picture().isNull());
    EXPECT_TRUE(w->lblFileName->text().isEmpty());
}

TEST_F(TaggerCycleTest, AFailedWriteSaysDiskErrorAndTheRequestCannotStart) {
    SmallTmpfs tmpfs("1m");
    if (!tmpfs.mounted()) GTEST_SKIP() << tmpfs.why().toStdString();
    TfrmTaggerPro* w = showTagger();
    const QString lake = picture("lake.jpg");
    setTemporaryFolder(tmpfs.path());
    tmpfs.fill();

    openImage(lake);
    EXPECT_TRUE(status().startsWith("Disk Error: Unable to write to " + uploadPath()))
        << status().toStdString();
    EXPECT_FALSE(w->cxImage1->picture().isNull());
    EXPECT_EQ(w->lblFileName->text(), "lake.jpg");
    EXPECT_FALSE(QFile::exists(uploadPath()));

    // The missing upload file cannot be attached: no request, and the window is idle again.
    dialogs.clear();
    QTest::mouseClick(w->cxButton5, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_EQ(status(), "Ready ...");
    EXPECT_TRUE(w->ProgressBar1->isHidden());
    EXPECT_TRUE(requestButtonsEnabled());
    EXPECT_EQ(server.requestCount(), 0);
    tmpfs.removeFiller();
}

// ---- "AI Tagging" and the request ----

TEST_F(TaggerCycleTest, TheRequestCarriesTheUploadFileAndTheTemperatureAndTheReplyFillsTheFields) {
    server.on(kPath, Reply::gemini("```json\n{\"title\": \"Calm lake\", \"description\": \"A "
                                   "calm lake at dawn\", \"keywords\": [\"lake\", \"dawn\", "
                                   "\"calm\"], \"adobe_category\": \"Landscape\", "
                                   "\"shutterstock_category_1\": \"Nature\", "
                                   "\"shutterstock_category_2\": \"Parks/Outdoor\"}\n```")
                         .delayed(300));
    TfrmTaggerPro* w = showWithImage();
    w->Temperature->setValue(0.8);
    const QByteArray upload = readAll(uploadPath());

    QTest::mouseClick(w->cxButton5, Qt::LeftButton);
    EXPECT_EQ(status(), "Analyzing: lake.jpg...");
    EXPECT_FALSE(w->ProgressBar1->isHidden());
    for (const QPushButton* b :
         {w->cxButton4, w->cxButton5, w->btnLoadImages, w->btnCreateCSV, w->btnBatchTagging})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    ASSERT_TRUE(QTest::qWaitFor(idle, 10000));

    ASSERT_EQ(server.requestCount(), 1);
    const LoopbackServer::Request request = server.requests()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, kPath);  // the key is never in the address
    EXPECT_EQ(request.header("x-goog-api-key"), "test-key");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    const QJsonObject body = request.json().object();
    const QJsonArray contents = body["contents"].toArray();
    ASSERT_EQ(contents.size(), 1);
    EXPECT_EQ(contents[0]["role"].toString(), "user");
    const QJsonArray parts = contents[0]["parts"].toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_TRUE(parts[0]["text"].toString().startsWith("<system_instruction>\r\n"));
    EXPECT_EQ(parts[1]["inline_data"]["mime_type"].toString(), "image/jpeg");
    EXPECT_EQ(parts[1]["inline_data"]["data"].toString().toLatin1(), upload.toBase64());
    EXPECT_DOUBLE_EQ(body["generationConfig"]["temperature"].toDouble(), 0.8);

    EXPECT_EQ(shownFields(w), (Fields{"Calm lake", "A calm lake at dawn", "lake, dawn, calm",
                                      "Landscape", "Nature", "Parks/Outdoor"}));
    EXPECT_EQ(status(), "Tagging Complete.");
    EXPECT_EQ(Form1->state().AICounter(), 1);
    EXPECT_EQ(w->lblAICount->text(), "1");
    EXPECT_EQ(TaggerProbe::session().lastHttpStatusCode(), 200);
    EXPECT_TRUE(requestButtonsEnabled());
}

TEST_F(TaggerCycleTest, ThePromptIsBuiltFromTheControlsForTheAgency) {
    writeFile(path("GettyDict.txt"), "kid->child\r\n");
    writeFile(path("GettyBlackList.txt"), "logo\r\n");
    server.on(kPath, Reply::gemini("{}"));
    TfrmTaggerPro* w = showWithImage();
    Form1->state().setTitleMax(70);
    Form1->state().setDescriptionMax(150);
    w->KeysTo->setValue(30);
    w->KeysFrom->setValue(20);
    w->edtConcept->setPlainText("misty\nmorning  ");
    w->edtAddKeywords->setText(" fog");
    w->edtExcludeKeywords->setText("rain");
    w->PeopleCheck->setChecked(false);
    w->AgenticCombo->setChecked(false);
    w->AdobeCategory->addItem("Nightlife");  // the prompt reads the box's list as it stands

    prompts::PromptSettings expected;
    expected.keysFrom = 20;
    expected.keysTo = 30;
    expected.conceptNote = "misty\r\nmorning";
    expected.includeText = " fog";
    expected.excludeText = "rain";
    expected.includePeople = false;
    expected.deepVision = false;
    expected.titleMax = 70;
    expected.descriptionMax = 150;
    expected.adobeCategories = categories::adobe() + QStringList{"Nightlife"};
    expected.gettyDictionary = "kid->child\r\n";
    expected.gettyBlacklist = "logo";

    // A typed agency that names no item gets the standard prompt.
    const struct {
        const char* agency;
        int index;
        bool getty;
    } cases[] = {{"Standard", 0, false}, {"Getty Images", 1, true}, {"Other", -1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.agency);
        if (c.index < 0) {
            w->AgencyCombo->lineEdit()->selectAll();
            QTest::keyClicks(w->AgencyCombo->lineEdit(), c.agency);
        } else {
            w->AgencyCombo->setCurrentIndex(c.index);
        }
        ASSERT_EQ(w->AgencyCombo->currentIndex(), c.index);
        w->CategoryCheck->setChecked(false);
        expected.detectCategories = false;
        const int before = server.requestCount();
        ASSERT_TRUE(tag());
        ASSERT_EQ(server.requestCount(), before + 1);
        EXPECT_EQ(promptOf(server.requests().back()), c.getty
                                                          ? prompts::BuildGettyPrompt(expected)
                                                          : prompts::BuildStandardPrompt(expected));
    }
}

TEST_F(TaggerCycleTest, RepliesFillTheFieldsByTheirMembers) {
    const Fields kept{"kept", "", "", "Animals", "", ""};
    const struct {
        const char* what;
        Reply reply;
        Fields fields;
        const char* status;
    } cases[] = {
        {"thought parts before the answer",
         Reply::geminiParts({{"Looking at {the} picture", true},
                             {"{\"title\": \"Pier\", \"keywords\": [\"pier\", \"sea\"]}", false}}),
         {"Pier", "", "pier, sea", "", "", ""},
         "Tagging Complete."},
        {"names of other spellings",
         Reply::gemini("{\"Title\": \"Lake\", \"Description\": \"Calm lake\", \"Keywords\": "
                       "[\"lake\"], \"Adobe Stock Category\": \"Landscape\", "
                       "\"shutterstock-category-1\": \"Parks/Outdoor\", \"Shutter 2\": "
                       "\"Holidays\"}"),
         {"Lake", "Calm lake", "", "Landscape", "Parks/Outdoor", "Holidays"},
         "Tagging Complete."},
        {"names matched by containing",
         Reply::gemini("{\"title\": \"Run\", \"adobe_category\": \"sport\", "
                       "\"shutterstock_category_1\": \"Food\", \"shutterstock_category_2\": "
                       "\"Signs/Symbols\"}"),
         {"Run", "", "", "Sports", "Food and Drink", "Signs/Symbols"},
         "Tagging Complete."},
        {"the same category twice",
         Reply::gemini("{\"title\": \"Fern\", \"shutterstock_category_1\": \"Nature\", "
                       "\"shutterstock_category_2\": \"Nature\"}"),
         {"Fern", "", "", "", "Nature", ""},
         "Tagging Complete."},
        {"a new category",
         Reply::gemini("{\"title\": \"Club\", \"adobe_category\": \"Nightlife\"}"),
         {"Club", "", "", "Nightlife", "", ""},
         "Tagging Complete."},
        {"no JSON", Reply::gemini("Sorry, I cannot describe this picture."), kept, "Ready ..."},
        {"JSON that is an array", Reply::gemini("[{\"title\": \"a\"}, {\"title\": \"b\"}]"), kept,
         "Ready ..."},
        {"a blocked prompt", Reply::geminiBlocked(), kept, "Ready ..."},
    };
    TfrmTaggerPro* w = showWithImage();
    int counter = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        w->edtTitle->setText("kept");
        w->AdobeCategory->setCurrentIndex(0);
        w->ShutterCategory1->setCurrentIndex(-1);
        w->ShutterCategory2->setCurrentIndex(-1);
        server.queue(c.reply);
        ASSERT_TRUE(tag());
        EXPECT_EQ(shownFields(w), c.fields);
        EXPECT_EQ(status(), c.status);
        // Every successful exchange counts once, whether its answer can be read or not.
        EXPECT_EQ(Form1->state().AICounter(), ++counter);
        EXPECT_EQ(w->lblAICount->text(), QString::number(counter));
    }
    // A name no item holds was shown, not listed: later prompts offer the agency's own list.
    EXPECT_EQ(itemsOf(w->AdobeCategory), categories::adobe());
    const QString prompt = promptOf(server.requests().back());
    EXPECT_TRUE(prompt.contains("Transport, Travel\r\n"));
    EXPECT_FALSE(prompt.contains("Nightlife"));
}

TEST_F(TaggerCycleTest, CategoriesAreLeftAloneWithoutDetectionAndInTheGettyMode) {
    const QString answer =
        "{\"title\": \"Gull\", \"adobe_category\": \"Animals\", \"shutterstock_category_1\": "
        "\"Nature\", \"shutterstock_category_2\": \"Animals/Wildlife\"}";
    server.on(kPath, Reply::gemini(answer).delayed(200));
    TfrmTaggerPro* w = showWithImage();
    const auto preset = [w] {
        w->AdobeCategory->setCurrentText("Business");
        w->ShutterCategory1->setCurrentText("Arts");
        w->ShutterCategory2->setCurrentText("Vintage");
    };
    const Fields gull{"Gull", "", "", "Business", "Arts", "Vintage"};

    preset();
    w->CategoryCheck->setChecked(false);
    ASSERT_TRUE(tag());
    EXPECT_EQ(shownFields(w), gull);

    // The agency counts as it stands when the reply arrives, whatever the check box says.
    w->AgencyCombo->setCurrentIndex(0);
    preset();
    QTest::mouseClick(w->cxButton5, Qt::LeftButton);
    w->AgencyCombo->setCurrentIndex(1);
    w->CategoryCheck->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor(idle, 10000));
    EXPECT_EQ(shownFields(w), gull);
    EXPECT_EQ(status(), "Tagging Complete.");
}

TEST_F(TaggerCycleTest, FailedExchangesSayWhyAndAreNotCounted) {
    const struct {
        const char* what;
        Reply reply;
        int status;
        const char* text;
        int counted;
    } cases[] = {
        {"429", Reply::geminiError(429), 429,
         "Error 429: Free Tier API Limit reached. Try again later.", 0},
        {"503", Reply::geminiError(503), 503,
         "Error 503: Google servers overloaded for Free Tier users. Try again later.", 0},
        {"500", Reply::geminiError(500), 500, "AI Analysis failed (Error 500). Tag not counted.",
         0},
        {"400", Reply::geminiError(400), 400, "AI Analysis failed (Error 400). Tag not counted.",
         0},
        {"no reply in time", Reply::never(), 0,
         "Error 0: Connection timeout or Google Free Tier service overloaded. Try again later.", 0},
        // A success other than 200 counts but fills nothing.
        {"202", Reply::text(202, "{}", "application/json"), 202, "Ready ...", 1},
    };
    TfrmTaggerPro* w = showWithImage();
    w->CloudAI1->setReadTimeout(500);
    int counter = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        w->edtTitle->setText("kept");
        server.queue(c.reply);
        ASSERT_TRUE(tag());
        EXPECT_EQ(status(), c.text);
        EXPECT_EQ(TaggerProbe::session().lastHttpStatusCode(), c.status);
        EXPECT_EQ(w->edtTitle->text(), "kept");
        counter += c.counted;
        EXPECT_EQ(Form1->state().AICounter(), counter);
        EXPECT_TRUE(requestButtonsEnabled());
    }
}

TEST_F(TaggerCycleTest, ClicksWhileARequestRunsStartNothing) {
    server.on(kPath, Reply::gemini("{\"title\": \"Once\"}").delayed(300));
    TfrmTaggerPro* w = showWithImage();
    QTest::mouseClick(w->cxButton5, Qt::LeftButton);
    QTest::mouseClick(w->cxButton5, Qt::LeftButton);
    w->cxButton5Click();  // as a batch clicks it, past the disabled button
    ASSERT_TRUE(QTest::qWaitFor(idle, 10000));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(Form1->state().AICounter(), 1);
    EXPECT_EQ(w->edtTitle->text(), "Once");
}

TEST_F(TaggerCycleTest, WithoutAKeyTheRequestIsRefusedAndTheWindowIsIdleAgain) {
    Form1->state().setAPIKey(QStringLiteral("No"));
    TfrmTaggerPro* w = showWithImage();
    dialogs.clear();
    QTest::mouseClick(w->cxButton5, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("error"), QStringList{"No API key for service specified"});
    EXPECT_EQ(status(), "Ready ...");
    EXPECT_TRUE(w->ProgressBar1->isHidden());
    EXPECT_TRUE(requestButtonsEnabled());
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(Form1->state().AICounter(), 0);
}

TEST_F(TaggerCycleTest, APictureNotPreparedInThisRunIsSentAsATemporaryCopy) {
    server.on(kPath, Reply::gemini("{\"title\": \"Square\"}").delayed(300));
    TfrmTaggerPro* w = showTagger();
    w->cxImage1->setPicture(testPicture(QSize(64, 48)));

    QTest::mouseClick(w->cxButton5, Qt::LeftButton);
    EXPECT_EQ(status(), "Analyzing image...");
    const QString copy = TaggerProbe::session().temporaryCopy();
    EXPECT_EQ(QFileInfo(copy).absolutePath(), tagging::temporaryFolder());
    EXPECT_EQ(QFileInfo(tagging::temporaryFolder()).absolutePath(), temporaryFolder());
    EXPECT_TRUE(QRegularExpression("^tag_cache_[0-9A-F]{4,5}\\.jpg$")
                    .match(QFileInfo(copy).fileName())
                    .hasMatch())
        << copy.toStdString();
    EXPECT_TRUE(QFile::exists(copy));
    ASSERT_TRUE(QTest::qWaitFor(idle, 10000));

    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_EQ(TaggerProbe::session().temporaryCopy(),
              copy);  // the path stays; later requests find no file
    ASSERT_EQ(server.requestCount(), 1);
    EXPECT_EQ(image::decodeJpeg(imageOf(server.requests()[0])).size(), QSize(64, 48));
    EXPECT_EQ(w->edtTitle->text(), "Square");
}

// ---- the grid row a reply belongs to ----

TEST_F(TaggerCycleTest, AReplyForAGridRowFillsThatRowAndReleasesIt) {
    const QString answer =
        "{\"title\": \"Gull\", \"description\": \"A gull\", \"keywords\": [\"gull\", \"sea\"], "
        "\"adobe_category\": \"sport\", \"shutterstock_category_1\": \"Nature\", "
        "\"shutterstock_category_2\": \"Nature\"}";
    using Row = std::array<QString, 6>;  // title, description, keywords, three categories
    const Row old{"old", "old", "old", "old", "old", "old"};
    const Fields kept{"kept", "", "", "", "", ""};
    const struct {
        const char* what;
        bool batch;
        int agency;
        bool detect;
        Reply reply;
        Row row;
        Fields fields;  // the edit fields after the reply
        const char* status;
    } cases[] = {
        {"batch", true, 0, true, Reply::gemini(answer),
         Row{"Gull", "A gull", "gull, sea", "sport", "Nature", "Nature"}, kept, "Ready ..."},
        {"batch without detection", true, 0, false, Reply::gemini("{\"title\": \"Gull\"}"),
         Row{"Gull", "", "", "", "", ""}, kept, "Ready ..."},
        {"batch in the Getty mode", true, 1, false, Reply::gemini(answer),
         Row{"Gull", "A gull", "gull, sea", "old", "old", "old"}, kept, "Ready ..."},
        {"a failed batch request", true, 0, true, Reply::geminiError(500), old, kept,
         "AI Analysis failed (Error 500). Tag not counted."},
        {"a row tagged on its own", false, 0, true, Reply::gemini(answer),
         Row{"Gull", "A gull", "gull, sea", "sport", "Nature", "Nature"},
         Fields{"Gull", "A gull", "gull, sea", "Sports", "Nature", ""}, "Tagging Complete."},
    };
    TfrmTaggerPro* w = showWithImage();
    QAbstractItemModel* rows = w->cxTableView1->model();
    ASSERT_TRUE(rows->insertRows(0, 3));
    using Col = BatchGridModel::Column;
    const int textColumns[] = {Col::colTitle,    Col::colDescription, Col::colKeywords,
                               Col::colAdobeCat, Col::colShutter1,    Col::colShutter2};
    const auto rowAt = [&](int row) {
        Row texts;
        for (int i = 0; i < 6; ++i)
            texts[i] = rows->data(rows->index(row, textColumns[i])).toString();
        return texts;
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const int column : textColumns) rows->setData(rows->index(1, column), "old");
        w->edtTitle->setText("kept");
        w->AdobeCategory->setCurrentIndex(-1);
        w->ShutterCategory1->setCurrentIndex(-1);
        w->ShutterCategory2->setCurrentIndex(-1);
        w->AgencyCombo->setCurrentIndex(c.agency);
        w->CategoryCheck->setChecked(c.detect);
        TaggerProbe::session().setBatchProcessing(c.batch);
        TaggerProbe::session().setBatchProgress("Processing 2 of 3...");
        TaggerProbe::session().awaitReplyFor(1);
        server.queue(Reply(c.reply).delayed(200));

        QTest::mouseClick(w->cxButton5, Qt::LeftButton);
        EXPECT_EQ(status(), c.batch ? "Processing 2 of 3..." : "Analyzing: lake.jpg...");
        EXPECT_EQ(w->btnBatchTagging->isEnabled(), c.batch);  // a batch's "Cancel"
        ASSERT_TRUE(QTest::qWaitFor(idle, 10000));

        EXPECT_EQ(rowAt(1), c.row);
        EXPECT_EQ(rowAt(0), Row{});
        EXPECT_EQ(rowAt(2), Row{});
        EXPECT_EQ(shownFields(w), c.fields);
        EXPECT_EQ(TaggerProbe::session().rowAwaitingReply(), -1);
        EXPECT_EQ(status(), c.status);
    }
    TaggerProbe::session().setBatchProcessing(false);
}

}  // namespace
