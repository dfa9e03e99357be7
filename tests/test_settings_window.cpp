// The Settings window: filling from the main window, each box's "Apply", the colour dialog,
// the palettes, the API key, the AI counter, the link, help and close.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <utility>

#include "app/form1.h"
#include "platform/ribbon/ribbon.h"
#include "platform/skin/skin.h"
#include "platform/widgets/edits.h"
#include "records/createcard.h"
#include "records/main_state.h"
#include "records/searchcard.h"
#include "records/settingsfrm.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/program_fixture.h"
#include "tests/support/window_checks.h"

namespace {

const QColor kDefaultRowColor(206, 223, 214);

class SettingsWindow : public ProgramFixture {
protected:
    void TearDown() override {
        skin::applyPalette(QStringLiteral("Calmness"));
        ProgramFixture::TearDown();
    }

    void start(const QString& ini = {}) {
        if (!ini.isEmpty()) writeSettings(ini);
        makeDatabase("DB/KeywordsDB.db", {{"Nature", "Sunset", "sun", "x"}});
        startProgram();
        dialogs.clear();
    }

    // Shows the window modally without waiting for it to close.
    static TSettingsFrm* showSettings() {
        SettingsFrm->open();
        EXPECT_TRUE(SettingsFrm->isVisible());
        return SettingsFrm;
    }
    static void click(const char* name) {
        QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton);
    }
    static void closeSettings() {
        click("cxButton1");
        EXPECT_FALSE(SettingsFrm->isVisible());
    }
    // Replaces a spin edit's text by typing, as the user does.
    static void type(QSpinBox* spin, const QString& text) {
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, text);
    }
    static void pickStyle(const QString& name) {
        auto* combo = control<QComboBox>("StyleCombo");
        combo->setCurrentIndex(combo->findText(name));
    }
    // The colour the grid paints its selected first row with: at the middle of its height,
    // left of the text (the style shades the row slightly from top to bottom).
    static QColor selectedRowColor() {
        Form1->showSearchCard();
        auto* grid = control<QTableView>("cxGrid1");
        grid->selectRow(0);
        const QImage image = grid->viewport()->grab().toImage();
        return image.pixelColor(1, grid->rowViewportPosition(0) + grid->rowHeight(0) / 2);
    }
    // The text colour of the grid's selected first row: of the pixels inside its cell that
    // shows a text, the one farthest from the row's colour.
    static QColor selectedRowTextColor() {
        const QColor row = selectedRowColor();
        auto* grid = control<QTableView>("cxGrid1");
        const QImage image = grid->viewport()->grab().toImage();
        const QModelIndex cell = grid->model()->index(0, 1);
        EXPECT_FALSE(cell.data().toString().isEmpty());
        const QRect inside = grid->visualRect(cell).adjusted(2, 2, -2, -2);
        QColor farthest = row;
        int distance = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const int d = std::abs(pixel.red() - row.red()) +
                              std::abs(pixel.green() - row.green()) +
                              std::abs(pixel.blue() - row.blue());
                if (d > distance) {
                    distance = d;
                    farthest = pixel;
                }
            }
        return farthest;
    }
    static bool near(const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6 &&
               std::abs(a.blue() - b.blue()) <= 6;
    }
};

TEST_F(SettingsWindow, FirstShowingShowsTheMainWindowsValuesInAFixedFrameAboveTheOthers) {
    start("[Annotation]\r\nFontSize=8\r\nFontStyle=Bold and Italic\r\nFontColor=255\r\n");
    TSettingsFrm* w = showSettings();
    EXPECT_EQ(w->windowTitle(), "Settings");
    EXPECT_EQ(w->size(), QSize(594, 517));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(w->isModal());

    EXPECT_EQ(control<QSpinBox>("TitleMax")->value(), 80);
    EXPECT_EQ(control<QSpinBox>("DescriptionMax")->value(), 200);
    EXPECT_EQ(control<QSpinBox>("TagsMax")->value(), 50);
    EXPECT_EQ(control<QComboBox>("StyleCombo")->currentText(), "Calmness");
    EXPECT_EQ(w->Shape1->brushColor(), kDefaultRowColor);
    EXPECT_EQ(control<QSpinBox>("FontSizeEdit")->value(), 8);
    EXPECT_EQ(control<QComboBox>("FontStyleEdit")->currentText(), "Bold and Italic");
    EXPECT_EQ(w->FontColorShape->brushColor(), QColor(255, 0, 0));
    EXPECT_TRUE(control<TcxTextEdit>("edtAPIKey")->text().isEmpty());

    // The swatch shows its colour, edge to edge.
    const QImage swatch = w->Shape1->grab().toImage();
    EXPECT_EQ(swatch.pixelColor(0, 0), kDefaultRowColor);
    EXPECT_EQ(swatch.pixelColor(swatch.width() - 1, swatch.height() - 1), kDefaultRowColor);

    // Every caption and item as the window shows them.
    const std::pair<const char*, const char*> captions[] = {
        {"cxButton5", "Reset to default"},       {"cxButton2", "Apply"}, {"cxButton4", "Change"},
        {"cxButton6", "Reset to default"},       {"cxButton3", "Apply"}, {"cxButton8", "Change"},
        {"cxButton9", "Reset to default"},       {"cxButton7", "Apply"}, {"cxButton10", "Apply"},
        {"btnResetAICount", "Reset AI Counter"}, {"cxButton11", "Help"}, {"cxButton1", "Close"},
    };
    for (const auto& [name, text] : captions)
        EXPECT_EQ(control<QPushButton>(name)->text(), text) << name;
    EXPECT_EQ(control<QLabel>("cxLabel1")->text(),
              "Please enter the maximum length of the data entry fields");
    EXPECT_TRUE(control<QLabel>("LinkLabel1")->text().contains("CLICK HERE"));
    QStringList styles, fontStyles;
    for (int i = 0; i < w->StyleCombo->count(); ++i) styles << w->StyleCombo->itemText(i);
    for (int i = 0; i < w->FontStyleEdit->count(); ++i) fontStyles << w->FontStyleEdit->itemText(i);
    EXPECT_EQ(styles, QStringList({"Calmness", "Clearness", "Office Colorful", "Office White"}));
    EXPECT_EQ(fontStyles, QStringList({"Regular", "Bold", "Italic", "Bold and Italic"}));
    EXPECT_FALSE(w->StyleCombo->isEditable());
    EXPECT_FALSE(w->FontStyleEdit->isEditable());
    closeSettings();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsWindow, LimitsApplyShowsTheNewLimitsInTheCountersWithoutRecolouring) {
    start();
    Form1->showCreateCard();
    auto* title = Form1->CreateCard->cxTextEdit1;
    title->setText(QString(75, 'x'));
    ASSERT_EQ(Form1->Label7->text(), "5");
    ASSERT_TRUE(isRed(Form1->Label7));

    showSettings();
    type(control<QSpinBox>("TitleMax"), "120");
    type(control<QSpinBox>("DescriptionMax"), "300");
    type(control<QSpinBox>("TagsMax"), "40");
    click("cxButton2");
    EXPECT_EQ(Form1->state().TitleMax(), 120);
    EXPECT_EQ(Form1->state().DescriptionMax(), 300);
    EXPECT_EQ(Form1->state().KeywordsMax(), 40);
    EXPECT_EQ(QStringList({Form1->Label7->text(), Form1->Label12->text(), Form1->Label9->text()}),
              QStringList({"120", "300", "40"}));
    EXPECT_TRUE(isRed(Form1->Label7));  // the colour follows at the next change
    closeSettings();

    // An empty title: one typed character leaves 119.
    title->clear();
    title->setFocus();
    QTest::keyClicks(title, "a");
    EXPECT_EQ(Form1->Label7->text(), "119");
    EXPECT_FALSE(isRed(Form1->Label7));
    // The raised limit can be typed up to.
    QTest::keyClicks(title, QString(130, 'b'));
    EXPECT_EQ(title->text().size(), 120);
    EXPECT_EQ(Form1->Label7->text(), "0");

    // A lowered limit keeps the text there and counts below zero.
    showSettings();
    type(control<QSpinBox>("TitleMax"), "100");
    click("cxButton2");
    closeSettings();
    QTest::keyClick(title, Qt::Key_Backspace);
    EXPECT_EQ(title->text().size(), 119);
    EXPECT_EQ(Form1->Label7->text(), "-19");
    EXPECT_TRUE(isRed(Form1->Label7));
}

TEST_F(SettingsWindow, SpinEditsKeepTheirValuesWithinTheirRanges) {
    start();
    showSettings();
    const struct {
        const char* spin;
        const char* typed;
        int value;
    } cases[] = {
        {"TitleMax", "5", 10},          {"TitleMax", "200", 200}, {"DescriptionMax", "2", 30},
        {"DescriptionMax", "500", 500}, {"TagsMax", "9", 20},     {"FontSizeEdit", "1", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spin);
        SCOPED_TRACE(c.typed);
        type(control<QSpinBox>(c.spin), QLatin1String(c.typed));
        click("cxButton2");
        click("cxButton7");
        EXPECT_EQ(control<QSpinBox>(c.spin)->value(), c.value);
    }
    EXPECT_EQ(Form1->state().TitleMax(), 200);
    EXPECT_EQ(Form1->state().DescriptionMax(), 500);
    EXPECT_EQ(Form1->state().KeywordsMax(), 20);
    EXPECT_EQ(Form1->state().AnnotationFontSize(), 6);
    // Past the top the arrows stay there.
    for (const char* name : {"TitleMax", "DescriptionMax", "TagsMax", "FontSizeEdit"}) {
        auto* spin = control<QSpinBox>(name);
        spin->setValue(spin->maximum());
        QTest::keyClick(spin, Qt::Key_Up);
        EXPECT_EQ(spin->value(), spin->maximum()) << name;
    }
    EXPECT_EQ(control<QSpinBox>("TitleMax")->maximum(), 200);
    EXPECT_EQ(control<QSpinBox>("DescriptionMax")->maximum(), 500);
    EXPECT_EQ(control<QSpinBox>("TagsMax")->maximum(), 200);
    EXPECT_EQ(control<QSpinBox>("FontSizeEdit")->maximum(), 10);
    closeSettings();
}

TEST_F(SettingsWindow, CloseWithoutApplyKeepsTheMainWindowAndTheNextShowingRefills) {
    start();
    // Through the "Settings" command, shown modally until "Close".
    bool checked = false;
    QTimer::singleShot(0, qApp, [&] {
        checked = true;
        EXPECT_EQ(QApplication::activeModalWidget(), SettingsFrm);
        type(control<QSpinBox>("TitleMax"), "150");
        pickStyle("Office White");
        control<QComboBox>("FontStyleEdit")->setCurrentIndex(1);
        control<TcxTextEdit>("edtAPIKey")->setText("typed key");
        click("cxButton1");
    });
    Form1->dxBarLargeButton8Click();
    ASSERT_TRUE(checked);
    EXPECT_FALSE(SettingsFrm->isVisible());
    EXPECT_EQ(Form1->state().TitleMax(), 80);
    EXPECT_EQ(Form1->Label7->text(), "80");
    EXPECT_EQ(skin::paletteName(), "Calmness");
    EXPECT_EQ(Form1->state().AnnotationFontStyle(), "Regular");
    EXPECT_EQ(Form1->state().APIKey(), "No");

    showSettings();
    EXPECT_EQ(control<QSpinBox>("TitleMax")->value(), 80);
    EXPECT_EQ(control<QComboBox>("StyleCombo")->currentText(), "Calmness");
    EXPECT_EQ(control<QComboBox>("FontStyleEdit")->currentText(), "Regular");
    // The key box alone keeps what was typed.
    EXPECT_EQ(control<TcxTextEdit>("edtAPIKey")->text(), "typed key");
    closeSettings();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsWindow, StyleApplyChangesThePaletteOfEveryOpenWindowAndTheGridsRowColour) {
    start();
    Form1->dxBarLargeButtonAIClick();  // the tagger open beside the main window
    ASSERT_TRUE(QTest::qWaitFor([] { return frmTaggerPro->isVisible(); }));
    TSettingsFrm* w = showSettings();
    ASSERT_TRUE(near(selectedRowColor(), kDefaultRowColor));

    // The dialog starts with the colour it showed last; a cancel changes nothing.
    dialogs.colorAnswers = {std::nullopt, 0x0000FF, 0x00FF00};
    click("cxButton4");
    EXPECT_EQ(w->Shape1->brushColor(), kDefaultRowColor);
    click("cxButton4");
    EXPECT_EQ(w->Shape1->brushColor(), QColor(255, 0, 0));
    // Not applied yet.
    EXPECT_EQ(Form1->SearchCard->cxStyle1->color(), kDefaultRowColor);
    pickStyle("Office Colorful");
    click("cxButton3");
    QApplication::processEvents();  // the windows take the palette as the event loop runs
    EXPECT_EQ(skin::paletteName(), "Office Colorful");
    const QColor window = skin::palette("Office Colorful").color(QPalette::Window);
    for (QWidget* open : {static_cast<QWidget*>(Form1), static_cast<QWidget*>(frmTaggerPro),
                          static_cast<QWidget*>(SettingsFrm)})
        EXPECT_EQ(open->palette().color(QPalette::Window), window)
            << open->objectName().toStdString();
    EXPECT_EQ(Form1->SearchCard->cxStyle1->color(), QColor(255, 0, 0));
    EXPECT_TRUE(near(selectedRowColor(), QColor(255, 0, 0)));

    // The font colour's dialog starts with the swatch's colour, then keeps its own.
    click("cxButton8");
    EXPECT_EQ(w->FontColorShape->brushColor(), QColor(0, 255, 0));
    dialogs.colorAnswers = {std::nullopt};
    click("cxButton4");
    EXPECT_EQ(dialogs.colorInitials, std::vector<int>({0, 0, 0, 0x00FF00}));

    // "Reset to default" applies at once.
    click("cxButton6");
    QApplication::processEvents();
    EXPECT_EQ(skin::paletteName(), "Calmness");
    EXPECT_EQ(Form1->palette().color(QPalette::Window),
              skin::palette("Calmness").color(QPalette::Window));
    EXPECT_EQ(control<QComboBox>("StyleCombo")->currentText(), "Calmness");
    EXPECT_EQ(w->Shape1->brushColor(), kDefaultRowColor);
    EXPECT_EQ(Form1->SearchCard->cxStyle1->color(), kDefaultRowColor);
    EXPECT_TRUE(near(selectedRowColor(), kDefaultRowColor));
    closeSettings();
    frmTaggerPro->close();
}

TEST_F(SettingsWindow, TheSelectedRowsTextIsWhiteOnADarkColourAndBlackOnALightOne) {
    start();
    showSettings();
    const struct {
        int colorValue;
        QColor text;
    } cases[] = {{0x800000, Qt::white},  // navy
                 {0x202020, Qt::white},
                 {0xCCFFFF, Qt::black},  // pale yellow
                 {0xD6DFCE, Qt::black}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.colorValue);
        dialogs.colorAnswers = {c.colorValue};
        click("cxButton4");
        click("cxButton3");
        QApplication::processEvents();
        ASSERT_TRUE(near(selectedRowColor(), skin::fromColorValue(c.colorValue)));
        const QColor text = selectedRowTextColor();
        EXPECT_LE(std::abs(text.lightness() - c.text.lightness()), 40) << text.name().toStdString();
    }
    closeSettings();
}

TEST_F(SettingsWindow, EveryPaletteHasItsOwnLook) {
    const QStringList names = skin::paletteNames();
    ASSERT_EQ(names, QStringList({"Calmness", "Clearness", "Office Colorful", "Office White"}));
    for (int i = 0; i < names.size(); ++i)
        for (int j = i + 1; j < names.size(); ++j) {
            const QPalette a = skin::palette(names[i]), b = skin::palette(names[j]);
            EXPECT_NE(a.color(QPalette::Window), b.color(QPalette::Window))
                << names[i].toStdString() << names[j].toStdString();
            EXPECT_NE(a.color(QPalette::Button), b.color(QPalette::Button));
            EXPECT_NE(a.color(QPalette::Highlight), b.color(QPalette::Highlight));
        }
    // Light surfaces with dark text, which the summary's white paper sits on.
    for (const QString& name : names) {
        const QPalette p = skin::palette(name);
        EXPECT_GT(p.color(QPalette::Window).lightness(), 180) << name.toStdString();
        EXPECT_LT(p.color(QPalette::WindowText).lightness(), 60) << name.toStdString();
    }
    // A name the list does not hold changes nothing.
    skin::applyPalette(QStringLiteral("Clearness"));
    skin::applyPalette(QStringLiteral("Offfice Colorful"));
    EXPECT_EQ(skin::paletteName(), "Clearness");
    EXPECT_EQ(QApplication::palette().color(QPalette::Window),
              skin::palette("Clearness").color(QPalette::Window));
}

TEST_F(SettingsWindow, TheTwoInertResetButtonsChangeNothing) {
    start();
    TSettingsFrm* w = showSettings();
    type(w->TitleMax, "120");
    type(w->FontSizeEdit, "7");
    w->FontStyleEdit->setCurrentIndex(2);
    const auto state = [w] {
        return QStringList({QString::number(Form1->state().TitleMax()),
                            QString::number(Form1->state().DescriptionMax()),
                            QString::number(Form1->state().KeywordsMax()), Form1->Label7->text(),
                            Form1->Label12->text(), Form1->Label9->text(),
                            QString::number(Form1->state().AnnotationFontSize()),
                            Form1->state().AnnotationFontStyle(),
                            QString::number(Form1->state().AnnotationFontColor()),
                            w->TitleMax->text(), w->FontSizeEdit->text(),
                            w->FontStyleEdit->currentText()});
    };
    const QStringList before = state();
    click("cxButton5");
    click("cxButton9");
    EXPECT_EQ(state(), before);
    closeSettings();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsWindow, AnnotationApplyWritesTheStyleThatTheSummaryAndTheSettingsFileUse) {
    start("[Annotation]\r\nFontStyle=Fancy\r\n");
    TSettingsFrm* w = showSettings();
    // A stored style outside the list is no choice: applied, it is empty.
    EXPECT_EQ(w->FontStyleEdit->currentIndex(), -1);
    click("cxButton7");
    EXPECT_EQ(Form1->state().AnnotationFontStyle(), "");

    type(w->FontSizeEdit, "7");
    w->FontStyleEdit->setCurrentIndex(1);
    dialogs.colorAnswers = {0xFF0000};  // blue
    click("cxButton8");
    EXPECT_EQ(Form1->state().AnnotationFontColor(), 0);  // not before "Apply"
    click("cxButton7");
    EXPECT_EQ(Form1->state().AnnotationFontSize(), 7);
    EXPECT_EQ(Form1->state().AnnotationFontStyle(), "Bold");
    EXPECT_EQ(Form1->state().AnnotationFontColor(), 0xFF0000);
    closeSettings();

    ASSERT_TRUE(closeProgram());
    const QString ini = readSettings();
    EXPECT_TRUE(ini.contains("FontSize=7")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("FontStyle=Bold\r\n"));
    EXPECT_TRUE(ini.contains("FontColor=16711680"));
}

TEST_F(SettingsWindow, ApiKeyIsAppliedExactlyAsTyped) {
    start();
    showSettings();
    for (const QString& typed : {QStringLiteral("  key with blanks "), QString()}) {
        control<TcxTextEdit>("edtAPIKey")->setText(typed);
        click("cxButton10");
        EXPECT_EQ(Form1->state().APIKey(), typed);
    }
    closeSettings();
    // An empty key is a key: the tagger does not ask for one.
    Form1->dxBarLargeButtonAIClick();
    ASSERT_TRUE(QTest::qWaitFor([] { return frmTaggerPro->isVisible(); }));
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    frmTaggerPro->close();
}

// A key copied with line breaks (from a mail or a web page) is applied without them: the
// settings file keeps it as one setting, and the rest of the paste cannot become settings
// of its own at the next start.
TEST_F(SettingsWindow, ApiKeyPastedWithLineBreaksIsAppliedWithoutThem) {
    start();
    showSettings();
    auto* edit = control<TcxTextEdit>("edtAPIKey");
    QApplication::clipboard()->setText(" KEY\r\n[TextMax]\r\nTitle=5\n");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    click("cxButton10");
    EXPECT_EQ(Form1->state().APIKey(), " KEY[TextMax]Title=5");
    closeSettings();

    ASSERT_TRUE(closeProgram());
    const QString ini = readSettings();
    EXPECT_TRUE(ini.contains("GeminiKey= KEY[TextMax]Title=5\r\n")) << ini.toStdString();
    EXPECT_FALSE(ini.contains("\nTitle=")) << ini.toStdString();
    endProgram();
    startProgram();
    EXPECT_EQ(Form1->state().TitleMax(), 80);
    EXPECT_EQ(Form1->state().APIKey(), " KEY[TextMax]Title=5");
    EXPECT_TRUE(dialogs.allTexts().isEmpty());
}

TEST_F(SettingsWindow, ResetAICounterShowsZeroInTheOpenTaggerAtOnce) {
    start("[AISettings]\r\nCounter=7\r\n");
    ASSERT_EQ(Form1->state().AICounter(), 7);
    Form1->dxBarLargeButtonAIClick();
    ASSERT_TRUE(QTest::qWaitFor([] { return frmTaggerPro->isVisible(); }));
    ASSERT_EQ(frmTaggerPro->lblAICount->text(), "7");
    showSettings();
    click("btnResetAICount");
    EXPECT_EQ(Form1->state().AICounter(), 0);
    EXPECT_EQ(frmTaggerPro->lblAICount->text(), "0");

    // Without a tagger window only the main window's counter is reset.
    Form1->state().setAICounter(3);
    TfrmTaggerPro* tagger = std::exchange(frmTaggerPro, nullptr);
    click("btnResetAICount");
    frmTaggerPro = tagger;
    EXPECT_EQ(Form1->state().AICounter(), 0);
    closeSettings();
    frmTaggerPro->close();
}

TEST_F(SettingsWindow, LinkOpensTheApiKeyPageAndHelpTheSettingsTopic) {
    start();
    showSettings();
    shell.result = false;  // a page the desktop cannot open is not reported
    QTest::mouseClick(control<QLabel>("LinkLabel1"), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(shell.opened, QStringList{"https://aistudio.google.com/app/apikey"});
    EXPECT_TRUE(dialogs.shown.empty());

    click("cxButton11");
    EXPECT_EQ(dialogs.texts("message"),
              QStringList{"Help file not found at: " + path("Help/Settings/index.html")});
    QDir().mkpath(path("Help/Settings"));
    QFile page(path("Help/Settings/index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    shell.result = true;
    click("cxButton11");
    EXPECT_EQ(shell.opened.last(), path("Help/Settings/index.html"));
    EXPECT_TRUE(SettingsFrm->isVisible());
    closeSettings();
}

}  // namespace
