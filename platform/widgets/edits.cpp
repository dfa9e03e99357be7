#include "platform/widgets/edits.h"

#include <QCompleter>

#include <QValidator>
#include <algorithm>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTextCursor>

#include "platform/rtf/rtf.h"

namespace keys {
namespace {

// Runs the key-press rule on each character of a typed or committed text; what the rule
// refuses is dropped. Input-method text passes the same rule as typed keys.
void filterCommit(KeyHooks& hooks, QString& text) {
    if (!hooks.onKeyPress || text.isEmpty()) return;
    QString kept;
    for (QChar ch : text) {
        QChar c = ch;
        hooks.onKeyPress(c);
        if (!c.isNull()) kept += c;
    }
    text = kept;
}

}  // namespace

bool KeyHooks::filterKey(QKeyEvent* event, QString& text) {
    if (onKeyDown) {
        int key = event->key();
        onKeyDown(key, event->modifiers());
        if (key == 0) return true;
    }
    if (onKeyPress && !text.isEmpty()) {
        filterCommit(*this, text);
        if (text.isEmpty()) return true;
    }
    return false;
}

}  // namespace keys

namespace {

// Room left in a control for what the user types or an input method commits: only the
// memo has a length limit of its own (a single-line edit keeps its maximum length itself).
// Returns false when the key inserts nothing; text may be shortened to what fits.
bool admitTyped(QWidget*, const QKeyEvent*, QString&) {
    return true;
}
void admitCommit(QWidget*, QString&) {}

bool admitTyped(TcxMemo* memo, const QKeyEvent* event, QString& text) {
    if (memo->maxLength() <= 0 || memo->isReadOnly()) return true;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return !memo->fitting(QStringLiteral("\n")).isEmpty();
    const bool command =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (command || text.isEmpty() || !(text[0].isPrint() || text[0] == u'\t')) return true;
    text = memo->fitting(text);
    return !text.isEmpty();
}

void admitCommit(TcxMemo* memo, QString& text) {
    if (memo->maxLength() > 0 && !memo->isReadOnly()) text = memo->fitting(text);
}

}  // namespace

// The shared event handling of the edit controls.
#define PIXOLET_EDIT_EVENTS(Class, Base)                                                         \
    void Class::keyPressEvent(QKeyEvent* event) {                                                \
        QString text = event->text();                                                            \
        const QString original = text;                                                           \
        if (hooks.filterKey(event, text) || !admitTyped(this, event, text)) {                    \
            event->accept();                                                                     \
            return;                                                                              \
        }                                                                                        \
        if (text == original) {                                                                  \
            Base::keyPressEvent(event);                                                          \
            return;                                                                              \
        }                                                                                        \
        QKeyEvent changed(event->type(), event->key(), event->modifiers(), text,                 \
                          event->isAutoRepeat(), event->count());                                \
        Base::keyPressEvent(&changed);                                                           \
        event->setAccepted(changed.isAccepted());                                                \
    }                                                                                            \
    void Class::keyReleaseEvent(QKeyEvent* event) {                                              \
        if (hooks.onKeyUp) {                                                                     \
            int key = event->key();                                                              \
            hooks.onKeyUp(key, event->modifiers());                                              \
            if (key == 0) {                                                                      \
                event->accept();                                                                 \
                return;                                                                          \
            }                                                                                    \
        }                                                                                        \
        Base::keyReleaseEvent(event);                                                            \
    }                                                                                            \
    void Class::inputMethodEvent(QInputMethodEvent* event) {                                     \
        QString commit = event->commitString();                                                  \
        keys::filterCommit(hooks, commit);                                                       \
        admitCommit(this, commit);                                                               \
        if (commit == event->commitString()) {                                                   \
            Base::inputMethodEvent(event);                                                       \
            return;                                                                              \
        }                                                                                        \
        QInputMethodEvent replaced(event->preeditString(), event->attributes());                 \
        replaced.setCommitString(commit, event->replacementStart(), event->replacementLength()); \
        Base::inputMethodEvent(&replaced);                                                       \
    }                                                                                            \
    void Class::focusInEvent(QFocusEvent* event) {                                               \
        Base::focusInEvent(event);                                                               \
        if (hooks.onEnter) hooks.onEnter();                                                      \
    }                                                                                            \
    void Class::focusOutEvent(QFocusEvent* event) {                                              \
        Base::focusOutEvent(event);                                                              \
        if (hooks.onExit) hooks.onExit();                                                        \
    }                                                                                            \
    void Class::mousePressEvent(QMouseEvent* event) {                                            \
        m_doubleClicked = false;                                                                 \
        Base::mousePressEvent(event);                                                            \
    }                                                                                            \
    /* Clicks are of the left button; the release that ends a double-click is no click of */     \
    /* its own. */                                                                               \
    void Class::mouseReleaseEvent(QMouseEvent* event) {                                          \
        Base::mouseReleaseEvent(event);                                                          \
        const bool clicked = !m_doubleClicked && event->button() == Qt::LeftButton;              \
        m_doubleClicked = false;                                                                 \
        if (clicked && hooks.onClick) hooks.onClick();                                           \
    }                                                                                            \
    void Class::mouseDoubleClickEvent(QMouseEvent* event) {                                      \
        Base::mouseDoubleClickEvent(event);                                                      \
        if (event->button() != Qt::LeftButton) return;                                           \
        m_doubleClicked = true;                                                                  \
        if (hooks.onDblClick) hooks.onDblClick();                                                \
    }

namespace {

// Cuts what the user inserts into a line edit to the room its limit leaves. The line
// edit asks before it takes any edit of the user's; text set by the program is not asked.
class LengthLimit : public QValidator {
public:
    explicit LengthLimit(TcxTextEdit* edit) : QValidator(edit), m_edit(edit) {
        // The text before an edit: the line edit has already changed its own when it asks.
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_before = text; });
    }

    State validate(QString& input, int& pos) const override {
        const qsizetype limit = m_edit->maxLength();
        const QString& old = m_before;
        if (limit <= 0 || m_edit->settingText() || input.size() <= limit ||
            input.size() <= old.size())
            return Acceptable;
        // The inserted part lies between what the old and the new text share at both ends.
        qsizetype prefix = 0;
        while (prefix < old.size() && prefix < input.size() && old[prefix] == input[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < old.size() - prefix && suffix < input.size() - prefix &&
               old[old.size() - 1 - suffix] == input[input.size() - 1 - suffix])
            ++suffix;
        const qsizetype inserted = input.size() - prefix - suffix;
        qsizetype room = std::max<qsizetype>(0, limit - (input.size() - inserted));
        if (room > 0 && room < inserted && input[prefix + room - 1].isHighSurrogate()) --room;
        input = input.left(prefix + room) + input.right(suffix);
        pos = static_cast<int>(prefix + room);
        return Acceptable;
    }

private:
    TcxTextEdit* m_edit;
    QString m_before;
};

}  // namespace

TcxTextEdit::TcxTextEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new LengthLimit(this));
}

void TcxTextEdit::setText(const QString& text) {
    m_settingText = true;
    QLineEdit::setText(text);
    m_settingText = false;
}
PIXOLET_EDIT_EVENTS(TcxTextEdit, QLineEdit)

namespace {

// The line breaking of every multi-line edit: lines break at blanks only. Breaking a word
// that is wider than the line anywhere makes the layout quadratic in the word's length (a
// summary, a description or an information text of one long unbroken word would take
// minutes to show). Such a word runs on past the edge, with a horizontal scroll bar.
template <typename Edit>
void breakLinesAtBlanks(Edit* edit) {
    edit->setWordWrapMode(QTextOption::WordWrap);
}

}  // namespace

TcxMemo::TcxMemo(QWidget* parent) : QPlainTextEdit(parent) {
    breakLinesAtBlanks(this);
    // Tab and Shift+Tab move the focus on, as in a dialog, and type no tab character.
    setTabChangesFocus(true);
}
PIXOLET_EDIT_EVENTS(TcxMemo, QPlainTextEdit)

namespace {

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

}  // namespace

int TcxMemo::textLength(const QString& text) {
    int length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        length += isLineBreak(text[i]) ? 2 : 1;
    }
    return length;
}

QString TcxMemo::fitting(const QString& text) const {
    if (m_maxLength <= 0) return text;
    const QTextCursor cursor = textCursor();
    int room = m_maxLength - textLength(toPlainText()) + textLength(cursor.selectedText());
    qsizetype end = 0;
    while (end < text.size()) {
        qsizetype next = end + 1;
        int length = 1;
        if (text[end] == u'\r' && next < text.size() && text[next] == u'\n') ++next;
        if (isLineBreak(text[end])) length = 2;
        // A surrogate pair goes in whole or not at all.
        if (text[end].isHighSurrogate() && next < text.size() && text[next].isLowSurrogate()) {
            ++next;
            length = 2;
        }
        if (length > room) break;
        room -= length;
        end = next;
    }
    return text.left(end);
}

void TcxMemo::insertFromMimeData(const QMimeData* source) {
    if (m_maxLength <= 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QMimeData fitted;
    fitted.setText(fitting(source->text()));
    QPlainTextEdit::insertFromMimeData(&fitted);
}

TcxRichEdit::TcxRichEdit(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(true);
    breakLinesAtBlanks(this);
}
PIXOLET_EDIT_EVENTS(TcxRichEdit, QTextEdit)

void TcxRichEdit::beginUpdate() {
    if (m_updateDepth++ == 0) {
        setUpdatesEnabled(false);
        viewport()->setUpdatesEnabled(false);
    }
}

void TcxRichEdit::endUpdate() {
    if (m_updateDepth == 0) return;
    if (--m_updateDepth == 0) {
        viewport()->setUpdatesEnabled(true);
        setUpdatesEnabled(true);
        viewport()->update();
    }
}

QByteArray TcxRichEdit::saveRtf() const {
    return rtf::write(*document());
}

void TcxRichEdit::loadRtf(const QByteArray& rtf) {
    rtf::read(rtf, document());
}

TcxCheckBox::TcxCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

TcxComboBox::TcxComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // A typed text is matched with its letter case: completion never turns "travel" into a
    // listed "Travel", nor does Enter pick that item (the box matches as its completer does).
    completer()->setCaseSensitivity(Qt::CaseSensitive);
}

int TcxComboBox::itemIndex() const {
    return findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TcxComboBox::replaceItems(const QStringList& items) {
    const QString text = currentText();
    const QSignalBlocker blocker(this);
    setUpdatesEnabled(false);
    const auto paint = qScopeGuard([this] { setUpdatesEnabled(true); });
    clear();
    addItems(items);
    setCurrentIndex(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (currentText() != text) setEditText(text);
}

void TcxComboBox::keyPressEvent(QKeyEvent* event) {
    QString text = event->text();
    if (hooks.filterKey(event, text)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    items.reserve(combo->count());
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}
