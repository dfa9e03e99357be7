// The About window: its controls and links, and the information text fetched at every
// showing from a server of the test's own.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/form1.h"
#include "platform/widgets/edits.h"
#include "records/aboutfrm.h"
#include "tests/support/loopback_server.h"
#include "tests/support/program_fixture.h"

namespace {

using Reply = LoopbackServer::Reply;
using Framing = Reply::Framing;

class About : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        makeDatabase("DB/KeywordsDB.db");
        startProgram();
        about::setInfoCenterAddressForTests(server.url("/info.txt"));
        memo = AboutFrm->memoInfo;
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        about::setInfoCenterAddressForTests({});
    }

    // Shows the window, as the "Info Center" command does, and waits until the fetch
    // of this showing has been handled.
    void showAndWait() {
        const int before = handled();
        AboutFrm->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return handled() > before; }));
    }
    int handled() {
        if (!counter) {
            counter = std::make_unique<QSignalSpy>(AboutFrm, &TAboutFrm::infoCenterHandled);
        }
        return int(counter->size());
    }
    void closeWindow() {
        control<QPushButton>("cxButton1")->click();
        ASSERT_FALSE(AboutFrm->isVisible());
    }

    LoopbackServer server;
    TcxMemo* memo = nullptr;
    std::unique_ptr<QSignalSpy> counter;
};

TEST_F(About, WindowAndControls) {
    server.on("/info.txt", Reply::text(404, ""));
    handled();
    showAndWait();
    EXPECT_EQ(AboutFrm->windowTitle(), "About");
    EXPECT_EQ(AboutFrm->size(), QSize(397, 516));
    EXPECT_EQ(AboutFrm->minimumSize(), QSize(397, 516));
    EXPECT_EQ(AboutFrm->maximumSize(), QSize(397, 516));
    const Qt::WindowFlags flags = AboutFrm->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_EQ(AboutFrm->parentWidget(), Form1);
    // Centred on the main window.
    EXPECT_LE(
        (AboutFrm->frameGeometry().center() - Form1->frameGeometry().center()).manhattanLength(),
        4);

    struct Label {
        const char* name;
        const char* text;
        QPoint at;
    };
    for (const Label& l :
         {Label{"cxLabel1", "v1.01 x64", {105, 105}}, Label{"cxLabel4", "Quillmere ", {12, 217}},
          Label{"cxLabel5", "Technical support - suggestions", {218, 217}},
          Label{"cxLabel7", "Info center:", {9, 296}}}) {
        auto* label = control<QLabel>(l.name);
        ASSERT_TRUE(label);
        EXPECT_EQ(label->text(), QString::fromUtf8(l.text)) << l.name;
        // A caption may move left of its design place, only to stay inside the window.
        EXPECT_EQ(label->y(), l.at.y()) << l.name;
        EXPECT_LE(label->x(), l.at.x()) << l.name;
        EXPECT_LE(label->geometry().right(), 397 - 8) << l.name;
        EXPECT_TRUE(label->isVisible()) << l.name;
    }
    EXPECT_TRUE(control<QLabel>("cxLabel1")->font().bold());
    EXPECT_EQ(control<QLabel>("LinkLabel1")->text(), "<a href=\"#\">Pixolet webpage</a>");
    EXPECT_EQ(control<QLabel>("LinkLabel2")->text(), "<a href=\"#\">support@pixolet.app</a>");
    EXPECT_EQ(control<QLabel>("LinkLabel1")->geometry(), QRect(12, 240, 114, 19));
    EXPECT_EQ(control<QLabel>("LinkLabel2")->geometry().size(), QSize(155, 19));
    EXPECT_EQ(control<QLabel>("LinkLabel2")->x(), control<QLabel>("cxLabel5")->x());
    auto* banner = control<QLabel>("cxImage1");
    EXPECT_EQ(banner->geometry(), QRect(0, 0, 397, 145));
    ASSERT_FALSE(banner->pixmap().isNull());
    // The banner is drawn, not blank.
    const QImage picture = banner->pixmap().toImage();
    EXPECT_NE(picture.pixelColor(52, 62), picture.pixelColor(5, 5));
    EXPECT_EQ(memo->geometry(), QRect(9, 321, 378, 156));
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    auto* close = control<QPushButton>("cxButton1");
    EXPECT_EQ(close->text(), "Close");
    EXPECT_EQ(close->geometry(), QRect(271, 483, 115, 25));
    closeWindow();
}

TEST_F(About, LinksOpenTheirFixedAddresses) {
    server.on("/info.txt", Reply::text(404, ""));
    showAndWait();
    auto* web = control<QLabel>("LinkLabel1");
    QTest::mouseClick(web, Qt::LeftButton, {}, QPoint(20, web->height() / 2));
    emit control<QLabel>("LinkLabel2")->linkActivated(QStringLiteral("elsewhere"));
    EXPECT_EQ(shell.opened, (QStringList{"https://pixolet.app/", "mailto:support@pixolet.app"}));
    // Nothing is reported when no program takes the address.
    shell.result = false;
    emit web->linkActivated(QStringLiteral("#"));
    EXPECT_TRUE(dialogs.allTexts().isEmpty());
    closeWindow();
}

TEST_F(About, EveryShowingFetchesTheInformationText) {
    struct Case {
        const char* what;
        Reply reply;
        QString memo;  // the memo's text afterwards, when it held "old text" before
    };
    const Case cases[] = {
        {"200 with a body", Reply::text(200, "News\r\nline two\rline three\n"),
         "News\nline two\nline three\n"},
        {"200 empty", Reply::text(200, ""), ""},
        {"404", Reply::text(404, "not here"), "old text"},
        {"500", Reply::text(500, "broken"), "old text"},
        {"redirect", Reply::redirect("/second"), "from the second address"},
        {"redirect to 404", Reply::redirect("/missing", 301), "old text"},
        {"ISO-8859-1",
         Reply::text(200,
                     "Gr\xfc\xdf"
                     "e aus K\xf6ln",
                     "text/plain; charset=ISO-8859-1"),
         QStringLiteral("Grüße aus Köln")},
        {"no character set",
         Reply::text(200,
                     "Gr\xc3\xbc\xc3\x9f"
                     "e",
                     "text/plain"),
         QStringLiteral("Grüße")},
        {"closed without reply", Reply::closeWithoutReply(), "old text"},
        {"cut short", Reply::text(200, "whole text").cutShort(60), "old text"},
        // Up to the window's limit the text is shown; a longer one is a failed fetch.
        {"at the limit", Reply::streamed(about::kInfoCenterMaxBytes, Framing::Chunked),
         (QString(63, 'x') + '\n').repeated(about::kInfoCenterMaxBytes / 64)},
        {"over the limit, by its length",
         Reply::streamed(about::kInfoCenterMaxBytes + 1, Framing::Length), "old text"},
        {"over the limit, chunked",
         Reply::streamed(50 * about::kInfoCenterMaxBytes, Framing::Chunked), "old text"},
    };
    server.on("/second", Reply::text(200, "from the second address"));
    for (const Case& c : cases) {
        memo->setPlainText("old text");
        server.queue(c.reply);
        showAndWait();
        EXPECT_EQ(memo->toPlainText(), c.memo) << c.what;
        closeWindow();
    }
    for (const LoopbackServer::Request& r : server.requests()) {
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.header("User-Agent"),
                  "Mozilla/5.0 (Windows NT 10.0; Win64; x64) Chrome/120.0.0.0");
        EXPECT_TRUE(r.body.isEmpty());
    }
    EXPECT_TRUE(dialogs.allTexts().isEmpty());
}

TEST_F(About, NewTextStartsAtTheTop) {
    QByteArray text;
    for (int i = 1; i <= 300; ++i) text += "Line " + QByteArray::number(i) + "\n";
    server.on("/info.txt", Reply::text(200, text));
    memo->setPlainText(QString::fromLatin1(text + text));
    memo->moveCursor(QTextCursor::End);
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
    showAndWait();
    EXPECT_EQ(memo->toPlainText(), QString::fromLatin1(text));
    EXPECT_EQ(memo->textCursor().position(), 0);
    EXPECT_FALSE(memo->textCursor().hasSelection());
    EXPECT_EQ(memo->verticalScrollBar()->value(), 0);
    EXPECT_GT(memo->verticalScrollBar()->maximum(), 0);
}

TEST_F(About, AServerThatNeverAnswersLeavesTheWindowUsable) {
    server.on("/info.txt", Reply::never());
    handled();
    AboutFrm->show();
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_TRUE(AboutFrm->isVisible());
    closeWindow();
    // Showing again starts a new attempt, although the first one still waits.
    AboutFrm->show();
    ASSERT_TRUE(server.waitForRequests(2));
    closeWindow();
    EXPECT_EQ(handled(), 0);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

TEST_F(About, ALateReplyFillsTheHiddenWindow) {
    server.on("/info.txt", Reply::text(200, "late news").delayed(300));
    AboutFrm->show();
    ASSERT_TRUE(server.waitForRequests(1));
    closeWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo->toPlainText() == "late news"; }));
    EXPECT_FALSE(AboutFrm->isVisible());
}

TEST_F(About, TwoQuickShowingsTheLaterReplyWins) {
    server.queue(Reply::text(200, "first showing").delayed(400));
    server.queue(Reply::text(200, "second showing"));
    handled();
    AboutFrm->show();
    ASSERT_TRUE(server.waitForRequests(1));
    closeWindow();
    AboutFrm->show();
    // The second showing's reply comes first; the first showing's, arriving later, wins.
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo->toPlainText() == "second showing"; }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled() == 2; }));
    EXPECT_EQ(memo->toPlainText(), "first showing");
}

TEST_F(About, TheInfoCenterCommandShowsItModally) {
    server.on("/info.txt", Reply::text(200, "from the command"));
    handled();
    bool wasModal = false;
    QTimer::singleShot(0, AboutFrm, [&] {
        wasModal = QApplication::activeModalWidget() == AboutFrm;
        // The window does not wait for the fetch: it is up before the reply is shown.
        ASSERT_TRUE(QTest::qWaitFor([&] { return handled() == 1; }));
        closeWindow();
    });
    Form1->dxBarLargeButton4Click();
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(memo->toPlainText(), "from the command");
}

}  // namespace
