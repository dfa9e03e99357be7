// The Search card's handlers: the three searches, Select All, the yellow marks in the
// record view, plain-text copy, the grid popup and Delete Record.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include "app/form1.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "platform/text/text.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "records/keyword_editor.h"
#include "records/text_marks.h"

namespace {

const QString kFullListing = QStringLiteral("Select * FROM tblTags");

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Opens the full listing unless it is what the main query already shows. A listing
// left closed by a failed statement is opened again too.
void openFullListingIfOther() {
    sql::Query* query = DM->FDQuery1;
    if (query->sql() == kFullListing && query->active()) return;
    query->setSQL(kFullListing);
    query->open();
}

// One search statement: "Searching..." while it runs, "Ready" after, also when it fails.
void runSearch(TForm1* form, const QString& statement, const QString& param, const QString& text) {
    form->StatusBar1->setPanelText(0, QStringLiteral("Searching..."));
    const auto ready =
        qScopeGuard([form] { form->StatusBar1->setPanelText(0, QStringLiteral("Ready")); });
    sql::Query* query = DM->FDQuery1;
    query->setSQL(statement);
    query->setParamString(param, QLatin1Char('%') + text + QLatin1Char('%'));
    query->open();
}

// The tags search: one condition per non-empty piece of the input split at " ;:,.",
// numbered by the piece's place in the input.
struct TagsStatement {
    QString sql;
    std::vector<std::pair<QString, QString>> params;  // name, value
};

TagsStatement tagsStatement(const QString& trimmedInput) {
    TagsStatement result;
    QStringList conditions;
    const QString separators = QStringLiteral(" ;:,.");
    int number = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= trimmedInput.size(); ++i) {
        if (i < trimmedInput.size() && !separators.contains(trimmedInput[i])) continue;
        const QString piece = trimmedInput.mid(start, i - start);
        if (!piece.isEmpty()) {
            const QString name = QStringLiteral("word") + QString::number(number);
            conditions << QStringLiteral("Keys LIKE :") + name;
            result.params.emplace_back(name, QLatin1Char('%') + piece + QLatin1Char('%'));
        }
        ++number;
        start = i + 1;
    }
    result.sql = conditions.isEmpty() ? QStringLiteral("SELECT * FROM tblTags")
                                      : QStringLiteral("SELECT * FROM tblTags WHERE ") +
                                            conditions.join(QStringLiteral(" AND "));
    return result;
}

}  // namespace

void TForm1::cxTextEdit4KeyDown(int& Key, Qt::KeyboardModifiers /*Shift*/) {
    if (!isEnter(Key)) return;
    const QString text = cxTextEdit4->text();
    if (text.isEmpty()) {
        openFullListingIfOther();
        return;
    }
    runSearch(this, QStringLiteral("Select * FROM tblTags WHERE \"Title\" LIKE :titleword"),
              QStringLiteral("titleword"), text);
}

void TForm1::cxTextEdit5KeyDown(int& Key, Qt::KeyboardModifiers /*Shift*/) {
    if (!isEnter(Key)) return;
    StatusBar1->setPanelText(0, QStringLiteral("Searching..."));
    const auto ready =
        qScopeGuard([this] { StatusBar1->setPanelText(0, QStringLiteral("Ready")); });
    const TagsStatement statement = tagsStatement(text::trim(cxTextEdit5->text()));
    sql::Query* query = DM->FDQuery1;
    query->setSQL(statement.sql);
    for (const auto& [name, value] : statement.params) query->setParamString(name, value);
    query->open();
}

void TForm1::cxTextEdit7KeyDown(int& Key, Qt::KeyboardModifiers /*Shift*/) {
    if (!isEnter(Key)) return;
    const QString text = cxTextEdit7->text();
    if (text.isEmpty()) {
        DM->FDQuery1->setSQL(kFullListing);
        DM->FDQuery1->open();
        SelectAllBtnClick();
        return;
    }
    runSearch(this, QStringLiteral("Select * FROM tblTags WHERE \"AllKeys\" LIKE :allkeysword"),
              QStringLiteral("allkeysword"), text);
    if (DM->FDQuery1->recordCount() > 0) {
        SearchEdit1->setText(text);
        ShowYellowHighlights();
    }
}

void TForm1::SelectAllBtnClick() {
    openFullListingIfOther();
    SearchEdit1->clear();
    cxTextEdit4->clear();
    cxTextEdit5->clear();
    cxTextEdit7->clear();
    cxTextEdit4->setFocus();
}

void TForm1::SearchEdit1KeyPress(QChar& Key) {
    if (Key != QChar(13)) return;
    Key = QChar();
    const auto refocus = qScopeGuard([this] { SearchEdit1->setFocus(); });
    if (!SearchEdit1->text().isEmpty())
        ShowYellowHighlights();
    else
        RemoveYellowHighlights();
}

void TForm1::ShowYellowHighlights() {
    const QString word = SearchEdit1->text();
    if (text::trim(word).isEmpty()) return;
    QTextDocument* document = cxDBRichEdit1->document();
    const QList<int> found = KeywordOccurrences(marks::searchableText(*document), word);

    {
        const TcxRichEdit::UpdateHold hold(cxDBRichEdit1);
        QTextCursor cursor(document);
        cursor.beginEditBlock();
        const auto endBlock = qScopeGuard([&cursor] { cursor.endEditBlock(); });
        cursor.select(QTextCursor::Document);
        marks::setBackground(cursor, marks::kUnmarkedColor);
        for (const int at : found) {
            cursor.setPosition(at);
            cursor.setPosition(at + static_cast<int>(word.size()), QTextCursor::KeepAnchor);
            marks::setBackground(cursor, marks::kMarkColor);
        }
    }
    if (found.isEmpty()) return;
    HighlightsShown = true;
    const int first = found.first();
    cxDBRichEdit1->setFocus();
    QTextCursor caret(document);
    caret.setPosition(static_cast<int>(first));
    cxDBRichEdit1->setTextCursor(caret);
    cxDBRichEdit1->ensureCursorVisible();
}

void TForm1::RemoveYellowHighlights() {
    QTextDocument* document = cxDBRichEdit1->document();
    const int caretAt = cxDBRichEdit1->textCursor().selectionStart();
    {
        const TcxRichEdit::UpdateHold hold(cxDBRichEdit1);
        QTextCursor cursor(document);
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        marks::setBackground(cursor, marks::kUnmarkedColor);
        cursor.endEditBlock();
        QTextCursor caret(document);
        caret.setPosition(qBound(0, caretAt, document->characterCount() - 1));
        cxDBRichEdit1->setTextCursor(caret);
    }
    cxDBRichEdit1->setFocus();
    HighlightsShown = false;
}

void TForm1::cxDBRichEdit1KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    if (Key != Qt::Key_C || !(Shift & Qt::ControlModifier)) return;
    QString text = cxDBRichEdit1->textCursor().selection().toPlainText();
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == QLatin1Char('\r') || text[end - 1] == QLatin1Char('\n')))
        --end;
    text.truncate(end);
    QGuiApplication::clipboard()->setText(text);
    Key = 0;
}

void TForm1::GridPopupPopup() {
    const bool any = DM->FDQuery1->recordCount() > 0;
    EditRecord->setEnabled(any);
    ExportRecord->setEnabled(any);
    DeleteRecord->setEnabled(any);
}

void TForm1::DeleteRecordClick() {
    if (dialogs::get().confirm(QStringLiteral("Selected record will be permanently removed from "
                                              "database!\rDo you wish to continue?"),
                               dialogs::Icon::Warning) != dialogs::Answer::Yes)
        return;
    sql::Query* query = DM->FDQuery1;
    const sql::ControlsSuspended suspended(query);
    RecordID = query->fieldByName(QStringLiteral("ID")).toInt();
    query->close();
    query->setSQL(QStringLiteral("Delete FROM tblTags WHERE \"ID\" = :ID"));
    query->setParamInteger(QStringLiteral("ID"), RecordID);
    query->execSQL();
    query->setSQL(QStringLiteral("Select * From tblTags"));
    query->open();
    if (query->recordCount() == 0) {
        GroupCombo->setUpdatesEnabled(false);
        const auto endUpdate = qScopeGuard([this] { GroupCombo->setUpdatesEnabled(true); });
        PopuniGroupCombo(GroupCombo);
    }
}
