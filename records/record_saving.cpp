// The Create card's record saving and edit mode: the save button, "Cancel", and what Edit
// Record loads into the card.
#include <QDate>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "records/card_frame.h"
#include "records/createcard.h"
#include "records/dm.h"
#include "records/edit_mode.h"
#include "records/record.h"
#include "records/record_store.h"

void TCreateCard::WriteSummaryToStream() {
    // Search marks never reach the stored record.
    const auto write = errors::finally([this] { RtfStream = cxRichEdit2->saveRtf(); });
    RemoveYellowRichEdit(cxRichEdit2);
}

void TCreateCard::Button3Click() {
    if (!m_frame.editMode().editing())
        InsertRecord();
    else
        UpdateRecord();
}

void TCreateCard::InsertRecord() {
    if (text::trim(text::documentText(*cxRichEdit2->document())).isEmpty() ||
        text::trim(cxTextEdit2->text()).isEmpty() || text::trim(cxTextEdit3->text()).isEmpty() ||
        text::trim(GroupCombo->currentText()).isEmpty()) {
        dialogs::get().message(QStringLiteral(
            "Batch Summary, Batch Title and Batch Searching Tags and Category must be entered!"));
        return;
    }
    RecordStore& store = DM->records();
    {
        // After a failure the Create card keeps the summary and every field, so the user can
        // save again, and the Search card shows the records again (a listing that fails too
        // leaves the grid empty; the first error is the one shown).
        const auto recover = errors::onError([&] { store.openListing(); });
        const auto emptyStream = errors::finally([this] { RtfStream.clear(); });
        WriteSummaryToStream();
        Record record;
        record.group = GroupCombo->currentText();
        record.title = cxTextEdit2->text();
        record.keys = cxTextEdit3->text();
        record.date = QDate::currentDate();
        record.summaryRtf = RtfStream;
        store.insert(record);
    }
    cxRichEdit2->clear();
    m_frame.refillGroupList();
    ClearInputFields();
    cxTextEdit1->setFocus();
    m_frame.editMode().setMode(EditMode::Browse);
    m_frame.showSearchCard();
}

void TCreateCard::UpdateRecord() {
    RecordStore& store = DM->records();
    {
        const auto emptyStream = errors::finally([this] { RtfStream.clear(); });
        // A failed update keeps the edit: the mode stays EDIT with the summary, the batch
        // fields and the group, so that Update can run again or Cancel end it; the stored
        // record keeps its values. A failed statement leaves the main query closed: the
        // listing is opened again on the edited record (a listing that fails too leaves the
        // grid empty; the first error is the one shown).
        const auto recover = errors::onError([&] {
            if (!store.query()->active()) store.openListing();
            store.locate(m_frame.RecordID);
        });
        WriteSummaryToStream();
        // The row Edit Record loaded, which the Search card shows as current while the mode
        // is EDIT; taken from the edit, so that a listing reopened after a failure cannot
        // point the update at another row.
        m_frame.RecordID = m_editedId;
        Record record;
        record.id = m_frame.RecordID;
        record.group = GroupCombo->currentText();
        record.title = cxTextEdit2->text();
        record.keys = cxTextEdit3->text();
        record.summaryRtf = RtfStream;
        store.update(record);
        store.locate(m_frame.RecordID);
    }
    ClearInputFields();
    cxRichEdit2->clear();
    GroupCombo->setCurrentIndex(-1);
    GroupCombo->clearEditText();
    m_frame.editMode().setMode(EditMode::Browse);
    m_frame.showSearchCard();
}

void TCreateCard::CancelBtnClick() {
    m_frame.editMode().setMode(EditMode::Browse);
    cxRichEdit2->clear();
    ClearInputFields();
    cxTextEdit1->setFocus();
}

void TCreateCard::LoadRecord(const Record& record) {
    m_editedId = record.id;
    // The stored summary with its formatting replaces whatever the summary held.
    cxRichEdit2->loadRtf(record.summaryRtf);
    cxTextEdit2->setText(record.title);
    cxTextEdit3->setText(record.keys);
    GroupCombo->setEditText(record.group);
}
