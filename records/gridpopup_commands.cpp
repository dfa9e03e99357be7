// The grid popup's record export: the record view, as it shows the current record, into an
// RTF file.
#include "platform/dialogs/dialogs.h"
#include "platform/widgets/dbrichedit.h"
#include "records/dm.h"
#include "records/export_command.h"
#include "records/record_store.h"
#include "records/searchcard.h"

void TSearchCard::ExportRecordClick() {
    if (DM->records().recordCount() == 0) {
        dialogs::get().message(QStringLiteral("No records for export!"),
                               dialogs::Place::ScreenCentre);
        return;
    }
    ExportRichEdit(*cxDBRichEdit1);
}
