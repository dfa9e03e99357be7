// Window bounds on a real X desktop with a reparenting window manager, which draws a frame
// that the window system reports only once the window is on the screen.
#include <QRegularExpression>
#include <QTest>
#include <QWindow>

#include "app/form1.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/desktop.h"
#include "tests/support/program_fixture.h"

namespace {

class DesktopTest : public ProgramFixture {
protected:
    void SetUp() override {
        if (!desktop::available()) GTEST_SKIP() << desktop::why().toStdString();
        ProgramFixture::SetUp();
        makeDatabase("DB/KeywordsDB.db");
    }

    // Waits until the window manager has framed the window and it stands where expected. The
    // frame is asked of the window system each time (the widget's own copy of it can lag behind
    // a frame the window manager drew again when the window was shown again).
    static void expectFramedAt(QWidget* window, const QRect& outer) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        QWindow* handle = window->windowHandle();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return !handle->frameMargins().isNull() && handle->frameGeometry() == outer; },
            3000))
            << "framed at " << testing::PrintToString(handle->frameGeometry()) << ", margins "
            << handle->frameMargins().top();
    }

    // The bounds a section of the settings file holds.
    QRect stored(const char* section) const {
        QMap<QString, int> values;
        bool inSection = false;
        for (const QString& line : readSettings().split(QRegularExpression("\r\n|\n"))) {
            if (line.startsWith('[')) inSection = line == QLatin1Char('[') + section + ']';
            if (inSection && line.contains('='))
                values[line.section('=', 0, 0)] = line.section('=', 1).toInt();
        }
        return QRect(values["Left"], values["Top"], values["Width"], values["Height"]);
    }
};

TEST_F(DesktopTest, StoredBoundsStayExactlyAsStoredRunAfterRun) {
    writeSettings("[MainForm]\nWidth=1100\nHeight=780\nLeft=40\nTop=50\n");
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        startProgram();
        expectFramedAt(Form1, QRect(40, 50, 1100, 780));
        EXPECT_EQ(Form1->outerGeometry(), QRect(40, 50, 1100, 780));
        ASSERT_TRUE(closeProgram());
        EXPECT_EQ(stored("MainForm"), QRect(40, 50, 1100, 780));
        endProgram();
    }
}

// The minimum outer size holds with the frame the window manager really draws: 1067 x 764 at
// the designed place without stored bounds, 1067 x 725 with them.
TEST_F(DesktopTest, TheMinimumIsTheOuterSizeWithTheFrameDrawn) {
    const struct {
        const char* ini;
        QRect outer;
    } cases[] = {
        {"", QRect(0, 0, 1067, 764)},
        {"[MainForm]\nWidth=300\nHeight=200\nLeft=40\nTop=50\n", QRect(40, 50, 1067, 725)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        writeSettings(c.ini);
        startProgram();
        expectFramedAt(Form1, c.outer);
        ASSERT_TRUE(closeProgram());
        EXPECT_EQ(stored("MainForm"), c.outer);
        endProgram();
    }
}

// The tagger's window, shown and closed again and again in one run, keeps its bounds too.
TEST_F(DesktopTest, TheTaggerKeepsItsStoredBoundsShowingAfterShowing) {
    writeSettings("[frmAITagger]\nWidth=1200\nHeight=900\nLeft=30\nTop=40\n");
    startProgram();
    for (int showing = 1; showing <= 3; ++showing) {
        SCOPED_TRACE(showing);
        frmTaggerPro->show();
        expectFramedAt(frmTaggerPro, QRect(30, 40, 1200, 900));
        frmTaggerPro->close();
        EXPECT_EQ(stored("frmAITagger"), QRect(30, 40, 1200, 900));
    }
}

}  // namespace
