// The real message boxes: where the placed ones stand, and which window they belong to.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
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

}  // namespace
