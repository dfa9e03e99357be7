// The Search card's handlers: the three searches, Select All, the yellow marks in the
// record view, plain-text copy, the grid popup, Edit Record and Delete Record.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "platform/text/text.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "records/card_frame.h"
#include "records/dm.h"
#include "records/edit_mode.h"
#include "records/record.h"
#include "records/record_store.h"
#include "records/searchcard.h"
#include "records/text_marks.h"

namespace {

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

template <typename Search>
void TSearchCard::runSearch(Search search) {
    m_frame.showStatus(QStringLiteral("Searching..."));
    const auto ready = errors::finally([this] { m_frame.showStatus(QStringLiteral("Ready")); });
    search(DM->records());
}

void TSearchCard::cxTextEdit4KeyDown(int& Key, Qt::KeyboardModifiers /*Shift*/) {
    if (!isEnter(Key)) return;
    const QString text = cxTextEdit4->text();
    if (text.isEmpty()) {
        DM->records().openListingIfOther();
        return;
    }
    runSearch([&](RecordStore& store) { store.searchTitle(text); });
}

void TSearchCard::cxTextEdit5KeyDown(int& Key, Qt::KeyboardModifiers /*Shift*/) {
    if (!isEnter(Key)) return;
    runSearch([&](RecordStore& store) { store.searchTags(cxTextEdit5->text()); });
}

void TSearchCard::cxTextEdit7KeyDown(int& Key, Qt::KeyboardModifiers /*Shift*/) {
    if (!isEnter(Key)) return;
    const QString text = cxTextEdit7->text();
    if (text.isEmpty()) {
        DM->records().openListing();
        SelectAllBtnClick();
        return;
    }
    runSearch([&](RecordStore& store) { store.searchAnyWord(text); });
    if (DM->records().recordCount() > 0) {
        SearchEdit1->setText(text);
        ShowYellowHighlights();
    }
}

void TSearchCard::SelectAllBtnClick() {
    DM->records().openListingIfOther();
    SearchEdit1->clear();
    cxTextEdit4->clear();
    cxTextEdit5->clear();
    cxTextEdit7->clear();
    cxTextEdit4->setFocus();
}

void TSearchCard::SearchEdit1KeyPress(QChar& Key) {
    if (Key != QChar(13)) return;
    Key = QChar();
    const auto refocus = errors::finally([this] { SearchEdit1->setFocus(); });
    if (!SearchEdit1->text().isEmpty())
        ShowYellowHighlights();
    else
        RemoveYellowHighlights();
}

void TSearchCard::ShowYellowHighlights() {
    const QString word = SearchEdit1->text();
    if (text::trim(word).isEmpty()) return;
    QTextDocument* document = cxDBRichEdit1->document();
    QList<int> found;
    {
        const TcxRichEdit::UpdateHold hold(cxDBRichEdit1);
        QTextCursor cursor(document);
        cursor.beginEditBlock();
        const auto endBlock = errors::finally([&cursor] { cursor.endEditBlock(); });
        found = marks::markYellow(document, word);
    }
    if (found.isEmpty()) return;
    m_frame.HighlightsShown = true;
    cxDBRichEdit1->setFocus();
    QTextCursor caret(document);
    caret.setPosition(found.first());
    cxDBRichEdit1->setTextCursor(caret);
    cxDBRichEdit1->ensureCursorVisible();
}

void TSearchCard::RemoveYellowHighlights() {
    QTextDocument* document = cxDBRichEdit1->document();
    const int caretAt = cxDBRichEdit1->textCursor().selectionStart();
    {
        const TcxRichEdit::UpdateHold hold(cxDBRichEdit1);
        QTextCursor cursor(document);
        cursor.beginEditBlock();
        marks::paintWholeBackground(document, marks::kUnmarkedColor);
        cursor.endEditBlock();
        QTextCursor caret(document);
        caret.setPosition(qBound(0, caretAt, document->characterCount() - 1));
        cxDBRichEdit1->setTextCursor(caret);
    }
    cxDBRichEdit1->setFocus();
    m_frame.HighlightsShown = false;
}

void TSearchCard::cxDBRichEdit1KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    if (Key != Qt::Key_C || !(Shift & Qt::ControlModifier)) return;
    QString text = cxDBRichEdit1->textCursor().selection().toPlainText();
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == QLatin1Char('\r') || text[end - 1] == QLatin1Char('\n')))
        --end;
    text.truncate(end);
    QGuiApplication::clipboard()->setText(text);
    Key = 0;
}

void TSearchCard::GridPopupPopup() {
    const bool any = DM->records().recordCount() > 0;
    EditRecord->setEnabled(any);
    ExportRecord->setEnabled(any);
    DeleteRecord->setEnabled(any);
}

void TSearchCard::EditRecordClick() {
    m_frame.editMode().setMode(EditMode::Edit);
    // The marks of the record view are not copied.
    if (m_frame.HighlightsShown) RemoveYellowHighlights();
    Record record = DM->records().currentFields();
    record.id = DM->records().currentId();
    record.summaryRtf = cxDBRichEdit1->saveRtf();
    m_frame.editRecord(record);
}

void TSearchCard::DeleteRecordClick() {
    if (dialogs::get().confirm(QStringLiteral("Selected record will be permanently removed from "
                                              "database!\rDo you wish to continue?"),
                               dialogs::Icon::Warning,
                               dialogs::Place::ScreenCentre) != dialogs::Answer::Yes)
        return;
    RecordStore& store = DM->records();
    const sql::ControlsSuspended suspended(store.query());
    m_frame.RecordID = store.currentId();
    store.remove(m_frame.RecordID);
    if (store.recordCount() == 0) m_frame.refillGroupList();
}
