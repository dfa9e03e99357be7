// The Create card's batch summary composer: "Add", the formatting buttons, search and
// replace.
#include <QColor>
#include <QLabel>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/skin/skin.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "records/card_frame.h"
#include "records/createcard.h"
#include "records/main_state.h"
#include "records/occurrences.h"
#include "records/summary_writer.h"
#include "records/text_marks.h"

namespace {

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

void TCreateCard::AddBtnClick() {
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

void TCreateCard::ClearInputBtnClick() {
    cxTextEdit1->clear();
    cxMemo1->clear();
    cxRichEdit1->clear();
    cxTextEdit1->setFocus();
}

void TCreateCard::BoldBtnClick() {
    QTextCharFormat change;
    change.setFontWeight(selectionHas(cxRichEdit2, isBold) ? QFont::Normal : QFont::Bold);
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TCreateCard::ItalicBtnClick() {
    QTextCharFormat change;
    change.setFontItalic(!selectionHas(
        cxRichEdit2, [](const QTextCharFormat& format) { return format.fontItalic(); }));
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TCreateCard::StyleBtnClick() {
    const QString name = occurrences::foldAtoZ(m_frame.state().AnnotationFontStyle());
    const bool both =
        name == QLatin1String("bolditalic") || name == QLatin1String("bold and italic");
    QTextCharFormat change;
    change.setForeground(skin::fromColorValue(m_frame.state().AnnotationFontColor()));
    // A size of 0 is no font size; the text keeps its own then.
    if (m_frame.state().AnnotationFontSize() > 0)
        change.setFontPointSize(m_frame.state().AnnotationFontSize());
    setCharStyle(change, name == QLatin1String("bold") || both,
                 name == QLatin1String("italic") || both);
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TCreateCard::SpeedButton1Click() {
    QTextCharFormat change;
    change.setForeground(skin::fromColorValue(0));
    change.setFontPointSize(10);
    setCharStyle(change, false, false);
    cxRichEdit2->mergeCurrentCharFormat(change);
}

void TCreateCard::SearchEdit2KeyPress(QChar& Key) {
    if (Key != QChar(13)) return;
    Key = QChar();
    if (!SearchEdit2->text().isEmpty())
        FindYellowRichEdit(cxRichEdit2);
    else
        RemoveYellowRichEdit(cxRichEdit2);
}

void TCreateCard::FindYellowRichEdit(TcxRichEdit* RichEdit) {
    const QString searched = SearchEdit2->text();
    if (text::trim(searched).isEmpty()) return;
    RichEdit->beginUpdate();
    const auto finish = errors::finally([&] {
        Label20->setText(QString::number(FoundCount));
        RichEdit->endUpdate();
        SearchEdit2->setFocus();
    });
    const auto showResult = errors::finally([&] {
        if (FoundCount > 0) {
            RichEdit->setFocus();
            placeCaret(RichEdit, FoundPositions.first());
            RichEdit->ensureCursorVisible();
        } else {
            placeCaret(RichEdit, 0);
            dialogs::get().message(QStringLiteral("The searched word was not found!"));
        }
    });

    FoundPositions.clear();
    FoundCount = 0;
    FoundText = searched;
    QTextDocument* document = RichEdit->document();
    const EditPass pass(document);
    FoundPositions = marks::markYellow(document, searched);
    FoundCount = static_cast<int>(FoundPositions.size());
    if (FoundCount > 0) m_frame.HighlightsShown = true;
}

void TCreateCard::RemoveYellowRichEdit(TcxRichEdit* RichEdit) {
    const int caret = RichEdit->textCursor().position();
    RichEdit->beginUpdate();
    const auto finish = errors::finally([&] {
        RichEdit->endUpdate();
        Label20->setText(QStringLiteral("0"));
        RichEdit->viewport()->update();
    });
    marks::paintWholeBackground(RichEdit->document(), marks::kUnmarkedColor);
    placeCaret(RichEdit, caret);
}

void TCreateCard::ReplaceEdit1KeyPress(QChar& Key) {
    if (Key != QChar(13)) return;
    Key = QChar();
    TcxRichEdit* edit = cxRichEdit2;
    edit->beginUpdate();
    const auto finish = errors::finally([&] {
        edit->endUpdate();
        SearchEdit2->clear();
        ReplaceEdit1->clear();
        Label20->setText(QStringLiteral("0"));
        FoundPositions.clear();
        SearchEdit2->setFocus();
    });
    const auto unmark = errors::finally([&] { RemoveYellowRichEdit(edit); });

    // The caret's style and colour, read once, go to every inserted text.
    const QTextCharFormat caret = edit->textCursor().charFormat();
    const QString searched = SearchEdit2->text();
    const QString replacement = ReplaceEdit1->text();
    // Only what the last search marked is replaced: the "Search" box must still hold that
    // text, and the document must still hold it at the position.
    if (searched.isEmpty() || occurrences::foldAtoZ(searched) != occurrences::foldAtoZ(FoundText))
        return;
    QTextDocument* document = edit->document();
    // Taken once: the positions are replaced from the last to the first, so the text before
    // each of them is still the text taken here.
    const QString text = marks::searchableText(*document);
    const EditPass pass(document);
    for (qsizetype i = FoundPositions.size() - 1; i >= 0; --i) {
        const int position = FoundPositions[i];
        if (!occurrences::occursAt(text, position, searched)) continue;
        QTextCursor occurrence(document);
        occurrence.setPosition(position);
        occurrence.setPosition(position + static_cast<int>(searched.size()),
                               QTextCursor::KeepAnchor);
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
}

void TCreateCard::ClearInputFields() {
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
