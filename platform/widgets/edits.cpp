#include "platform/widgets/edits.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include "platform/rtf/rtf.h"

namespace keys {

bool KeyHooks::filterKey(QKeyEvent* event, QString& text) {
    if (onKeyDown) {
        int key = event->key();
        onKeyDown(key, event->modifiers());
        if (key == 0) return true;
    }
    if (onKeyPress && !text.isEmpty()) {
        QString kept;
        for (QChar ch : text) {
            QChar c = ch;
            onKeyPress(c);
            if (!c.isNull()) kept += c;
        }
        if (kept.isEmpty()) return true;
        text = kept;
    }
    return false;
}

namespace {

// Typed text that arrives through an input method passes the same key-press rule.
// Returns true when the committed text was changed into kept.
bool filterInputMethod(KeyHooks& hooks, QInputMethodEvent* event, QString& kept) {
    if (!hooks.onKeyPress || event->commitString().isEmpty()) return false;
    const QString text = event->commitString();
    kept.clear();
    for (QChar ch : text) {
        QChar c = ch;
        hooks.onKeyPress(c);
        if (!c.isNull()) kept += c;
    }
    return kept != text;
}

}  // namespace
}  // namespace keys

// The shared event handling of the edit controls.
#define PIXOLET_EDIT_EVENTS(Class, Base)                                                   \
    void Class::keyPressEvent(QKeyEvent* event) {                                          \
        QString text = event->text();                                                      \
        const QString original = text;                                                     \
        if (hooks.filterKey(event, text)) {                                                \
            event->accept();                                                               \
            return;                                                                        \
        }                                                                                  \
        if (text == original) {                                                            \
            Base::keyPressEvent(event);                                                    \
            return;                                                                        \
        }                                                                                  \
        QKeyEvent changed(event->type(), event->key(), event->modifiers(), text,           \
                          event->isAutoRepeat(), event->count());                          \
        Base::keyPressEvent(&changed);                                                     \
        event->setAccepted(changed.isAccepted());                                          \
    }                                                                                      \
    void Class::inputMethodEvent(QInputMethodEvent* event) {                               \
        QString kept;                                                                      \
        if (keys::filterInputMethod(hooks, event, kept)) {                                 \
            QInputMethodEvent replaced(event->preeditString(), event->attributes());       \
            replaced.setCommitString(kept, event->replacementStart(),                      \
                                     event->replacementLength());                          \
            Base::inputMethodEvent(&replaced);                                             \
        } else {                                                                           \
            Base::inputMethodEvent(event);                                                 \
        }                                                                                  \
    }                                                                                      \
    void Class::focusInEvent(QFocusEvent* event) {                                         \
        Base::focusInEvent(event);                                                         \
        if (hooks.onEnter) hooks.onEnter();                                                \
    }                                                                                      \
    void Class::focusOutEvent(QFocusEvent* event) {                                        \
        Base::focusOutEvent(event);                                                        \
        if (hooks.onExit) hooks.onExit();                                                  \
    }                                                                                      \
    void Class::mouseReleaseEvent(QMouseEvent* event) {                                    \
        Base::mouseReleaseEvent(event);                                                    \
        if (hooks.onClick) hooks.onClick();                                                \
    }                                                                                      \
    void Class::mouseDoubleClickEvent(QMouseEvent* event) {                                \
        Base::mouseDoubleClickEvent(event);                                                \
        if (hooks.onDblClick) hooks.onDblClick();                                          \
    }

TcxTextEdit::TcxTextEdit(QWidget* parent) : QLineEdit(parent) {}
PIXOLET_EDIT_EVENTS(TcxTextEdit, QLineEdit)

TcxMemo::TcxMemo(QWidget* parent) : QPlainTextEdit(parent) {}

PIXOLET_EDIT_EVENTS(TcxMemo, QPlainTextEdit)

TcxRichEdit::TcxRichEdit(QWidget* parent) : QTextEdit(parent) { setAcceptRichText(true); }
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

QByteArray TcxRichEdit::saveRtf() const { return rtf::write(*document()); }

void TcxRichEdit::loadRtf(const QByteArray& rtf) { rtf::read(rtf, document()); }

TcxCheckBox::TcxCheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

TcxComboBox::TcxComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void TcxComboBox::keyPressEvent(QKeyEvent* event) {
    QString text = event->text();
    if (hooks.filterKey(event, text)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}
