#pragma once

#include <QAction>
#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QMenu;
class QTabBar;
class QStackedWidget;
class QToolButton;
class TdxRibbon;
class TdxRibbonTab;

// A command of the ribbon. Its text is the caption, its shortcut a key binding of the
// window that holds the ribbon. The ribbon draws one button per command in the current
// layout; that button carries the command's object name, so it can be found by name.
class TdxBarItem : public QAction {
    Q_OBJECT
public:
    TdxBarItem(const QString& name, const QString& caption, QObject* parent);

    // The text shown when the pointer rests on the command; empty: none.
    QString hint() const { return m_hint; }
    void setHint(const QString& hint);

    // The command's glyph: a resource path of an SVG image drawn at 32 x 32
    // (16 x 16 in the simplified layout); empty: none.
    QString glyph() const { return m_glyph; }
    void setGlyph(const QString& resourcePath);

private:
    QString m_hint;
    QString m_glyph;
};

// A large button: its glyph above its caption.
class TdxBarLargeButton : public TdxBarItem {
    Q_OBJECT
public:
    using TdxBarItem::TdxBarItem;
};

// An item of a drop-down menu.
class TdxBarButton : public TdxBarItem {
    Q_OBJECT
public:
    using TdxBarItem::TdxBarItem;
};

// A button that opens a menu of items.
class TdxBarSubItem : public TdxBarItem {
    Q_OBJECT
public:
    TdxBarSubItem(const QString& name, const QString& caption, QObject* parent);
    ~TdxBarSubItem() override;

    TdxBarButton* addItem(const QString& name, const QString& caption);
    QList<TdxBarButton*> items() const { return m_items; }
    QMenu* popupMenu() const { return m_menu; }

signals:
    void itemAdded(TdxBarButton* item);

private:
    QMenu* m_menu;
    QList<TdxBarButton*> m_items;
};

// A captioned group of commands on a tab. A null entry is a separator.
class TdxRibbonGroup : public QObject {
    Q_OBJECT
public:
    TdxRibbonGroup(const QString& caption, TdxRibbonTab* tab);

    QString caption() const { return m_caption; }
    QList<TdxBarItem*> entries() const { return m_entries; }

    TdxBarLargeButton* addLargeButton(const QString& name, const QString& caption,
                                      const QString& glyph = {});
    TdxBarSubItem* addSubItem(const QString& name, const QString& caption,
                              const QString& glyph = {});
    void addSeparator();

private:
    void add(TdxBarItem* item);

    TdxRibbonTab* m_tab;
    QString m_caption;
    QList<TdxBarItem*> m_entries;
};

// A tab of the ribbon: its groups, left to right.
class TdxRibbonTab : public QObject {
    Q_OBJECT
public:
    TdxRibbonTab(const QString& caption, TdxRibbon* ribbon);

    QString caption() const { return m_caption; }
    QList<TdxRibbonGroup*> groups() const { return m_groups; }
    TdxRibbonGroup* addGroup(const QString& caption);
    TdxRibbon* ribbon() const { return m_ribbon; }

private:
    TdxRibbon* m_ribbon;
    QString m_caption;
    QList<TdxRibbonGroup*> m_groups;
};

// The ribbon: tabs of captioned command groups above the window's client area.
// Default and Classic are full ribbons (large glyphs above their captions, group
// captions below); Simplified is one compact row of small glyphs beside their captions,
// with the commands that do not fit behind an overflow button. The user picks the layout
// from the button at the right end of the tab row.
class TdxRibbon : public QWidget {
    Q_OBJECT
public:
    enum class Layout { Default = 0, Classic = 1, Simplified = 2 };

    explicit TdxRibbon(QWidget* parent = nullptr);

    Layout ribbonLayout() const { return m_layout; }
    void setRibbonLayout(Layout layout);

    TdxRibbonTab* addTab(const QString& caption);
    QList<TdxRibbonTab*> tabs() const { return m_tabs; }
    int activeTab() const;
    void setActiveTab(int index);

    // The button that shows a command in the current layout; null for a command on a
    // tab that has no buttons yet or for a menu item.
    QToolButton* buttonFor(const TdxBarItem* item) const;

    // Heights of the full and the simplified ribbon.
    static constexpr int kFullHeight = 154;
    static constexpr int kSimplifiedHeight = 66;

signals:
    void layoutChanged();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    friend class TdxRibbonGroup;
    friend class TdxRibbonTab;
    void itemAdded(TdxBarItem* item);
    void structureChanged();
    void rebuild();
    void applyStyle();

    Layout m_layout = Layout::Default;
    QList<TdxRibbonTab*> m_tabs;
    QTabBar* m_tabBar = nullptr;
    QStackedWidget* m_pages = nullptr;
    QToolButton* m_layoutButton = nullptr;
    QColor m_backgroundTop, m_backgroundBottom, m_backgroundLine;
    QPointer<QWidget> m_watchedWindow;
};
