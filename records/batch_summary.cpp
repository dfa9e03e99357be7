// The batch summary composer: "Add", the formatting buttons, search and replace.
#include <QColor>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

#include "app/form1.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "records/keyword_editor.h"
#include "records/summary_writer.h"
#include "records/text_marks.h"

using namespace marks;

namespace {

// A platform colour value: red in the lowest 8 bits, then green, then blue.
QColor fromColorValue(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

// True when the document holds word (A to Z folded) at position.
bool holdsAt(const QTextDocument& document, int position, const QString& word) {
    if (position < 0 || position + word.size() > document.characterCount() - 1) return false;
    for (int i = 0; i < word.size(); ++i)
        if (foldAtoZ(searchChar(document.characterAt(position + i))) != foldAtoZ(word[i]))
            return false;
    return true;
}

// Puts the caret at position with no selection.
void placeCaret(QTextEdit* edit, int position) {
    QTextCursor caret = edit->textCursor();
    caret.setPosition(position);
    edit->setTextCursor(caret);
}

// Groups a pass of changes into one undo step and one relayout.
class EditPass {
public:
    explicit EditPass(QTextDocument* document) : m_cursor(document) { m_cursor.beginEditBlock(); }
    ~EditPass() { m_cursor.endEditBlock(); }
    EditPass(const EditPass&) = delete;
    EditPass& operator=(const EditPass&) = delete;

private:
    QTextCursor m_cursor;
};

// Whether every character of the selection (with none: the caret's style) satisfies test.
template <typename Test>
bool selectionHas(const QTextEdit* edit, Test test) {
    const QTextCursor cursor = edit->textCursor();
    if (!cursor.hasSelection()) return test(cursor.charFormat());
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    bool examined = false;
    for (QTextBlock block = edit->document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= start || fragment.position() >= end)
                continue;
            if (!test(fragment.charFormat())) return false;
            examined = true;
        }
    }
    return examined || test(cursor.charFormat());
}

bool isBold(const QTextCharFormat& format) {
    return format.fontWeight() > QFont::Medium;
}

// Bold and italic as given; underline and strike-out removed.
void setCharStyle(QTextCharFormat& format, bool bold, bool italic) {
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(italic);
    format.setFontUnderline(false);
    format.setFontStrikeOut(false);
}

}  // namespace

void TForm1::ConnectBatchSummary() {
    connect(AddBtn, &QPushButton::clicked, this, &TForm1::AddBtnClick);
    connect(ClearInputBtn, &QPushButton::clicked, this, &TForm1::ClearInputBtnClick);
    connect(BoldBtn, &QToolButton::clicked, this, &TForm1::BoldBtnClick);
    connect(ItalicBtn, &QToolButton::clicked, this, &TForm1::ItalicBtnClick);
    connect(StyleBtn, &QToolButton::clicked, this, &TForm1::StyleBtnClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    SearchEdit2->hooks.onKeyPress = [this](QChar& key) { SearchEdit2KeyPress(key); };
    ReplaceEdit1->hooks.onKeyPress = [this](QChar& key) { ReplaceEdit1KeyPress(key); };
}

void TForm1::AddBtnClick() {
    if (cxTextEdit1->text().isEmpty() || cxMemo1->toPlainText().isEmpty() ||
        cxRichEdit1->toPlainText().isEmpty()) {
        dialogs::get().message(QStringLiteral("Please enter all fields!"));
        return;
    }
    summary::appendEntry(cxRichEdit2->document(),
                         {cxTextEdit1->text(), cxMemo1->toPlainText(), cxRichEdit1->toPlainText()});

    placeCaret(cxRichEdit2, cxRichEdit2->document()->characterCount() - 1);
    cxRichEdit2->ensureCursorVisible();
    cxRichEdit2->verticalScrollBar()->setValue(cxRichEdit2->verticalScrollBar()->maximum());

    cxCheckEdit->clear();
    cxRichEdit1->clear();
    cxMemo1->clear();
    cxTextEdit1->clear();
    cxTextEdit1->setFocus();
}

void TForm1::ClearInputBtnClick() {
    cxTextEdit1->clear();
    cxMemo1->clear();
    cxRichEdit1->clear();
    cxTextEdit1->setFocus();
}

void TForm1::BoldBtnClick() {
    QTextCharFormat change;
    change.setFontWeight(selectionHas(cxRichEdit2, isBold) ? QFont::Normal : QFont::Bold);
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TForm1::ItalicBtnClick() {
    QTextCharFormat change;
    change.setFontItalic(!selectionHas(
        cxRichEdit2, [](const QTextCharFormat& format) { return format.fontItalic(); }));
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TForm1::StyleBtnClick() {
    const QString name = foldAtoZ(AnnotationFontStyle);
    const bool both =
        name == QLatin1String("bolditalic") || name == QLatin1String("bold and italic");
    QTextCharFormat change;
    change.setForeground(fromColorValue(AnnotationFontColor));
    // A size of 0 is no font size; the text keeps its own then.
    if (AnnotationFontSize > 0) change.setFontPointSize(AnnotationFontSize);
    setCharStyle(change, name == QLatin1String("bold") || both,
                 name == QLatin1String("italic") || both);
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TForm1::SpeedButton1Click() {
    QTextCharFormat change;
    change.setForeground(fromColorValue(0));
    change.setFontPointSize(10);
    setCharStyle(change, false, false);
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TForm1::SearchEdit2KeyPress(QChar& Key) {
    if (Key != QChar(13)) return;
    Key = QChar();
    if (!SearchEdit2->text().isEmpty())
        FindYellowRichEdit(cxRichEdit2);
    else
        RemoveYellowRichEdit(cxRichEdit2);
}

void TForm1::FindYellowRichEdit(TcxRichEdit* RichEdit) {
    const QString searched = SearchEdit2->text();
    if (text::trim(searched).isEmpty()) return;
    RichEdit->beginUpdate();
    errors::withClosingSteps(
        [&] {
            errors::withClosingSteps(
                [&] {
                    FoundPositions.clear();
                    FoundCount = 0;
                    FoundText = searched;
                    QTextDocument* document = RichEdit->document();
                    const EditPass pass(document);
                    paintWholeBackground(document, kUnmarkedColor);
                    for (int position : KeywordOccurrences(searchableText(*document), searched)) {
                        ++FoundCount;
                        QTextCursor occurrence(document);
                        occurrence.setPosition(position);
                        occurrence.setPosition(position + searched.size(), QTextCursor::KeepAnchor);
                        setBackground(occurrence, kMarkColor);
                        FoundPositions.append(position);
                        if (FoundCount == 1) HighlightsShown = true;
                    }
                },
                [&] {
                    if (FoundCount > 0) {
                        RichEdit->setFocus();
                        placeCaret(RichEdit, FoundPositions.first());
                        RichEdit->ensureCursorVisible();
                    } else {
                        placeCaret(RichEdit, 0);
                        dialogs::get().message(QStringLiteral("The searched word was not found!"));
                    }
                });
        },
        [&] {
            Label20->setText(QString::number(FoundCount));
            RichEdit->endUpdate();
            SearchEdit2->setFocus();
        });
}

void TForm1::RemoveYellowRichEdit(TcxRichEdit* RichEdit) {
    const int caret = RichEdit->textCursor().position();
    RichEdit->beginUpdate();
    errors::withClosingSteps(
        [&] {
            paintWholeBackground(RichEdit->document(), kUnmarkedColor);
            placeCaret(RichEdit, caret);
        },
        [&] {
            RichEdit->endUpdate();
            Label20->setText(QStringLiteral("0"));
            RichEdit->viewport()->update();
        });
}

void TForm1::ReplaceEdit1KeyPress(QChar& Key) {
    if (Key != QChar(13)) return;
    Key = QChar();
    TcxRichEdit* edit = cxRichEdit2;
    edit->beginUpdate();
    errors::withClosingSteps(
        [&] {
            // The caret's style and colour, read once, go to every inserted text.
            const QTextCharFormat caret = edit->textCursor().charFormat();
            const QString searched = SearchEdit2->text();
            const QString replacement = ReplaceEdit1->text();
            // Only what the last search marked is replaced: the "Search" box must still
            // hold that text, and the document must still hold it at the position.
            if (searched.isEmpty() || foldAtoZ(searched) != foldAtoZ(FoundText)) return;
            QTextDocument* document = edit->document();
            const EditPass pass(document);
            for (int i = FoundPositions.size() - 1; i >= 0; --i) {
                const int position = FoundPositions[i];
                if (!holdsAt(*document, position, searched)) continue;
                QTextCursor occurrence(document);
                occurrence.setPosition(position);
                occurrence.setPosition(position + searched.size(), QTextCursor::KeepAnchor);
                QTextCharFormat format = occurrence.charFormat();
                setCharStyle(format, isBold(caret), caret.fontItalic());
                format.setFontUnderline(caret.fontUnderline());
                format.setFontStrikeOut(caret.fontStrikeOut());
                if (caret.hasProperty(QTextFormat::ForegroundBrush))
                    format.setForeground(caret.foreground());
                else
                    format.clearForeground();
                occurrence.insertText(replacement, format);
            }
        },
        [&] {
            errors::withClosingSteps([&] { RemoveYellowRichEdit(edit); },
                                     [&] {
                                         edit->endUpdate();
                                         SearchEdit2->clear();
                                         ReplaceEdit1->clear();
                                         Label20->setText(QStringLiteral("0"));
                                         FoundPositions.clear();
                                         SearchEdit2->setFocus();
                                     });
        });
}

void TForm1::ClearInputFields() {
    cxTextEdit1->clear();
    cxMemo1->clear();
    cxRichEdit1->clear();
    cxTextEdit2->clear();
    cxTextEdit3->clear();
    GroupCombo->setCurrentIndex(-1);
    GroupCombo->clearEditText();
    SearchEdit2->clear();
    ReplaceEdit1->clear();
}
