#include "records/edit_mode.h"

QString editModeText(EditMode mode) {
    return mode == EditMode::Edit ? QStringLiteral("EDIT") : QStringLiteral("BROWSE");
}

void EditModeState::setMode(EditMode mode) {
    if (mode == m_mode) return;
    m_mode = mode;
    emit changed(mode);
}
