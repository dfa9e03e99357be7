// Storing a batch as a record, and editing a stored record: the save button, "Cancel"
// and the grid's "Edit Record".
#include <QDate>

#include "app/form1.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "platform/text/text.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"

namespace {

// Reopens the full listing after a statement failed, so that the Search card shows the
// records again; a listing that fails too leaves the grid empty, as the first error said.
void reopenListingAfterFailure() {
    try {
        DM->FDQuery1->setSQL(QStringLiteral("Select * FROM tblTags"));
        DM->FDQuery1->open();
    } catch (const std::exception&) {
    }
}

}  // namespace

void TForm1::WriteSummaryToStream() {
    // Search marks never reach the stored record.
    errors::withClosingSteps([this] { RemoveYellowRichEdit(cxRichEdit2); },
                             [this] { *RtfStream = cxRichEdit2->saveRtf(); });
}

void TForm1::Button3Click() {
    if (StatusBar1->panelText(2) != QLatin1String("EDIT"))
        InsertRecord();
    else
        UpdateRecord();
}

void TForm1::InsertRecord() {
    if (text::trim(cxRichEdit2->toPlainText()).isEmpty() ||
        text::trim(cxTextEdit2->text()).isEmpty() || text::trim(cxTextEdit3->text()).isEmpty() ||
        text::trim(GroupCombo->currentText()).isEmpty()) {
        dialogs::get().message(QStringLiteral(
            "Batch Summary, Batch Title and Batch Searching Tags and Category must be entered!"));
        return;
    }
    sql::Query* query = DM->FDQuery1;
    qint64 newId = 0;
    try {
        WriteSummaryToStream();
        query->setSQL(QStringLiteral(
            "INSERT INTO tblTags (\"Group\", \"Title\", \"Keys\", \"Datum\", \"AllKeys\") VALUES "
            "(:grupa, :title, :keys, :datum, :allkeys)"));
        query->setParamString(QStringLiteral("grupa"), GroupCombo->currentText());
        query->setParamString(QStringLiteral("title"), cxTextEdit2->text());
        query->setParamString(QStringLiteral("keys"), cxTextEdit3->text());
        query->setParamDate(QStringLiteral("datum"), QDate::currentDate());
        query->setParamBlob(QStringLiteral("allkeys"), *RtfStream);
        query->execSQL();
        query->setSQL(QStringLiteral("SELECT last_insert_rowid() AS NewID"));
        query->open();
        newId = query->fieldByName(QStringLiteral("NewID")).toLongLong();
        query->close();
        query->setSQL(QStringLiteral("SELECT ID, * FROM tblTags"));
        query->open();
        query->locate(QStringLiteral("ID"), newId);
    } catch (...) {
        // The Create card keeps the summary and every field, so the user can save again.
        RtfStream->clear();
        reopenListingAfterFailure();
        throw;
    }
    RtfStream->clear();
    cxRichEdit2->clear();
    PopuniGroupCombo(GroupCombo);
    ClearInputFields();
    cxTextEdit1->setFocus();
    StatusBar1->setPanelText(2, QStringLiteral("BROWSE"));
    CardPanel1->setCurrentWidget(SearchCard);
}

void TForm1::UpdateRecord() {
    sql::Query* query = DM->FDQuery1;
    errors::withClosingSteps(
        [&] {
            WriteSummaryToStream();
            RecordID = query->fieldByName(QStringLiteral("ID")).toInt();
            query->setSQL(QStringLiteral(
                "Update tblTags SET \"Group\" = :grupa, \"Title\" = :titl, \"Keys\" = :kies, "
                "\"AllKeys\" = :allkies WHERE \"ID\" = :RecID"));
            query->setParamInteger(QStringLiteral("RecID"), RecordID);
            query->setParamString(QStringLiteral("grupa"), GroupCombo->currentText());
            query->setParamString(QStringLiteral("titl"), cxTextEdit2->text());
            query->setParamString(QStringLiteral("kies"), cxTextEdit3->text());
            query->setParamBlob(QStringLiteral("allkies"), *RtfStream);
            query->execSQL();
            query->setSQL(QStringLiteral("Select * FROM tblTags"));
            query->open();
        },
        [&] {
            // The edit ends whatever happened; a failed update leaves the record as it was.
            RtfStream->clear();
            if (!query->active()) reopenListingAfterFailure();
            ClearInputFields();
            cxRichEdit2->clear();
            Button3->setText(QStringLiteral("Add to Database"));
            if (query->active()) query->locate(QStringLiteral("ID"), RecordID);
            StatusBar1->setPanelText(2, QStringLiteral("BROWSE"));
        });
    GroupCombo->setCurrentIndex(-1);
    GroupCombo->clearEditText();
    StatusBar1->setPanelText(2, QStringLiteral("BROWSE"));
    CardPanel1->setCurrentWidget(SearchCard);
}

void TForm1::CancelBtnClick() {
    if (Button3->text() == QLatin1String("Update")) {
        Button3->setText(QStringLiteral("Add to Database"));
        StatusBar1->setPanelText(2, QStringLiteral("BROWSE"));
    }
    cxRichEdit2->clear();
    ClearInputFields();
    cxTextEdit1->setFocus();
}

void TForm1::EditRecordClick() {
    StatusBar1->setPanelText(2, QStringLiteral("EDIT"));
    if (HighlightsShown) RemoveYellowHighlights();
    // The stored summary with its formatting replaces whatever the summary held.
    cxRichEdit2->loadRtf(cxDBRichEdit1->saveRtf());
    sql::Query* query = DM->FDQuery1;
    cxTextEdit2->setText(query->fieldByName(QStringLiteral("Title")).toString());
    cxTextEdit3->setText(query->fieldByName(QStringLiteral("Keys")).toString());
    GroupCombo->setEditText(query->fieldByName(QStringLiteral("Group")).toString());
    Button3->setText(QStringLiteral("Update"));
    CardPanel1->setCurrentWidget(CreateCard);
}
