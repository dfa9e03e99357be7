#include "platform/widgets/dbrichedit.h"

TcxDBRichEdit::TcxDBRichEdit(QWidget* parent) : TcxRichEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TcxDBRichEdit::showValue(const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        clear();
        return;
    }
    loadRtf(value.toByteArray());
}
