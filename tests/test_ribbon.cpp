// The ribbon layer: buttons per layout, hidden commands, the simplified row's overflow.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "platform/ribbon/ribbon.h"
#include "platform/skin/skin.h"

namespace {

struct Ribbon {
    QWidget window;
    TdxRibbon* ribbon = new TdxRibbon(&window);
    TdxBarLargeButton* open = nullptr;
    TdxBarLargeButton* hidden = nullptr;
    TdxBarSubItem* menu = nullptr;
    QList<TdxBarItem*> commands;

    Ribbon() {
        TdxRibbonTab* tab = ribbon->addTab(QStringLiteral("Home"));
        TdxRibbonGroup* files = tab->addGroup(QStringLiteral("Files"));
        open = files->addLargeButton(QStringLiteral("openButton"), QStringLiteral("Open the file"),
                                     QStringLiteral(":/icons/create.svg"));
        open->setHint(QStringLiteral("Opens a file"));
        hidden = files->addLargeButton(QStringLiteral("hiddenButton"), QStringLiteral("Hidden"),
                                       QStringLiteral(":/icons/search.svg"));
        hidden->setVisible(false);
        files->addSeparator();
        menu = files->addSubItem(QStringLiteral("menuButton"), QStringLiteral("More"),
                                 QStringLiteral(":/icons/database.svg"));
        menu->addItem(QStringLiteral("firstItem"), QStringLiteral("First"));
        TdxRibbonGroup* tools = tab->addGroup(QStringLiteral("Tools"));
        commands = {open, hidden, menu};
        for (const char* name : {"toolA", "toolB", "toolC", "toolD"})
            commands << tools->addLargeButton(QLatin1String(name),
                                              QStringLiteral("Tool with a long caption"),
                                              QStringLiteral(":/icons/settings.svg"));
        ribbon->addTab(QStringLiteral("Second"))->addGroup(QStringLiteral("Other"));
        window.resize(1000, 300);
        ribbon->setGeometry(0, 0, 1000, ribbon->height());
        window.show();
        QApplication::processEvents();
    }

    QList<QToolButton*> buttonsNamed(const QString& name) const {
        return ribbon->findChildren<QToolButton*>(name);
    }
};

TEST(Ribbon, EachLayoutShowsOneButtonPerCommand) {
    Ribbon r;
    QSignalSpy changed(r.ribbon, &TdxRibbon::layoutChanged);
    int opened = 0;
    QObject::connect(r.open, &QAction::triggered, r.ribbon, [&] { ++opened; });

    const std::pair<TdxRibbon::Layout, int> layouts[] = {{TdxRibbon::Layout::Classic, 32},
                                                         {TdxRibbon::Layout::Simplified, 16},
                                                         {TdxRibbon::Layout::Default, 32}};
    for (const auto& [layout, glyph] : layouts) {
        SCOPED_TRACE(static_cast<int>(layout));
        r.ribbon->setRibbonLayout(layout);
        QApplication::processEvents();
        EXPECT_EQ(r.ribbon->height(), layout == TdxRibbon::Layout::Simplified
                                          ? TdxRibbon::kSimplifiedHeight
                                          : TdxRibbon::kFullHeight);
        for (TdxBarItem* item : r.commands) {
            const QList<QToolButton*> buttons = r.buttonsNamed(item->objectName());
            ASSERT_EQ(buttons.size(), 1) << item->objectName().toStdString();
            EXPECT_EQ(buttons.front(), r.ribbon->buttonFor(item));
            EXPECT_EQ(buttons.front()->iconSize(), QSize(glyph, glyph));
            EXPECT_EQ(buttons.front()->isVisible(), item != r.hidden);
        }
        QToolButton* open = r.ribbon->buttonFor(r.open);
        EXPECT_EQ(open->toolTip(), "Opens a file");
        EXPECT_EQ(r.ribbon->buttonFor(r.menu)->menu(), r.menu->popupMenu());
        const int before = opened;
        QTest::mouseClick(open, Qt::LeftButton);
        EXPECT_EQ(opened, before + 1);
    }
    EXPECT_EQ(changed.count(), 3);
    r.ribbon->setRibbonLayout(TdxRibbon::Layout::Default);
    EXPECT_EQ(changed.count(), 3);

    // A command shown later gets its button shown, in whichever layout.
    r.hidden->setVisible(true);
    EXPECT_TRUE(r.ribbon->buttonFor(r.hidden)->isVisible());
}

TEST(Ribbon, SimplifiedRowKeepsEveryCommandWithinReach) {
    Ribbon r;
    r.ribbon->setRibbonLayout(TdxRibbon::Layout::Simplified);
    // The overflow button of the row on show (each tab has its own).
    auto* overflow = r.ribbon->buttonFor(r.open)->parentWidget()->findChild<QToolButton*>(
        QStringLiteral("ribbonOverflow"));
    ASSERT_NE(overflow, nullptr);

    // Wide: every visible command on its own button with its caption; no overflow.
    QApplication::processEvents();
    EXPECT_FALSE(overflow->isVisible());
    for (TdxBarItem* item : r.commands) {
        if (item != r.hidden) {
            EXPECT_EQ(r.ribbon->buttonFor(item)->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        }
    }

    // Narrow: some commands shrink to their glyphs, the rest wait behind the overflow
    // button; each visible command is reachable exactly once, the hidden one nowhere.
    for (int width : {520, 260, 120}) {
        SCOPED_TRACE(width);
        r.ribbon->setFixedWidth(width);
        QApplication::processEvents();
        QList<QAction*> behind =
            overflow->isVisible() ? overflow->menu()->actions() : QList<QAction*>{};
        for (TdxBarItem* item : r.commands) {
            SCOPED_TRACE(item->objectName().toStdString());
            QToolButton* button = r.ribbon->buttonFor(item);
            auto* sub = qobject_cast<TdxBarSubItem*>(item);
            const bool inMenu = behind.contains(sub ? sub->popupMenu()->menuAction() : item);
            if (item == r.hidden) {
                EXPECT_FALSE(button->isVisible() || inMenu);
                continue;
            }
            EXPECT_NE(button->isVisible(), inMenu);
            if (button->isVisible()) {
                EXPECT_LE(button->geometry().right(), button->parentWidget()->width());
                if (button->toolButtonStyle() == Qt::ToolButtonIconOnly && item->hint().isEmpty()) {
                    EXPECT_EQ(button->toolTip(), item->text());
                }
            }
        }
        if (width == 120) {
            EXPECT_TRUE(overflow->isVisible());
        }
    }
}

TEST(Ribbon, TheUserPicksTheLayoutFromTheRibbon) {
    Ribbon r;
    auto* menu = r.ribbon->findChild<QMenu*>(QStringLiteral("ribbonLayoutMenu"));
    ASSERT_NE(menu, nullptr);
    const auto checked = [menu] {
        QStringList names;
        for (QAction* choice : menu->actions())
            if (choice->isChecked()) names << choice->text();
        return names;
    };
    EXPECT_EQ(checked(), QStringList{"Default"});
    menu->actions().at(2)->trigger();
    EXPECT_EQ(r.ribbon->ribbonLayout(), TdxRibbon::Layout::Simplified);
    // A layout set by the program shows in the menu as well.
    r.ribbon->setRibbonLayout(TdxRibbon::Layout::Classic);
    EXPECT_EQ(checked(), QStringList{"Classic"});
}

TEST(Ribbon, FollowsTheProgramsPalette) {
    Ribbon r;
    auto* pages = r.ribbon->findChild<QWidget*>(QStringLiteral("ribbonPages"));
    const QString before = pages->styleSheet();
    skin::applyPalette(QStringLiteral("Office Colorful"));
    QApplication::processEvents();
    EXPECT_NE(pages->styleSheet(), before);
    skin::applyPalette(QStringLiteral("Calmness"));
    QApplication::processEvents();
    EXPECT_EQ(pages->styleSheet(), before);
}

}  // namespace
