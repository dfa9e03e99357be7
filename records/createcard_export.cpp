// The Create card's export of the batch summary into an RTF file.
#include <QPushButton>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/guard.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "records/createcard.h"
#include "records/export_command.h"

void TCreateCard::BuildExport() {
    // Below the keyword fields, beside "Exit"; not in the tab order.
    ExportBtn = named(new QPushButton(QStringLiteral("Export to RTF"), this), "ExportBtn");
    ExportBtn->setFocusPolicy(Qt::ClickFocus);
    m_anchors->place(ExportBtn, QRect(10, 511, 129, 25), Anchors::Left | Anchors::Bottom);
    connect(ExportBtn, &QPushButton::clicked, this,
            errors::guarded(this, &TCreateCard::ExportBtnClick));
}

void TCreateCard::ExportBtnClick() {
    // Any character counts, a lone line break or blanks included.
    if (cxRichEdit2->toPlainText().isEmpty()) {
        dialogs::get().message(QStringLiteral("No Batch summary data for export!"),
                               dialogs::Place::ScreenCentre);
        return;
    }
    ExportRichEdit(*cxRichEdit2);
}
