// Windows on a real X desktop with a reparenting window manager, which draws a frame that the
// window system reports only once the window is on the screen: their bounds and places, and
// the titles their title bars show.
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstring>
#include <functional>

#include "app/form1.h"
#include "platform/dialogs/dialogs.h"
#include "platform/widgets/window_place.h"
#include "records/aboutfrm.h"
#include "records/backupform.h"
#include "records/groupfrm.h"
#include "records/settingsfrm.h"
#include "tagging/frmdicteditor.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/desktop.h"
#include "tests/support/program_fixture.h"

namespace {

// A property of an X window as the X server holds it (what the window manager reads), with the
// format of its items (8, 16 or 32 bits); none when it is not set with that type.
struct Property {
    QByteArray value;
    int format = 0;
};
Property property(xcb_window_t window, const char* name, const char* type) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return {};
    const auto atom = [c](const char* atomName) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(qstrlen(atomName)), atomName), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    };
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom(name), atom(type), 0, 4096), nullptr);
    Property result;
    if (reply && reply->type == atom(type)) {
        result.format = reply->format;
        result.value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                                  xcb_get_property_value_length(reply));
    }
    std::free(reply);
    return result;
}

QString windowText(const QWidget* window, const char* name, const char* type) {
    return QString::fromUtf8(
        property(static_cast<xcb_window_t>(window->winId()), name, type).value);
}

// The managed windows from the bottom of the stack to its top, as the window manager has them.
QList<WId> stacking() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const Property list = property(root, "_NET_CLIENT_LIST_STACKING", "WINDOW");
    QList<WId> windows;
    for (qsizetype i = 0; list.format == 32 && i + 4 <= list.value.size(); i += 4) {
        quint32 id = 0;
        std::memcpy(&id, list.value.constData() + i, 4);
        windows << id;
    }
    return windows;
}

// The title the window manager shows for a window: its _NET_WM_NAME, and its WM_NAME for
// window managers of the older conventions.
void expectTitleBar(const QWidget* window, const QString& caption) {
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_EQ(windowText(window, "_NET_WM_NAME", "UTF8_STRING"), caption);
    EXPECT_EQ(windowText(window, "WM_NAME", "STRING"), caption);
}

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
        // The widget's own geometry too: under load it can follow the window system's a
        // little later, and what the window stores at its close is read from it.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return !handle->frameMargins().isNull() && handle->frameGeometry() == outer &&
                       window->geometry().marginsAdded(handle->frameMargins()) == outer;
            },
            3000))
            << "framed at " << testing::PrintToString(handle->frameGeometry()) << ", margins "
            << handle->frameMargins().top();
    }

    // Runs show with the real dialogs; look sees the box or file dialog that it opens, once
    // the window manager has framed it, and the box is closed then.
    void seeRealDialog(const std::function<void()>& show,
                       const std::function<void(QDialog*)>& look) {
        dialogs::install(nullptr);
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!box) {
                ADD_FAILURE() << "no dialog";
                return;
            }
            EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
            EXPECT_TRUE(QTest::qWaitFor(
                [box] { return !box->windowHandle()->frameMargins().isNull(); }, 3000));
            look(box);
            box->reject();
        });
        show();
        dialogs::install(&dialogs);
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

// Every title bar shows the window's own caption, the message boxes' included, with nothing
// added to it.
TEST_F(DesktopTest, TitleBarsShowTheWindowsCaptions) {
    startProgram();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    expectTitleBar(Form1, "Pixolet");
    const std::pair<QWidget*, const char*> windows[] = {
        {frmTaggerPro, "AI Tagger"},
        {SettingsFrm, "Settings"},
        {GroupFrm, "Group Administration"},
        {BackupForm, "Backup and Restore"},
        {AboutFrm, "About"},
        {frmDictEditor, "Getty dictionary editor"},
    };
    for (const auto& [window, caption] : windows) {
        SCOPED_TRACE(caption);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        expectTitleBar(window, caption);
        window->hide();
    }
    seeRealDialog([] { dialogs::get().message("Done"); },
                  [](QDialog* box) { expectTitleBar(box, "Pixolet"); });
    seeRealDialog(
        [] {
            dialogs::FileRequest request;
            request.title = "Open database";
            request.filter = "Database|*.db";
            dialogs::get().openFile(request);
        },
        [](QDialog* dialog) { expectTitleBar(dialog, "Open database"); });
}

// The windows centred on the main window stand there from their first showing on, and at the
// same place at every showing.
TEST_F(DesktopTest, CentredWindowsStandOnTheMainWindowsCentreAtEveryShowing) {
    writeSettings("[MainForm]\nWidth=1100\nHeight=800\nLeft=300\nTop=150\n");
    startProgram();
    expectFramedAt(Form1, QRect(300, 150, 1100, 800));
    const QPoint mainCentre = outerCentre(Form1);
    for (QWidget* window : std::initializer_list<QWidget*>{SettingsFrm, AboutFrm, GroupFrm,
                                                           BackupForm, frmDictEditor}) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        QRect first;
        for (int showing = 1; showing <= 3; ++showing) {
            SCOPED_TRACE(showing);
            window->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
            QWindow* handle = window->windowHandle();
            const auto centre = [handle] {
                const QRect outer = handle->frameGeometry();
                return QPoint(outer.left() + outer.width() / 2, outer.top() + outer.height() / 2);
            };
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return !handle->frameMargins().isNull() && centre() == mainCentre; }, 3000))
                << "framed at " << testing::PrintToString(handle->frameGeometry());
            if (showing == 1) first = handle->frameGeometry();
            EXPECT_EQ(handle->frameGeometry(), first);
            window->hide();
        }
    }
}

// A box centred on the screen stands there under the window manager too, whatever the place of
// the main window, and belongs to the window in front: it opens above a window that stays on
// top of the others.
TEST_F(DesktopTest, BoxesCentredOnTheScreenStandThereAboveTheWindowInFront) {
    writeSettings("[MainForm]\nWidth=1100\nHeight=800\nLeft=40\nTop=30\n");
    startProgram();
    expectFramedAt(Form1, QRect(40, 30, 1100, 800));
    const QRect area = Form1->screen()->availableGeometry();
    const QPoint screenCentre(area.left() + area.width() / 2, area.top() + area.height() / 2);
    const auto centreOf = [](const QWindow* window) {
        const QRect outer = window->frameGeometry();
        return QPoint(outer.left() + outer.width() / 2, outer.top() + outer.height() / 2);
    };
    const std::pair<const char*, std::function<void()>> boxes[] = {
        {"message", [] { dialogs::get().message("Done", dialogs::Place::ScreenCentre); }},
        {"question",
         [] {
             dialogs::get().confirm("Sure?", dialogs::Icon::Warning, dialogs::Place::ScreenCentre);
         }},
    };
    for (QWidget* front : std::initializer_list<QWidget*>{Form1, SettingsFrm}) {
        if (front != Form1) {
            qobject_cast<QDialog*>(front)->open();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(front));
        }
        for (const auto& [name, show] : boxes) {
            SCOPED_TRACE(name);
            SCOPED_TRACE(front->windowTitle().toStdString());
            ASSERT_TRUE(QTest::qWaitForWindowActive(front));
            seeRealDialog(show, [&](QDialog* box) {
                QWindow* handle = box->windowHandle();
                EXPECT_TRUE(QTest::qWaitFor([&] { return centreOf(handle) == screenCentre; }, 3000))
                    << "framed at " << testing::PrintToString(handle->frameGeometry());
                EXPECT_EQ(box->parentWidget(), front);
                const QList<WId> stack = stacking();
                EXPECT_GT(stack.indexOf(box->winId()), stack.indexOf(front->winId()));
            });
        }
        if (front != Form1) front->hide();
    }
}

}  // namespace
