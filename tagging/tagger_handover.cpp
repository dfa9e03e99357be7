// Hand-over of tagging results to the main window's batch summary: the edit fields ("Add to
// Batch Summary"), the focused grid row, or every fully tagged row.
#include <QTextCursor>
#include <QTextDocument>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/text/text.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/gridview.h"
#include "records/main_window_port.h"
#include "tagging/batch_grid_model.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/handover.h"
#include "tagging/window_centre.h"

void TfrmTaggerPro::AddBtnClick() {
    const QString title = edtTitle->text();
    const QString description = memDescription->toPlainText();
    const QString keywords = memKeywords->toPlainText();
    if (title.isEmpty() || description.isEmpty() || keywords.isEmpty()) {
        dialogs::get().message(QStringLiteral("Please enter all fields!"),
                               dialogs::Place::ScreenCentre);
        return;
    }
    handover::appendTaggerEntry(m_main.batchSummary(),
                                {{title, description, keywords},
                                 SelectedCategory(AdobeCategory),
                                 SelectedCategory(ShutterCategory1),
                                 SelectedCategory(ShutterCategory2)},
                                handover::Closing::AfterSecondaryLine,
                                [this] { m_main.showBatchSummary(); });
    ClearInputFields();
}

void TfrmTaggerPro::Copyrowdatatobatchsummary1Click() {
    const int row = cxTableView1->focusedSelectedRow();
    if (row < 0) return;
    const auto cell = [&](BatchGridModel::Column column) { return rows().cell(row, column); };
    const std::optional<QString> title = cell(BatchGridModel::colTitle);
    const std::optional<QString> description = cell(BatchGridModel::colDescription);
    const std::optional<QString> keywords = cell(BatchGridModel::colKeywords);
    // A row is written once all three texts were written, empty ones included.
    if (title && description && keywords)
        handover::appendTaggerEntry(m_main.batchSummary(),
                                    {{*title, *description, *keywords},
                                     cell(BatchGridModel::colAdobeCat),
                                     cell(BatchGridModel::colShutter1),
                                     cell(BatchGridModel::colShutter2)},
                                    handover::Closing::Always,
                                    [this] { m_main.showBatchSummary(); });
    m_main.typeRegularAtEndOfBatchSummary();
}

void TfrmTaggerPro::Populatebatchsummary1Click() {
    if (rows().rowCount() == 0) {
        dialogs::get().message(QStringLiteral("Grid is empty. Nothing to populate."),
                               dialogs::Place::ScreenCentre);
        return;
    }
    // A row qualifies when its title, description and keywords all hold text.
    const auto filled = [&](int row, BatchGridModel::Column column) {
        const std::optional<QString> text = rows().cell(row, column);
        return text && !text::trim(*text).isEmpty();
    };
    {
        // The grid repaints once, at the end, with the focus back on its row.
        const int focused = cxTableView1->currentIndex().row();
        cxTableView1->setUpdatesEnabled(false);
        const auto restore = errors::finally([&] {
            cxTableView1->focusRow(focused);
            cxTableView1->setUpdatesEnabled(true);
        });
        for (int row = 0; row < rows().rowCount(); ++row) {
            if (!filled(row, BatchGridModel::colTitle) ||
                !filled(row, BatchGridModel::colDescription) ||
                !filled(row, BatchGridModel::colKeywords))
                continue;
            cxTableView1->focusRow(row);
            Copyrowdatatobatchsummary1Click();
        }
    }
    dialogs::get().informationAt(QStringLiteral("Batch summary population complete."),
                                 informationPointAt(this));
}
