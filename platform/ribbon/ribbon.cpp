#include "platform/ribbon/ribbon.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

// ---------------------------------------------------------------------------------------
// Commands

TdxBarItem::TdxBarItem(const QString& name, const QString& caption, QObject* parent)
    : QAction(caption, parent) {
    setObjectName(name);
}

void TdxBarItem::setHint(const QString& hint) {
    if (hint == m_hint) return;
    m_hint = hint;
    emit changed();
}

void TdxBarItem::setGlyph(const QString& resourcePath) {
    m_glyph = resourcePath;
    setIcon(resourcePath.isEmpty() ? QIcon() : QIcon(resourcePath));
}

TdxBarSubItem::TdxBarSubItem(const QString& name, const QString& caption, QObject* parent)
    : TdxBarItem(name, caption, parent), m_menu(new QMenu()) {
    m_menu->setObjectName(name + QStringLiteral("Menu"));
    m_menu->setTitle(caption);
}

TdxBarSubItem::~TdxBarSubItem() {
    delete m_menu;
}

TdxBarButton* TdxBarSubItem::addItem(const QString& name, const QString& caption) {
    auto* item = new TdxBarButton(name, caption, this);
    m_items << item;
    m_menu->addAction(item);
    emit itemAdded(item);
    return item;
}

// ---------------------------------------------------------------------------------------
// Structure

TdxRibbonGroup::TdxRibbonGroup(const QString& caption, TdxRibbonTab* tab)
    : QObject(tab), m_tab(tab), m_caption(caption) {}

void TdxRibbonGroup::add(TdxBarItem* item) {
    m_entries << item;
    if (item) m_tab->ribbon()->itemAdded(item);
    m_tab->ribbon()->structureChanged();
}

TdxBarLargeButton* TdxRibbonGroup::addLargeButton(const QString& name, const QString& caption,
                                                  const QString& glyph) {
    auto* item = new TdxBarLargeButton(name, caption, this);
    item->setGlyph(glyph);
    add(item);
    return item;
}

TdxBarSubItem* TdxRibbonGroup::addSubItem(const QString& name, const QString& caption,
                                          const QString& glyph) {
    auto* item = new TdxBarSubItem(name, caption, this);
    item->setGlyph(glyph);
    add(item);
    return item;
}

void TdxRibbonGroup::addSeparator() {
    add(nullptr);
}

TdxRibbonTab::TdxRibbonTab(const QString& caption, TdxRibbon* ribbon)
    : QObject(ribbon), m_ribbon(ribbon), m_caption(caption) {}

TdxRibbonGroup* TdxRibbonTab::addGroup(const QString& caption) {
    auto* group = new TdxRibbonGroup(caption, this);
    m_groups << group;
    m_ribbon->structureChanged();
    return group;
}

// ---------------------------------------------------------------------------------------
// Drawing: one button per command, groups, pages

namespace {

enum class Size { Large, Small };

const char* const kRole = "ribbonRole";

// Splits a long caption into two lines at the blank that balances them best, as large
// ribbon buttons show their captions.
QString twoLines(const QString& caption, const QFontMetrics& metrics, int maxWidth) {
    if (metrics.horizontalAdvance(caption) <= maxWidth) return caption;
    int best = -1, bestWidth = 0;
    for (int i = caption.indexOf(' '); i >= 0; i = caption.indexOf(' ', i + 1)) {
        const int width = std::max(metrics.horizontalAdvance(caption.left(i)),
                                   metrics.horizontalAdvance(caption.mid(i + 1)));
        if (best < 0 || width < bestWidth) best = i, bestWidth = width;
    }
    if (best < 0) return caption;
    return caption.left(best) + '\n' + caption.mid(best + 1);
}

// The button that shows one command. It follows the command's caption, glyph, hint and
// visibility; a click runs the command, a sub-item opens its menu.
class RibbonButton : public QToolButton {
public:
    RibbonButton(TdxBarItem* item, Size size, QWidget* parent)
        : QToolButton(parent), m_item(item), m_size(size) {
        setObjectName(item->objectName());
        setProperty(kRole, size == Size::Large ? "large" : "small");
        setAutoRaise(true);
        setFocusPolicy(Qt::NoFocus);
        if (size == Size::Large) {
            setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            setIconSize(QSize(32, 32));
            setMinimumWidth(52);
            setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        } else {
            setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            setIconSize(QSize(16, 16));
        }
        if (auto* sub = qobject_cast<TdxBarSubItem*>(item)) {
            setMenu(sub->popupMenu());
            setPopupMode(QToolButton::InstantPopup);
        } else {
            connect(this, &QToolButton::clicked, item, [item] { item->trigger(); });
        }
        connect(item, &QAction::changed, this, [this] { sync(); });
        sync();
    }

    TdxBarItem* item() const { return m_item; }
    // In the simplified row the row decides which buttons fit.
    bool managed = false;
    std::function<void()> onChanged;

    void sync() {
        QString text = m_item->text();
        const bool menu = qobject_cast<TdxBarSubItem*>(m_item) != nullptr;
        if (m_size == Size::Large) {
            text = twoLines(text, fontMetrics(), 66);
            // One-line captions keep their first line level with the two-line ones; a
            // menu shows its arrow on the second line.
            if (!text.contains('\n'))
                text += menu ? QStringLiteral("\n\u25BE") : QStringLiteral("\n ");
        } else if (menu) {
            text = m_compact ? QStringLiteral("\u25BE") : text + QStringLiteral(" \u25BE");
        }
        // The caption is shown literally ("&" is no mnemonic here).
        text.replace('&', QStringLiteral("&&"));
        setText(text);
        setIcon(m_item->icon());
        updateToolTip();
        if (!managed) setVisible(m_item->isVisible());
        updateGeometry();
        if (onChanged) onChanged();
    }

    // A small button short of room shows its glyph only; its caption then becomes its
    // tip.
    void setCompact(bool compact) {
        if (compact == m_compact || m_size == Size::Large) return;
        m_compact = compact;
        // A menu keeps its arrow.
        const bool menu = qobject_cast<TdxBarSubItem*>(m_item) != nullptr;
        setToolButtonStyle(compact && !menu ? Qt::ToolButtonIconOnly
                                            : Qt::ToolButtonTextBesideIcon);
        if (menu)
            setText(compact ? QStringLiteral("\u25BE")
                            : m_item->text() + QStringLiteral(" \u25BE"));
        updateToolTip();
        updateGeometry();
    }

    QSize sizeHint() const override {
        if (m_size == Size::Large) return QToolButton::sizeHint();
        // Border, padding and glyph as the ribbon's style sheet draws them, the caption
        // beside.
        int width = 2 + 2 * kSmallPadding + 16;
        if (toolButtonStyle() != Qt::ToolButtonIconOnly)
            width += 4 + fontMetrics().horizontalAdvance(text()) + 2;
        return QSize(width, 26);
    }

    static constexpr int kSmallPadding = 4;

private:
    void updateToolTip() {
        setToolTip(m_compact && m_item->hint().isEmpty() ? m_item->text() : m_item->hint());
    }

    TdxBarItem* m_item;
    Size m_size;
    bool m_compact = false;
};

QFrame* makeFrame(QWidget* parent, const char* role) {
    auto* frame = new QFrame(parent);
    frame->setProperty(kRole, role);
    return frame;
}

QFrame* makeSeparator(QWidget* parent, const char* role) {
    QFrame* line = makeFrame(parent, role);
    line->setFixedWidth(1);
    return line;
}

// A full ribbon page: captioned groups of large buttons, left to right.
QWidget* buildFullPage(TdxRibbonTab* tab, bool classic, QWidget* parent) {
    QFrame* page = makeFrame(parent, "page");
    auto* row = new QHBoxLayout(page);
    row->setContentsMargins(classic ? 4 : 6, classic ? 3 : 4, 4, classic ? 3 : 2);
    row->setSpacing(classic ? 4 : 0);
    bool first = true;
    for (TdxRibbonGroup* group : tab->groups()) {
        if (!first && !classic) {
            QFrame* line = makeSeparator(page, "groupSeparator");
            row->addWidget(line);
        }
        first = false;
        QFrame* box = makeFrame(page, "group");
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(classic ? 1 : 6, 3, classic ? 1 : 6, classic ? 1 : 2);
        column->setSpacing(2);
        auto* buttons = new QHBoxLayout();
        if (classic) buttons->setContentsMargins(2, 0, 2, 0);
        buttons->setSpacing(2);
        for (TdxBarItem* item : group->entries()) {
            if (!item) {
                QFrame* line = makeSeparator(box, "separator");
                buttons->addSpacing(2);
                buttons->addWidget(line);
                buttons->addSpacing(2);
                continue;
            }
            buttons->addWidget(new RibbonButton(item, Size::Large, box), 0, Qt::AlignTop);
        }
        column->addLayout(buttons);
        column->addStretch(1);
        auto* caption = new QLabel(group->caption(), box);
        caption->setProperty(kRole, "groupCaption");
        caption->setAlignment(Qt::AlignCenter);
        column->addWidget(caption);
        row->addWidget(box);
    }
    row->addStretch(1);
    return page;
}

// The simplified page: one row of small buttons, groups parted by lines. What does
// not fit goes behind the overflow button at the row's end, so no command is ever out
// of reach.
class SimplifiedRow : public QFrame {
public:
    SimplifiedRow(TdxRibbonTab* tab, QWidget* parent) : QFrame(parent) {
        setProperty(kRole, "page");
        bool first = true;
        for (TdxRibbonGroup* group : tab->groups()) {
            if (!first) m_entries.push_back({makeSeparator(this, "groupSeparator"), nullptr});
            first = false;
            for (TdxBarItem* item : group->entries()) {
                if (!item) {
                    m_entries.push_back({makeSeparator(this, "separator"), nullptr});
                    continue;
                }
                auto* button = new RibbonButton(item, Size::Small, this);
                button->managed = true;
                button->onChanged = [this] { placeEntries(); };
                m_entries.push_back({button, button});
            }
        }
        m_overflow = new QToolButton(this);
        m_overflow->setObjectName(QStringLiteral("ribbonOverflow"));
        m_overflow->setProperty(kRole, "small");
        m_overflow->setText(QStringLiteral("\u00BB"));
        m_overflow->setToolTip(QStringLiteral("More commands"));
        m_overflow->setAutoRaise(true);
        m_overflow->setFocusPolicy(Qt::NoFocus);
        m_overflow->setPopupMode(QToolButton::InstantPopup);
        m_menu = new QMenu(m_overflow);
        m_overflow->setMenu(m_menu);
        m_overflow->hide();
    }

    QSize sizeHint() const override { return QSize(200, 30); }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        placeEntries();
    }

private:
    struct Entry {
        QWidget* widget;
        RibbonButton* button;  // null for a separator
    };

    // A separator stands a little apart from its neighbours.
    static constexpr int kSeparatorInset = 3;
    static int entryWidth(const Entry* e) {
        return e->widget->sizeHint().width() + (e->button ? 0 : 2 * kSeparatorInset);
    }

    void placeEntries() {
        const int margin = 6, spacing = 2, height = this->height();
        const int available = width() - margin;
        // Which entries show: visible commands, and separators between shown commands.
        std::vector<Entry*> shown;
        for (Entry& e : m_entries) {
            if (e.button && !e.button->item()->isVisible()) {
                e.widget->hide();
                continue;
            }
            shown.push_back(&e);
        }
        // Short of room, the commands from the row's end show their glyphs only; what
        // still does not fit goes behind the overflow button.
        const auto totalWidth = [&] {
            int total = margin;
            for (Entry* e : shown) total += entryWidth(e) + spacing;
            return total;
        };
        for (Entry* e : shown)
            if (e->button) e->button->setCompact(false);
        for (auto it = shown.rbegin(); it != shown.rend() && totalWidth() > available; ++it)
            if ((*it)->button) (*it)->button->setCompact(true);
        const bool overflow = totalWidth() > available;
        const int limit =
            overflow ? available - m_overflow->sizeHint().width() - spacing : available;

        m_menu->clear();
        int x = margin;
        bool full = false, pendingSeparator = false, lastWasSeparator = true;
        for (Entry* e : shown) {
            const QSize hint = e->widget->sizeHint();
            if (!full && x + entryWidth(e) > limit) full = true;
            if (full) {
                e->widget->hide();
                if (!e->button) {
                    pendingSeparator = !m_menu->isEmpty();
                } else {
                    if (pendingSeparator) m_menu->addSeparator();
                    pendingSeparator = false;
                    if (auto* sub = qobject_cast<TdxBarSubItem*>(e->button->item()))
                        m_menu->addMenu(sub->popupMenu());
                    else
                        m_menu->addAction(e->button->item());
                }
                continue;
            }
            if (!e->button && lastWasSeparator) {
                e->widget->hide();
                continue;
            }
            const int h = e->button ? hint.height() : height - 12;
            const int inset = e->button ? 0 : kSeparatorInset;
            e->widget->setGeometry(x + inset, (height - h) / 2, hint.width(), h);
            e->widget->show();
            x += entryWidth(e) + spacing;
            lastWasSeparator = !e->button;
        }
        if (overflow) {
            const QSize hint = m_overflow->sizeHint();
            m_overflow->setGeometry(width() - margin - hint.width(), (height - hint.height()) / 2,
                                    hint.width(), hint.height());
            m_overflow->show();
        } else {
            m_overflow->hide();
        }
    }

    std::vector<Entry> m_entries;
    QToolButton* m_overflow;
    QMenu* m_menu;
};

QString rgb(const QColor& c) {
    return c.name(QColor::HexRgb);
}

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The ribbon

TdxRibbon::TdxRibbon(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* tabRow = new QHBoxLayout();
    tabRow->setContentsMargins(6, 2, 6, 0);
    m_tabBar = new QTabBar(this);
    m_tabBar->setObjectName(QStringLiteral("ribbonTabs"));
    m_tabBar->setDrawBase(false);
    m_tabBar->setExpanding(false);
    m_tabBar->setFocusPolicy(Qt::NoFocus);
    tabRow->addWidget(m_tabBar);
    tabRow->addStretch(1);
    // The ribbon's own choice of layout, at the right end of the tab row.
    m_layoutButton = new QToolButton(this);
    m_layoutButton->setObjectName(QStringLiteral("ribbonLayoutButton"));
    m_layoutButton->setProperty(kRole, "layout");
    m_layoutButton->setText(QStringLiteral("\u2261"));
    m_layoutButton->setToolTip(QStringLiteral("Ribbon layout"));
    m_layoutButton->setAutoRaise(true);
    m_layoutButton->setFocusPolicy(Qt::NoFocus);
    m_layoutButton->setPopupMode(QToolButton::InstantPopup);
    auto* choices = new QMenu(m_layoutButton);
    choices->setObjectName(QStringLiteral("ribbonLayoutMenu"));
    auto* exclusive = new QActionGroup(choices);
    const std::pair<Layout, const char*> names[] = {{Layout::Default, "Default"},
                                                    {Layout::Classic, "Classic"},
                                                    {Layout::Simplified, "Simplified"}};
    for (const auto& [layout, name] : names) {
        QAction* choice = choices->addAction(QLatin1String(name));
        choice->setCheckable(true);
        choice->setChecked(layout == m_layout);
        choice->setData(static_cast<int>(layout));
        exclusive->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, layout] { setRibbonLayout(layout); });
    }
    connect(this, &TdxRibbon::layoutChanged, choices, [this, choices] {
        for (QAction* choice : choices->actions())
            choice->setChecked(choice->data().toInt() == static_cast<int>(m_layout));
    });
    m_layoutButton->setMenu(choices);
    tabRow->addWidget(m_layoutButton, 0, Qt::AlignVCenter);
    column->addLayout(tabRow);
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("ribbonPages"));
    column->addWidget(m_pages, 1);
    connect(m_tabBar, &QTabBar::currentChanged, m_pages, &QStackedWidget::setCurrentIndex);
    setFixedHeight(kFullHeight);
    applyStyle();
}

void TdxRibbon::setRibbonLayout(Layout layout) {
    if (layout == m_layout) return;
    m_layout = layout;
    setFixedHeight(layout == Layout::Simplified ? kSimplifiedHeight : kFullHeight);
    rebuild();
    applyStyle();
    emit layoutChanged();
}

TdxRibbonTab* TdxRibbon::addTab(const QString& caption) {
    auto* tab = new TdxRibbonTab(caption, this);
    m_tabs << tab;
    m_tabBar->addTab(caption);
    structureChanged();
    return tab;
}

int TdxRibbon::activeTab() const {
    return m_tabBar->currentIndex();
}

void TdxRibbon::setActiveTab(int index) {
    m_tabBar->setCurrentIndex(index);
}

QToolButton* TdxRibbon::buttonFor(const TdxBarItem* item) const {
    return m_pages->findChild<QToolButton*>(item->objectName());
}

void TdxRibbon::itemAdded(TdxBarItem* item) {
    // Key bindings belong to the window: the ribbon is always shown, whichever tab and
    // layout, so its actions' shortcuts work from every control of the window.
    addAction(item);
    if (auto* sub = qobject_cast<TdxBarSubItem*>(item)) {
        for (TdxBarButton* b : sub->items()) addAction(b);
        connect(sub, &TdxBarSubItem::itemAdded, this, [this](TdxBarButton* b) { addAction(b); });
    }
}

void TdxRibbon::structureChanged() {
    rebuild();
}

void TdxRibbon::rebuild() {
    const int current = std::max(0, m_tabBar->currentIndex());
    // The old buttons go at once, so a name finds only the buttons of the current layout.
    while (m_pages->count() > 0) {
        QWidget* page = m_pages->widget(0);
        m_pages->removeWidget(page);
        delete page;
    }
    for (TdxRibbonTab* tab : m_tabs) {
        if (m_layout == Layout::Simplified)
            m_pages->addWidget(new SimplifiedRow(tab, m_pages));
        else
            m_pages->addWidget(buildFullPage(tab, m_layout == Layout::Classic, m_pages));
    }
    if (current < m_pages->count()) {
        m_tabBar->setCurrentIndex(current);
        m_pages->setCurrentIndex(current);
    }
}

bool TdxRibbon::event(QEvent* event) {
    // The program's palette (the skin) colours the ribbon. A new application palette is
    // announced to the top-level windows, so the ribbon listens at its window.
    if (event->type() == QEvent::Show || event->type() == QEvent::ParentChange) {
        QWidget* top = window();
        if (top != m_watchedWindow) {
            if (m_watchedWindow) m_watchedWindow->removeEventFilter(this);
            m_watchedWindow = top;
            if (top != this) top->installEventFilter(this);
        }
    }
    return QWidget::event(event);
}

bool TdxRibbon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedWindow && event->type() == QEvent::ApplicationPaletteChange)
        applyStyle();
    return QWidget::eventFilter(watched, event);
}

void TdxRibbon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, m_backgroundTop);
    fill.setColorAt(1, m_backgroundBottom);
    painter.fillRect(rect(), fill);
    painter.setPen(m_backgroundLine);
    painter.drawLine(0, height() - 1, width(), height() - 1);
}

void TdxRibbon::applyStyle() {
    // Colours come from the palette, so a new palette recolours the ribbon.
    const QPalette p = QApplication::palette();
    const QColor window = p.color(QPalette::Window);
    const QColor base = p.color(QPalette::Base);
    const QColor text = p.color(QPalette::WindowText);
    const QColor accent = p.color(QPalette::Highlight);
    const bool classic = m_layout == Layout::Classic;
    const bool compact = m_layout == Layout::Simplified;

    QString sheet;
    QList<std::pair<const char*, QString>> values = {
        {"{text}", rgb(text)},
        {"{hoverBorder}", rgb(mix(base, accent, 0.45))},
        {"{pressed}", rgb(mix(base, accent, 0.30))},
    };
    if (classic) {
        // Framed groups with caption bands on a shaded panel, boxed tabs above it.
        const QColor band = mix(window, text, 0.10);
        const QColor panelTop = mix(base, window, 0.35);
        m_backgroundTop = band;
        m_backgroundBottom = mix(band, text, 0.04);
        m_backgroundLine = m_backgroundBottom;
        values << std::pair{"{panelTop}", rgb(panelTop)}
               << std::pair{"{panelBottom}", rgb(mix(window, text, 0.05))}
               << std::pair{"{groupTop}", rgb(mix(panelTop, base, 0.6))}
               << std::pair{"{frame}", rgb(mix(window, text, 0.28))}
               << std::pair{"{tabHover}", rgb(mix(band, base, 0.4))}
               << std::pair{"{captionBand}", rgb(mix(window, text, 0.08))}
               << std::pair{"{hoverTop}", rgb(mix(base, accent, 0.12))};
        sheet = QStringLiteral(
            "QTabBar::tab { color: {text}; background: transparent; border: 1px solid transparent;"
            " border-bottom: none; border-top-left-radius: 4px; border-top-right-radius: 4px;"
            " padding: 3px 16px 4px 16px; margin: 3px 1px 0px 1px; }"
            "QTabBar::tab:selected { background: {panelTop}; border-color: {frame}; font-weight: "
            "bold; }"
            "QTabBar::tab:hover:!selected { background: {tabHover}; }"
            "QFrame[ribbonRole=\"page\"] { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
            " stop:0 {panelTop}, stop:1 {panelBottom}); border: 1px solid {frame};"
            " border-radius: 3px; margin: 0px 3px 3px 3px; }"
            "QFrame[ribbonRole=\"group\"] { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
            " stop:0 {groupTop}, stop:1 {panelBottom}); border: 1px solid {frame}; border-radius: "
            "4px; }"
            "QLabel[ribbonRole=\"groupCaption\"] { background: {captionBand}; color: {text};"
            " border: none; border-top: 1px solid {frame}; border-bottom-left-radius: 3px;"
            " border-bottom-right-radius: 3px; padding: 1px 4px 2px 4px; }"
            "QFrame[ribbonRole=\"separator\"] { background: {frame}; margin: 4px 0px; border: "
            "none; }"
            "QToolButton[ribbonRole] { color: {text}; background: transparent;"
            " border: 1px solid transparent; border-radius: 3px; padding: 2px 3px; }"
            "QToolButton[ribbonRole]:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
            " stop:0 {hoverTop}, stop:1 {pressed}); border-color: {hoverBorder}; }"
            "QToolButton[ribbonRole]:pressed { background: {pressed}; }");
    } else {
        // Flat: one light surface, an accent bar under the active tab, thin lines
        // between groups and their captions in grey below.
        const QColor surface = mix(window, base, 0.55);
        const QColor line = mix(window, text, 0.18);
        m_backgroundTop = m_backgroundBottom = surface;
        m_backgroundLine = line;
        values << std::pair{"{line}", rgb(line)}
               << std::pair{"{page}", rgb(mix(surface, base, 0.7))}
               << std::pair{"{activeTab}", rgb(mix(accent, text, 0.35))}
               << std::pair{"{accent}", rgb(accent)}
               << std::pair{"{hover}", rgb(mix(base, accent, 0.16))}
               << std::pair{"{caption}", rgb(mix(text, window, 0.45))}
               << std::pair{"{tabPadding}", compact ? QStringLiteral("2px 12px")
                                                    : QStringLiteral("4px 16px 3px 16px")}
               << std::pair{"{buttonPadding}",
                            compact ? QStringLiteral("2px %1px").arg(RibbonButton::kSmallPadding)
                                    : QStringLiteral("2px 4px")};
        sheet = QStringLiteral(
            "QTabBar::tab { color: {text}; background: transparent; border: none;"
            " border-bottom: 3px solid transparent; padding: {tabPadding}; margin: 0px 2px; }"
            "QTabBar::tab:selected { color: {activeTab}; border-bottom-color: {accent}; "
            "font-weight: bold; }"
            "QTabBar::tab:hover:!selected { background: {hover}; }"
            "QFrame[ribbonRole=\"page\"] { background: {page}; border: none;"
            " border-top: 1px solid {line}; }"
            "QFrame[ribbonRole=\"group\"] { background: transparent; border: none; }"
            "QLabel[ribbonRole=\"groupCaption\"] { color: {caption}; background: transparent; }"
            "QFrame[ribbonRole=\"groupSeparator\"] { background: {line}; margin: 6px 0px; border: "
            "none; }"
            "QFrame[ribbonRole=\"separator\"] { background: {line}; margin: 10px 0px; border: "
            "none; }"
            "QToolButton[ribbonRole] { color: {text}; background: transparent;"
            " border: 1px solid transparent; border-radius: 3px; padding: {buttonPadding}; }"
            "QToolButton[ribbonRole]:hover { background: {hover}; border-color: {hoverBorder}; }"
            "QToolButton[ribbonRole]:pressed { background: {pressed}; }");
    }
    sheet += QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }");
    for (const auto& [token, value] : values) sheet.replace(QLatin1String(token), value);
    // The sheet goes to the parts; the ribbon itself keeps the program's palette (so it
    // hears when that changes) and paints its own background.
    if (sheet != m_pages->styleSheet()) {
        m_tabBar->setStyleSheet(sheet);
        m_pages->setStyleSheet(sheet);
        m_layoutButton->setStyleSheet(sheet);
    }
    update();
}
