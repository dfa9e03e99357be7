// The real message boxes: where the placed ones stand, and which window they belong to.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "platform/dialogs/dialogs.h"
#include "platform/widgets/window_place.h"

namespace {

// Runs show, and while its box is up, looks at the box and presses its first button.
QRect boxSeenDuring(const std::function<void()>& show, QWidget** owner = nullptr) {
    QRect seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no box";
            return;
        }
        seen = box->frameGeometry();
        if (owner) *owner = box->parentWidget();
        box->buttons().first()->click();
    });
    show();
    return seen;
}

TEST(PlacedBoxes, StandWhereTheyAreAsked) {
    const QRect message = boxSeenDuring([] { dialogs::get().messageAt("Placed", QPoint(40, 60)); });
    EXPECT_EQ(message.topLeft(), QPoint(40, 60));
    const QRect question = boxSeenDuring(
        [] { dialogs::get().confirmAt("Sure?", dialogs::Icon::Warning, QPoint(400, 300)); });
    EXPECT_LE((question.center() - QPoint(400, 300)).manhattanLength(), 2) << question.x();
}

// A window that stays above the others would hide a box that belonged to another window.
TEST(PlacedBoxes, BelongToTheModalWindowInFront) {
    QWidget main;
    main.show();
    QDialog front(&main);
    makeFixedTopDialog(&front, QSize(200, 100));
    front.open();
    QWidget* owner = nullptr;
    boxSeenDuring([] { dialogs::get().message("Done"); }, &owner);
    EXPECT_EQ(owner, &front);
    front.close();
}

// A box centred on the screen stands there wherever the window in front is, and still belongs
// to that window.
TEST(PlacedBoxes, CentredOnTheScreenWhereverTheWindowInFrontIs) {
    QWidget main;
    main.setGeometry(10, 10, 300, 200);
    main.show();
    QDialog front(&main);
    makeFixedTopDialog(&front, QSize(200, 100));
    front.move(20, 20);
    front.open();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint centre(area.left() + area.width() / 2, area.top() + area.height() / 2);
    QWidget* owner = nullptr;
    const QRect message =
        boxSeenDuring([] { dialogs::get().message("Done", dialogs::Place::ScreenCentre); }, &owner);
    EXPECT_LE((message.center() - centre).manhattanLength(), 2)
        << message.x() << ',' << message.y();
    EXPECT_EQ(owner, &front);
    const QRect question = boxSeenDuring(
        [] {
            dialogs::get().confirm("Sure?", dialogs::Icon::Warning, dialogs::Place::ScreenCentre);
        },
        &owner);
    EXPECT_LE((question.center() - centre).manhattanLength(), 2)
        << question.x() << ',' << question.y();
    EXPECT_EQ(owner, &front);
    front.close();
}

}  // namespace
