#include "records/export_command.h"

#include <QDir>

#include "platform/appfolder/appfolder.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/widgets/edits.h"
#include "records/rtf_export.h"

namespace {

// The main window's save dialog for RTF files.
dialogs::FileRequest SaveDialog1(const QString& initialDir) {
    dialogs::FileRequest request;
    request.filter = QStringLiteral("RTF File|*.rtf");
    request.defaultSuffix = QStringLiteral("rtf");
    request.initialDir = initialDir;
    return request;
}

}  // namespace

void ExportRichEdit(const TcxRichEdit& source) {
    const QString folder = appfolder::programFolder() + QLatin1String(rtfexport::kFolderName);
    // A folder that cannot be made only changes where the dialog starts.
    QDir().mkdir(folder);
    const auto chosen = dialogs::get().saveFile(SaveDialog1(folder));
    if (!chosen) return;
    try {
        rtfexport::writeFile(*chosen, source.saveRtf());
    } catch (const errors::Error& e) {
        dialogs::get().message(
            QStringLiteral("An error occurred while saving the file: ") + e.message(),
            dialogs::Place::ScreenCentre);
    }
}
