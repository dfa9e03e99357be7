#include "records/keyword_editor.h"

#include <QLabel>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "app/form1.h"
#include "platform/widgets/edits.h"

namespace KeywordList {

int count(const QString& text) {
    const qsizetype n = text.size();
    const auto isSeparator = [&](qsizetype i) { return text[i] == u',' || text[i] == u';'; };
    const auto skipToSeparator = [&](qsizetype i) {
        while (i < n && !isSeparator(i)) ++i;
        return i;
    };
    int keywords = 0;
    qsizetype i = 0;
    while (i < n) {
        if (text[i] == u'"') {
            // A quoted keyword: up to the closing quote, a doubled quote stands for one.
            ++i;
            while (i < n) {
                if (text[i] != u'"') {
                    ++i;
                } else if (i + 1 < n && text[i + 1] == u'"') {
                    i += 2;
                } else {
                    ++i;
                    break;
                }
            }
            ++keywords;
            // What follows the closing quote up to the next comma is a keyword of its own.
            if (i < n && !isSeparator(i)) {
                i = skipToSeparator(i);
                ++keywords;
            }
        } else {
            i = skipToSeparator(i);
            ++keywords;
        }
        if (i < n) {
            ++i;                     // the separator
            if (i == n) ++keywords;  // a trailing comma ends with an empty keyword
        }
    }
    return keywords;
}

QString append(const QString& list, const QString& word) {
    if (list.isEmpty()) return word;
    if (list.endsWith(u',')) return list + u' ' + word;
    return list + QStringLiteral(", ") + word;
}

}  // namespace KeywordList

namespace {

const QColor kRed(255, 0, 0);

QChar foldAscii(QChar c) {
    return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + 32) : c;
}

bool isBlank(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 32; });
}

// The counters: a decimal number, red near the limit, the window-text colour otherwise.
void showCounter(QLabel* label, int value, bool warn) {
    label->setText(QString::number(value));
    QPalette palette;  // no colour of its own: the label takes its parent's
    if (warn) palette.setColor(QPalette::WindowText, kRed);
    label->setPalette(palette);
}

// Runs fn when the document's text differs from last; a change of character attributes alone
// leaves the text as it was.
template <typename Fn>
void onTextChange(QTextDocument* document, QString& last, Fn fn) {
    const QString text = document->toRawText();
    if (text == last) return;
    last = text;
    fn();
}

// Rebuilds the marking of a keywords field: default attributes everywhere, then red bold on
// every occurrence of word (none for an empty word). Repainting waits for the end, and the
// caret goes to caret with no selection, also when something goes wrong on the way.
void remark(TcxRichEdit* edit, const QString& word, int caret) {
    QTextDocument* document = edit->document();
    edit->beginUpdate();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    struct Finish {
        TcxRichEdit* edit;
        QTextCursor& cursor;
        int caret;
        ~Finish() {
            cursor.endEditBlock();
            QTextCursor caretCursor = edit->textCursor();
            const int at = std::clamp(caret, 0, edit->document()->characterCount() - 1);
            if (caretCursor.hasSelection() || caretCursor.position() != at) {
                caretCursor.setPosition(at);
                edit->setTextCursor(caretCursor);
            }
            edit->endUpdate();
        }
    } finish{edit, cursor, caret};

    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(QTextCharFormat());
    if (word.isEmpty()) return;
    QTextCharFormat mark;
    mark.setForeground(kRed);
    mark.setFontWeight(QFont::Bold);
    // The raw text has one character per caret position, a line break included.
    for (int at : KeywordOccurrences(document->toRawText(), word)) {
        cursor.setPosition(at);
        cursor.setPosition(at + word.size(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(mark);
    }
}

void clearMarking(TcxRichEdit* edit, int caret) {
    remark(edit, QString(), caret);
}

}  // namespace

QList<int> KeywordOccurrences(const QString& text, const QString& word) {
    QList<int> found;
    const qsizetype length = word.size();
    if (length == 0) return found;
    qsizetype from = 0;
    while (from + length <= text.size()) {
        qsizetype i = 0;
        while (i < length && foldAscii(text[from + i]) == foldAscii(word[i])) ++i;
        if (i == length) {
            found.append(static_cast<int>(from));
            from += length;
        } else {
            ++from;
        }
    }
    return found;
}

void HighlightKeyword(TcxRichEdit* edit, const QString& word) {
    if (word.isEmpty()) return;
    remark(edit, word, edit->textCursor().position());
}

void BatchFieldKeyPress(QChar& key) {
    if (key == u',' || key == u':' || key == u';') key = QChar();
}

KeywordEditor::KeywordEditor(const Fields& fields, QObject* parent)
    : QObject(parent), m_fields(fields) {
    m_description = fields.description->document()->toRawText();
    m_keywords = fields.keywords->document()->toRawText();

    connect(fields.title, &QLineEdit::textChanged, this, &KeywordEditor::TitleChange);
    connect(fields.description, &QPlainTextEdit::textChanged, this, [this] {
        onTextChange(m_fields.description->document(), m_description,
                     [this] { DescriptionChange(); });
    });
    connect(fields.keywords, &QTextEdit::textChanged, this, [this] {
        onTextChange(m_fields.keywords->document(), m_keywords, [this] { KeywordsValueChanged(); });
    });
    connect(fields.addAndCheck, &QLineEdit::textChanged, this, &KeywordEditor::CheckEditChange);

    keys::KeyHooks& keywords = fields.keywords->hooks;
    keywords.onKeyPress = [this](QChar& key) { KeywordsKeyPress(key); };
    keywords.onClick = [this] { KeywordsClick(); };
    keywords.onDblClick = [this] { KeywordsDblClick(); };
    keywords.onExit = [this] { KeywordsExit(); };
    keys::KeyHooks& check = fields.addAndCheck->hooks;
    check.onKeyPress = [this](QChar& key) { CheckEditKeyPress(key); };
    check.onKeyUp = [this](int& key, Qt::KeyboardModifiers shift) { CheckEditKeyUp(key, shift); };
}

int KeywordEditor::shownCount() const {
    return m_fields.keywordCount->text().toInt();
}

void KeywordEditor::TitleChange() {
    const int left = Form1->TitleMax - static_cast<int>(m_fields.title->text().size());
    showCounter(m_fields.titleLeft, left, left < 10);
}

void KeywordEditor::DescriptionChange() {
    const int length = TcxMemo::textLength(m_fields.description->toPlainText());
    const int left = Form1->DescriptionMax - length;
    showCounter(m_fields.descriptionLeft, left, left < 21);
}

void KeywordEditor::KeywordsValueChanged() {
    const int count = KeywordList::count(m_fields.keywords->toPlainText());
    showCounter(m_fields.keywordCount, count, Form1->KeywordsMax - count < 6);
}

void KeywordEditor::KeywordsKeyPress(QChar& key) {
    if (shownCount() == Form1->KeywordsMax && (key == u',' || key == u':' || key == u';'))
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
    if (isBlank(text)) m_fields.keywordCount->setText(QString::number(KeywordList::count(text)));
}

void KeywordEditor::CheckEditKeyPress(QChar& key) {
    if (key == u',' || key == u'.' || key == u':' || key == u';') key = QChar();
}

void KeywordEditor::CheckEditKeyUp(int& key, Qt::KeyboardModifiers /*shift*/) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    const QString word = m_fields.addAndCheck->text();
    if (word.isEmpty() || shownCount() >= Form1->KeywordsMax) return;
    TcxRichEdit* edit = m_fields.keywords;
    const QString list = KeywordList::append(edit->document()->toRawText(), word);
    edit->beginUpdate();
    QTextCursor cursor(edit->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(list, QTextCharFormat());
    cursor.endEditBlock();
    edit->endUpdate();
    m_fields.addAndCheck->clear();
}

void KeywordEditor::CheckEditChange() {
    const QString text = m_fields.addAndCheck->text();
    if (text.size() >= 3)
        HighlightKeyword(m_fields.keywords, text);
    else
        clearMarking(m_fields.keywords, 0);
}

// The main window's handlers of the Create card's keyword editor.
void TForm1::cxTextEdit1PropertiesChange() {
    FKeywordEditor->TitleChange();
}
void TForm1::cxMemo1PropertiesChange() {
    FKeywordEditor->DescriptionChange();
}
void TForm1::cxRichEdit1PropertiesEditValueChanged() {
    FKeywordEditor->KeywordsValueChanged();
}
void TForm1::cxRichEdit1KeyPress(QChar& Key) {
    FKeywordEditor->KeywordsKeyPress(Key);
}
void TForm1::cxRichEdit1Click() {
    FKeywordEditor->KeywordsClick();
}
void TForm1::cxRichEdit1DblClick() {
    FKeywordEditor->KeywordsDblClick();
}
void TForm1::cxRichEdit1Exit() {
    FKeywordEditor->KeywordsExit();
}
void TForm1::cxCheckEditKeyPress(QChar& Key) {
    FKeywordEditor->CheckEditKeyPress(Key);
}
void TForm1::cxCheckEditKeyUp(int& Key, Qt::KeyboardModifiers Shift) {
    FKeywordEditor->CheckEditKeyUp(Key, Shift);
}
void TForm1::cxCheckEditPropertiesChange() {
    FKeywordEditor->CheckEditChange();
}
void TForm1::cxTextEdit2KeyPress(QChar& Key) {
    BatchFieldKeyPress(Key);
}
void TForm1::cxTextEdit3KeyPress(QChar& Key) {
    BatchFieldKeyPress(Key);
}
