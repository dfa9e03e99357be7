#pragma once

// Checks shared by the tests of the program's dialogs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <utility>
#include <vector>

#include "platform/widgets/edits.h"
#include "tests/support/program_fixture.h"

// A window of fixed size, above the others, without system menu and title-bar buttons.
inline void expectFixedTopDialog(const QWidget* window, const QString& title, QSize size) {
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinMaxButtonsHint));
}

// Each control's caption: a label's or button's text, a group box's title.
inline void expectCaptions(const std::vector<std::pair<const char*, const char*>>& captions) {
    for (const auto& [name, caption] : captions) {
        const QWidget* widget = ProgramFixture::control(name);
        if (!widget) continue;
        const QVariant text = widget->property("text");
        EXPECT_EQ(text.isValid() ? text.toString() : widget->property("title").toString(), caption)
            << name;
    }
}

// Whether command shows window modally; close ends the showing.
inline bool commandShowsModally(QAction* command, QDialog* window, QAbstractButton* close) {
    bool modal = false;
    QMetaObject::invokeMethod(
        window,
        [&] {
            modal = QApplication::activeModalWidget() == window;
            close->click();
        },
        Qt::QueuedConnection);
    command->trigger();
    return modal && !window->isVisible();
}

// Whether a label's text shows in pure red.
inline bool isRed(const QLabel* label) {
    return label->palette().color(QPalette::WindowText) == QColor(255, 0, 0);
}
