#include "records/keyword_editor.h"

#include <QLabel>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/errors/guard.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "records/keyword_list.h"
#include "records/main_state.h"
#include "records/text_marks.h"

namespace {

const QColor kRed(255, 0, 0);

// The counters: a decimal number, red near the limit, the window-text colour otherwise. They
// are computed with 64 bits, so that no limit a settings file holds makes them overflow.
void showCounter(QLabel* label, qint64 value, bool warn) {
    label->setText(QString::number(value));
    QPalette palette;  // no colour of its own: the label takes its parent's
    if (warn) palette.setColor(QPalette::WindowText, kRed);
    label->setPalette(palette);
}

// Rebuilds the marking of a keywords field: default attributes everywhere, then red bold on
// every occurrence of word (none for an empty word). Repainting waits for the end, and the
// caret goes to caret with no selection, also when something goes wrong on the way.
void remark(TcxRichEdit* edit, const QString& word, int caret) {
    QTextDocument* document = edit->document();
    const TcxRichEdit::UpdateHold hold(edit);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    const auto finish = errors::finally([&] {
        cursor.endEditBlock();
        QTextCursor caretCursor = edit->textCursor();
        const int at = std::clamp(caret, 0, document->characterCount() - 1);
        if (caretCursor.hasSelection() || caretCursor.position() != at) {
            caretCursor.setPosition(at);
            edit->setTextCursor(caretCursor);
        }
    });

    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(QTextCharFormat());
    if (word.isEmpty()) return;
    QTextCharFormat mark;
    mark.setForeground(kRed);
    mark.setFontWeight(QFont::Bold);
    // The raw text has one character per caret position, a line break included.
    marks::markOccurrences(document, document->toRawText(), word, mark);
}

void clearMarking(TcxRichEdit* edit, int caret) {
    remark(edit, QString(), caret);
}

}  // namespace

void HighlightKeyword(TcxRichEdit* edit, const QString& word) {
    if (word.isEmpty()) return;
    remark(edit, word, edit->textCursor().position());
}

void BatchFieldKeyPress(QChar& key) noexcept {
    if (key == u',' || key == u':' || key == u';') key = QChar();
}

KeywordEditor::KeywordEditor(const Fields& fields, const MainState& limits, QObject* parent)
    : QObject(parent), m_fields(fields), m_limits(limits) {
    m_description = fields.description->document()->toRawText();
    m_keywords = fields.keywords->document()->toRawText();

    connect(fields.title, &QLineEdit::textChanged, this,
            errors::guarded(this, &KeywordEditor::TitleChange));
    connect(fields.description, &QPlainTextEdit::textChanged, this,
            errors::guarded(this, &KeywordEditor::DescriptionTextChanged));
    connect(fields.keywords, &QTextEdit::textChanged, this,
            errors::guarded(this, &KeywordEditor::KeywordsTextChanged));
    connect(fields.addAndCheck, &QLineEdit::textChanged, this,
            errors::guarded(this, &KeywordEditor::CheckEditChange));

    keys::KeyHooks& keywords = fields.keywords->hooks;
    keywords.onKeyPress = errors::guarded(this, &KeywordEditor::KeywordsKeyPress);
    keywords.onClick = errors::guarded(this, &KeywordEditor::KeywordsClick);
    keywords.onDblClick = errors::guarded(this, &KeywordEditor::KeywordsDblClick);
    keywords.onExit = errors::guarded(this, &KeywordEditor::KeywordsExit);
    keys::KeyHooks& check = fields.addAndCheck->hooks;
    check.onKeyPress = errors::guarded(this, &KeywordEditor::CheckEditKeyPress);
    check.onKeyUp = errors::guarded(this, &KeywordEditor::CheckEditKeyUp);
}

int KeywordEditor::shownCount() const {
    return m_fields.keywordCount->text().toInt();
}

// A change of character attributes alone (the marking) changes no value.
void KeywordEditor::DescriptionTextChanged() {
    const QString text = m_fields.description->document()->toRawText();
    if (text == m_description) return;
    m_description = text;
    DescriptionChange();
}

void KeywordEditor::KeywordsTextChanged() {
    const QString text = m_fields.keywords->document()->toRawText();
    if (text == m_keywords) return;
    m_keywords = text;
    KeywordsValueChanged();
}

void KeywordEditor::TitleChange() {
    const qint64 left = qint64(m_limits.TitleMax()) - m_fields.title->text().size();
    showCounter(m_fields.titleLeft, left, left < 10);
}

void KeywordEditor::DescriptionChange() {
    const int length = TcxMemo::textLength(m_fields.description->toPlainText());
    const qint64 left = qint64(m_limits.DescriptionMax()) - length;
    showCounter(m_fields.descriptionLeft, left, left < 21);
}

void KeywordEditor::KeywordsValueChanged() {
    const int count = KeywordList::count(m_fields.keywords->toPlainText());
    showCounter(m_fields.keywordCount, count, qint64(m_limits.KeywordsMax()) - count < 6);
}

void KeywordEditor::KeywordsKeyPress(QChar& key) {
    if (shownCount() == m_limits.KeywordsMax() && (key == u',' || key == u':' || key == u';'))
        key = QChar();
}

void KeywordEditor::KeywordsClick() {
    const QTextCursor cursor = m_fields.keywords->textCursor();
    if (!cursor.hasSelection()) clearMarking(m_fields.keywords, cursor.position());
}

void KeywordEditor::KeywordsDblClick() {
    const QTextCursor cursor = m_fields.keywords->textCursor();
    if (cursor.selectionEnd() - cursor.selectionStart() < 3) {
        clearMarking(m_fields.keywords, cursor.position());
        return;
    }
    QString word = cursor.selectedText();
    const QChar last = word.back();
    if (last == u' ' || last == u',' || last == u':' || last == u';') word.chop(1);
    m_fields.addAndCheck->setFocus(Qt::OtherFocusReason);
    HighlightKeyword(m_fields.keywords, word);
}

void KeywordEditor::KeywordsExit() {
    // A blank field counts its keywords as ever, so the add-and-check and separator rules go
    // on working on it; the colour stays.
    const QString text = m_fields.keywords->toPlainText();
    if (text::trim(text).isEmpty())
        m_fields.keywordCount->setText(QString::number(KeywordList::count(text)));
}

void KeywordEditor::CheckEditKeyPress(QChar& key) {
    if (key == u',' || key == u'.' || key == u':' || key == u';') key = QChar();
}

void KeywordEditor::CheckEditKeyUp(int& key, Qt::KeyboardModifiers /*shift*/) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    const QString word = m_fields.addAndCheck->text();
    if (word.isEmpty() || shownCount() >= m_limits.KeywordsMax()) return;
    TcxRichEdit* edit = m_fields.keywords;
    const QString list = KeywordList::append(edit->document()->toRawText(), word);
    {
        const TcxRichEdit::UpdateHold hold(edit);
        QTextCursor cursor(edit->document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(list, QTextCharFormat());
        cursor.endEditBlock();
    }
    m_fields.addAndCheck->clear();
}

void KeywordEditor::CheckEditChange() {
    const QString text = m_fields.addAndCheck->text();
    if (text.size() >= 3)
        HighlightKeyword(m_fields.keywords, text);
    else
        clearMarking(m_fields.keywords, 0);
}
