// The edit-mode guard: while a stored record is being edited the user stays on the
// Create card until the record is updated or the edit cancelled.
#include "app/form1.h"
#include "platform/dialogs/dialogs.h"
#include "platform/widgets/statusbar.h"

bool TForm1::EditModeGuard() {
    if (StatusBar1->panelText(2) != QLatin1String("EDIT")) return false;
    dialogs::get().message(QStringLiteral(
        "You are in EDIT mode.\rPlease update database or click Cancel button before "
        "leaving Create section!"));
    return true;
}
