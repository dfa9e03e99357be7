// "Create CSV files": the batch grid's rows as the upload files of Adobe Stock, Shutterstock
// and Getty Images, in a "CSV" folder beside the first row's image.

#include "platform/dialogs/dialogs.h"
#include "platform/widgets/edits.h"
#include "tagging/batch_grid_model.h"
#include "tagging/csv_files.h"
#include "tagging/frmtaggerpro.h"
#include "tagging/window_centre.h"

void TfrmTaggerPro::btnCreateCSVClick() {
    // The Adobe numbers follow the box's items, the agency's own list: a name it does not list
    // gets no number.
    // An empty grid writes nothing and says nothing; a file that cannot be written stops the
    // run with its error, before the message.
    if (!csvfiles::writeCsvFiles(rows().allTexts(), itemsOf(AdobeCategory))) return;
    dialogs::get().informationAt(QString::fromLatin1(csvfiles::kCreatedMessage),
                                 informationPointAt(this));
}
