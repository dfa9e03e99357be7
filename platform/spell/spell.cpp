#include "platform/spell/spell.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include "platform/appfolder/appfolder.h"
#include "platform/errors/guard.h"
#include "platform/spell/documentmarks.h"
#include "platform/spell/engine.h"
#include "platform/spell/linemarks.h"
#include "platform/widgets/edits.h"

namespace {

constexpr int kMostSuggestions = 8;

// The edit control a focused widget is, or nullptr when the checker does not serve it.
QWidget* servedControl(QWidget* widget) {
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        if (line->echoMode() != QLineEdit::Normal) return nullptr;
        if (qobject_cast<QAbstractSpinBox*>(line->parentWidget())) return nullptr;
        return line;
    }
    if (qobject_cast<QTextEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget)) return widget;
    return nullptr;
}

QTextDocument* documentOf(QWidget* control) {
    if (auto* rich = qobject_cast<QTextEdit*>(control)) return rich->document();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) return plain->document();
    return nullptr;
}

QWidget* viewportOf(QWidget* control) {
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control)) return area->viewport();
    return nullptr;
}

bool isReadOnly(QWidget* control) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) return line->isReadOnly();
    if (auto* rich = qobject_cast<QTextEdit*>(control)) return rich->isReadOnly();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) return plain->isReadOnly();
    return true;
}

// The control's own context menu; the point (in the control's content) is where a link
// would be looked for.
QMenu* standardMenu(QWidget* control, int position) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) return line->createStandardContextMenu();
    QTextCursor cursor(documentOf(control));
    cursor.setPosition(position);
    if (auto* rich = qobject_cast<QTextEdit*>(control)) {
        const QPoint offset(rich->horizontalScrollBar()->value(),
                            rich->verticalScrollBar()->value());
        return rich->createStandardContextMenu(rich->cursorRect(cursor).center() + offset);
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        return plain->createStandardContextMenu(plain->cursorRect(cursor).center());
    return nullptr;
}

QString actionText(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

TSpellChecker::TSpellChecker(QObject* parent) : TSpellChecker(appfolder::programFolder(), parent) {}

TSpellChecker::TSpellChecker(const QString& folder, QObject* parent)
    : QObject(parent), m_engine(new spell::Engine(this)) {
    connect(m_engine, &spell::Engine::opened, this, &TSpellChecker::ready);
    connect(m_engine, &spell::Engine::statusMessage, this, &TSpellChecker::statusMessage);
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        connect(application, &QApplication::focusChanged, this,
                [this](QWidget*, QWidget* now) { errors::guard([&] { focusChanged(now); }); });
    // A control that has the focus already starts once the owner has set the start handler.
    QTimer::singleShot(
        0, this, [this] { errors::guard([this] { focusChanged(QApplication::focusWidget()); }); });
    m_engine->open(folder);
}

TSpellChecker::~TSpellChecker() {
    stopAll();
}

void TSpellChecker::setCheckAsYouType(bool on) {
    if (on == m_asYouType) return;
    m_asYouType = on;
    if (on)
        focusChanged(QApplication::focusWidget());
    else
        stopAll();
    emit checkAsYouTypeChanged(on);
}

void TSpellChecker::setOnCheckAsYouTypeStart(CheckAsYouTypeStart handler) {
    m_onStart = std::move(handler);
}

void TSpellChecker::stopCheckAsYouType(QWidget* control) {
    detach(control);
}

bool TSpellChecker::isChecking(QWidget* control) const {
    return m_checked.contains(control);
}

bool TSpellChecker::isReady() const {
    return m_engine->isOpen();
}

bool TSpellChecker::isComplete() const {
    for (const Checked& checked : m_checked)
        if (checked.document && !checked.document->isComplete()) return false;
    return true;
}

QList<spell::WordSpan> TSpellChecker::marks(QWidget* control) const {
    const auto it = m_checked.constFind(control);
    if (it == m_checked.cend()) return {};
    if (it->line) return it->line->marks();
    QList<spell::WordSpan> all;
    if (!it->document || !it->document->document()) return all;
    for (QTextBlock block = it->document->document()->begin(); block.isValid();
         block = block.next())
        for (const spell::WordSpan& mark : it->document->marks(block))
            all.append({block.position() + mark.start, mark.length});
    return all;
}

void TSpellChecker::focusChanged(QWidget* now) {
    if (!m_asYouType) return;
    if (QWidget* control = servedControl(now)) startIn(control);
}

void TSpellChecker::startIn(QWidget* control) {
    bool allow = true;
    if (m_onStart && !errors::guard([&] { m_onStart(control, allow); })) return;
    if (allow)
        attach(control);
    else
        detach(control);
}

void TSpellChecker::attach(QWidget* control) {
    const auto it = m_checked.constFind(control);
    if (it != m_checked.cend()) {
        // A rich edit may have been given another document since.
        if (it->line || (it->document && it->document->document() == documentOf(control))) return;
        detach(control);
    }
    Checked checked;
    if (auto* line = qobject_cast<QLineEdit*>(control))
        checked.line = new spell::LineMarks(line, m_engine);
    else if (QTextDocument* document = documentOf(control))
        checked.document = new spell::DocumentMarks(document, m_engine);
    else
        return;
    control->installEventFilter(this);
    if (QWidget* viewport = viewportOf(control)) viewport->installEventFilter(this);
    // The marks go with the control (the layer) or its document; only the entry is left.
    checked.destroyed =
        connect(control, &QObject::destroyed, this, [this, control] { m_checked.remove(control); });
    m_checked.insert(control, checked);
}

void TSpellChecker::detach(QWidget* control) {
    const auto it = m_checked.find(control);
    if (it == m_checked.end()) return;
    const Checked checked = *it;
    m_checked.erase(it);
    disconnect(checked.destroyed);
    delete checked.line.data();
    delete checked.document.data();
    control->removeEventFilter(this);
    if (QWidget* viewport = viewportOf(control)) viewport->removeEventFilter(this);
}

void TSpellChecker::stopAll() {
    const QList<QWidget*> controls = m_checked.keys();
    for (QWidget* control : controls) detach(control);
}

bool TSpellChecker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ContextMenu || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* control = m_checked.contains(widget) ? widget : widget->parentWidget();
    if (!control || !m_checked.contains(control)) return false;
    bool handled = false;
    errors::guard([&] {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (control->contextMenuPolicy() != Qt::DefaultContextMenu) return;
        const bool keyboard = menuEvent->reason() == QContextMenuEvent::Keyboard;
        int position = 0;
        if (auto* line = qobject_cast<QLineEdit*>(control)) {
            position = keyboard ? line->cursorPosition() : line->cursorPositionAt(menuEvent->pos());
        } else {
            QWidget* viewport = viewportOf(control);
            const QPoint point = widget == viewport ? menuEvent->pos()
                                                    : viewport->mapFrom(control, menuEvent->pos());
            if (auto* rich = qobject_cast<QTextEdit*>(control))
                position =
                    (keyboard ? rich->textCursor() : rich->cursorForPosition(point)).position();
            else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
                position =
                    (keyboard ? plain->textCursor() : plain->cursorForPosition(point)).position();
        }
        QPointer<QMenu> menu = createContextMenu(control, position);
        if (!menu) return;
        handled = true;
        menu->exec(menuEvent->globalPos());
        delete menu.data();
    });
    return handled;
}

QMenu* TSpellChecker::createContextMenu(QWidget* control, int position) {
    const auto it = m_checked.constFind(control);
    if (it == m_checked.cend()) return nullptr;
    // The marked word at the position, and where it begins in the control's whole text.
    QString word;
    int start = -1;
    const auto take = [&](const QString& text, const QList<spell::WordSpan>& marks, int at,
                          int offset) {
        for (const spell::WordSpan& mark : marks)
            if (mark.start <= at && at <= mark.end()) {
                word = text.mid(mark.start, mark.length);
                start = offset + mark.start;
                return;
            }
    };
    if (it->line) {
        take(it->line->edit()->text(), it->line->marks(), position, 0);
    } else if (it->document && it->document->document()) {
        const QTextBlock block = it->document->document()->findBlock(position);
        take(block.text(), it->document->marks(block), position - block.position(),
             block.position());
    }
    if (start < 0) return nullptr;

    QMenu* menu = standardMenu(control, position);
    if (!menu) menu = new QMenu(control);
    QAction* before = menu->actions().value(0);
    QPointer<QWidget> target(control);
    if (!isReadOnly(control)) {
        const QStringList suggestions = m_engine->suggestions(word, kMostSuggestions);
        if (suggestions.isEmpty()) {
            auto* none = new QAction(tr("(No suggestions)"), menu);
            none->setEnabled(false);
            menu->insertAction(before, none);
        }
        for (const QString& suggestion : suggestions) {
            auto* action = new QAction(actionText(suggestion), menu);
            connect(action, &QAction::triggered, this, [this, target, start, word, suggestion] {
                errors::guard([&] {
                    if (target) replaceWord(target, start, word, suggestion);
                });
            });
            menu->insertAction(before, action);
        }
        menu->insertSeparator(before);
    }
    auto* ignore = new QAction(QStringLiteral("Ignore All"), menu);
    connect(ignore, &QAction::triggered, this,
            [this, word] { errors::guard([&] { m_engine->ignoreAll(word); }); });
    menu->insertAction(before, ignore);
    auto* add = new QAction(QStringLiteral("Add to Dictionary"), menu);
    connect(add, &QAction::triggered, this,
            [this, word] { errors::guard([&] { m_engine->addToDictionary(word); }); });
    menu->insertAction(before, add);
    if (before) menu->insertSeparator(before);
    return menu;
}

void TSpellChecker::replaceWord(QWidget* control, int start, const QString& word,
                                const QString& replacement) {
    const int growth = static_cast<int>(replacement.size() - word.size());
    if (auto* line = qobject_cast<QLineEdit*>(control)) {
        const QString text = line->text();
        if (QStringView(text).mid(start, word.size()) != word) return;
        // A suggestion that does not fit whole under the field's limit is not cut.
        int limit = line->maxLength();
        if (auto* edit = qobject_cast<TcxTextEdit*>(line); edit && edit->maxLength() > 0)
            limit = qMin(limit, edit->maxLength());
        if (growth > 0 && text.size() + growth > limit) {
            QApplication::beep();
            return;
        }
        line->setSelection(start, static_cast<int>(word.size()));
        line->insert(replacement);
        return;
    }
    QTextDocument* document = documentOf(control);
    if (!document) return;
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(start + static_cast<int>(word.size()), QTextCursor::KeepAnchor);
    if (cursor.selectedText() != word) return;
    if (auto* memo = qobject_cast<TcxMemo*>(control); memo && memo->maxLength() > 0) {
        memo->setTextCursor(cursor);
        if (memo->fitting(replacement) != replacement) {
            QApplication::beep();
            return;
        }
    }
    // The replacement takes the look of the word it replaces.
    QTextCursor first(document);
    first.setPosition(start + 1);
    cursor.insertText(replacement, first.charFormat());
    if (auto* rich = qobject_cast<QTextEdit*>(control))
        rich->setTextCursor(cursor);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setTextCursor(cursor);
}
